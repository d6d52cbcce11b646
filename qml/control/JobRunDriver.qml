import QtQuick 2.7
import Zan.Engraver 1.0

// The control page's side of a run (JobRun): the passes, a job taken up
// from an earlier run, and the test card's rows. The page's play and stop
// come through here, and so does the engraver's stop report, which may
// start the next pass, the card's next row or the rest of a job taken up
// instead of ending the run.
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
    // The test card: its rows burn one after the other, each a job of its
    // own with its depth, outside the passes and the journal.
    readonly property TestCard testCard: TestCard {
        controller: run.controller
        // Once the stop report has been dealt with, the job, its place and
        // the power and depth set before the card come back.
        onEnded: Qt.callLater(driver.cardOver)
    }
    // What the card took over: the picture's place, the power and depth.
    property var beforeCard: null

    function startCommand() {
        return EngraverProtocol.startCommand(area.pictureLeft(), area.pictureTop(), page.shared.readCarveMode())
    }

    // Play from idle starts a new run at the job's first byte (or continues
    // the job taken up, once the engraver has let go of it); play while
    // paused or interrupted resumes.
    function play(idle) {
        if (testCard.active) {
            page.send(EngraverProtocol.startCommand(testCard.startX, testCard.startY, 1))
            return
        }
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
        testCard.stopAsked()
        run.stopAsked()
        page.send(EngraverProtocol.stopCommand)
    }

    // The engraver reports a stop: true when the run goes on.
    function stopReported(sentWhole) {
        if (testCard.active) {
            if (testCard.stopReported(sentWhole)) {
                startCardRow()
                return true
            }
            return false
        }
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

    // Burns the test card from its first row: the laser power once, at the
    // top of the card's range (the squares' intensities do the rest). False
    // when it cannot start.
    function startCard() {
        area.nextPlace = Qt.point(testCard.startX * area.scaleSize, testCard.startY * area.scaleSize)
        var before = { x: area.pictureX, y: area.pictureY, power: run.power, depth: run.depth }
        if (!testCard.begin()) {
            area.nextPlace = null
            return false
        }
        beforeCard = before
        page.send(EngraverProtocol.laserPowerCommand(testCard.topPower / 100))
        startCardRow()
        return true
    }

    function cardOver() {
        if (!beforeCard)
            return
        area.nextPlace = Qt.point(beforeCard.x, beforeCard.y)
        testCard.restoreJob()
        area.nextPlace = null
        if (beforeCard.power >= 0)
            page.send(EngraverProtocol.laserPowerCommand(beforeCard.power))
        if (beforeCard.depth >= 0)
            page.send(EngraverProtocol.depthCommand(beforeCard.depth))
        beforeCard = null
    }

    // Each row with its own depth, in the grey mode at the card's place.
    function startCardRow() {
        page.rewindJob()
        page.send(EngraverProtocol.depthCommand(testCard.rowDepth / 100))
        page.send(EngraverProtocol.startCommand(testCard.startX, testCard.startY, 1))
    }
}
