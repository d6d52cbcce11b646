import QtQuick 2.7
import Zan.Desktop 1.0
import Zan.Engraver 1.0
import "../common"

// The job's times, stacked at the bottom right of the control page, each a
// caption and H:MM:SS. While a job is on: the time it has run and the time
// still to go. Before play: the estimate for the job. Once a job has been
// sent whole and the engraver reports its end: the one time it took, until
// the next job starts; a job published meanwhile shows its estimate below
// it. While a job is on, the desktop is kept from going to sleep.
Column {
    id: clocks

    // The job on the engraver, the page's JobState (none: the idle look).
    property QtObject jobState: null
    readonly property bool jobActive: !!jobState && jobState.active
    readonly property bool jobRunning: !!jobState && jobState.running
    readonly property bool jobIdle: !jobState || jobState.idle
    // The depth the job burns at, in percent: the estimate depends on it.
    property alias depth: jobTimer.depth
    // A job burned several times: the times cover every pass.
    property alias passes: jobTimer.passes
    property alias pass: jobTimer.pass
    property string fontFamily: Theme.fontFamily

    // The last job ran to its end: the elapsed clock shows what it took.
    property bool endedWhole: false
    // A job has run since the page was made: its time stays on show.
    property bool hasRun: false
    // The estimate is on show while idle (not right after a job that ended,
    // whose time taken stands alone until a new job is published).
    property bool estimateWanted: true

    // What the clocks show, for the window's status line: in whole seconds,
    // -1 when there is none.
    readonly property int elapsedSeconds: hasRun || !jobIdle ? clock.totalSeconds : -1
    readonly property int estimateSeconds: jobTimer.secondsEstimate
    readonly property int leftSeconds: jobIdle ? -1 : leftClock.shownSeconds
    // The widest the clocks get in this language: the page keeps this much
    // room for them, so that nothing moves when they come and go.
    readonly property real fullWidth: labelWidth + spacingX + timeWidth
    readonly property real fullHeight: 2 * 30 + spacing

    readonly property real spacingX: 6
    readonly property real labelWidth: Math.max(35, Math.ceil(Math.max(elapsedMetrics.width, tookMetrics.width,
                                                                        leftMetrics.width, estimateMetrics.width)) + 12)
    readonly property real timeWidth: Math.ceil(timeMetrics.width) + 12

    // The job on the engraver has been published with this many bytes.
    // The time of a run cut short belongs to the job before; the time a
    // whole job took stays beside the new estimate.
    function prepare(size) {
        jobTimer.prepare(size)
        estimateWanted = true
        if (jobIdle && !endedWhole)
            hasRun = false
    }

    function progress(fraction) {
        jobTimer.progress(fraction)
    }

    // A new job counts from zero.
    function resetElapsed() {
        clock.reset()
    }

    function started() {
        if (jobIdle)
            endedWhole = false
        hasRun = true
        jobTimer.started()
    }

    function paused() {
        jobTimer.paused()
    }

    function interrupted() {
        jobTimer.interrupted()
    }

    function stopped(whole) {
        jobTimer.stopped(whole)
        endedWhole = whole
        estimateWanted = !whole
    }

    spacing: 6

    TextMetrics {
        id: elapsedMetrics

        font.family: clocks.fontFamily
        font.pixelSize: Theme.textSize
        text: qsTr("用时")
    }

    TextMetrics {
        id: tookMetrics

        font: elapsedMetrics.font
        text: qsTr("耗时")
    }

    TextMetrics {
        id: leftMetrics

        font: elapsedMetrics.font
        text: qsTr("剩余")
    }

    TextMetrics {
        id: estimateMetrics

        font: elapsedMetrics.font
        text: qsTr("预计")
    }

    TextMetrics {
        id: timeMetrics

        font: elapsedMetrics.font
        text: "00:00:00"
    }

    // The time left, measured while the job runs; the estimate from the
    // expected pace at the depth set before it starts; what a job took.
    JobTimer {
        id: jobTimer
    }

    // A job left running must not be cut short by the desktop going to sleep.
    SleepInhibitor {
        objectName: "sleepInhibitor"
        active: clocks.jobActive
        reason: qsTr("正在雕刻")
    }

    ElapsedClock {
        id: clock

        objectName: "elapsedClock"
        visible: clocks.elapsedSeconds >= 0
        fontFamily: clocks.fontFamily
        spacing: clocks.spacingX
        labelWidth: clocks.labelWidth
        timeWidth: clocks.timeWidth
        label: clocks.jobIdle && clocks.endedWhole ? tookMetrics.text : elapsedMetrics.text
        running: clocks.jobRunning
    }

    TimeLeftClock {
        id: leftClock

        objectName: "leftClock"
        visible: clocks.jobIdle ? clocks.estimateWanted && jobTimer.secondsEstimate >= 0 : true
        fontFamily: clocks.fontFamily
        spacing: clocks.spacingX
        labelWidth: clocks.labelWidth
        timeWidth: clocks.timeWidth
        label: clocks.jobIdle ? estimateMetrics.text : leftMetrics.text
        seconds: clocks.jobIdle ? jobTimer.secondsEstimate : jobTimer.secondsLeft
        running: clocks.jobRunning
    }
}
