import QtQuick 2.7
import Zan.Engraver 1.0

// The control page's side of a run (JobRun): the passes and a job taken up
// from an earlier run. The page's play and stop come through here, and so
// does the engraver's stop report, which may start the next pass or the
// rest of a job taken up instead of ending the run.
QtObject {
    id: driver

    // The control page (its send(), rewindJob() and mode) and its engraving
    // area (the picture's place).
    property Item page: null
    property Item area: null
    property alias controller: run.controller
    property alias power: run.power
    property alias depth: run.depth
    readonly property JobRun jobRun: JobRun {
        id: run

        rememberPasses: true
    }

    function startCommand() {
        return EngraverProtocol.startCommand(area.pictureLeft(), area.pictureTop(), page.shared.readCarveMode())
    }

    // Play from idle starts a new run at the job's first byte (or continues
    // the job taken up, once the engraver has let go of it); play while
    // paused or interrupted resumes.
    function play(idle) {
        if (run.resumePending) {
            run.continueJob()
            page.send(EngraverProtocol.stopCommand)
            return
        }
        if (idle)
            page.rewindJob()
        page.send(startCommand())
        if (idle)
            run.started(area.pictureLeft(), area.pictureTop(), page.shared.readCarveMode())
    }

    // The user's stop ends every pass.
    function stop() {
        run.stopAsked()
        page.send(EngraverProtocol.stopCommand)
    }

    // The engraver reports a stop: true when the run goes on.
    function stopReported(sentWhole) {
        var next = run.stopReported(sentWhole)
        if (next === JobRun.NextPass) {
            page.rewindJob()
            page.send(startCommand())
        } else if (next === JobRun.ContinueJob) {
            if (run.resumePower >= 0)
                page.send(EngraverProtocol.laserPowerCommand(run.resumePower))
            if (run.resumeDepth >= 0)
                page.send(EngraverProtocol.depthCommand(run.resumeDepth))
            page.send(EngraverProtocol.startCommand(run.resumeX, run.resumeY, run.resumeMode))
        }
        return next !== JobRun.RunOver
    }
}
