import QtQuick 2.7
import Zan.Desktop 1.0
import Zan.Engraver 1.0
import "../common"

// The job's times along the bottom right of the control page: left of the
// elapsed time, the time still to go (the estimate before play), or once a
// job has ended what it took, until the next one starts. While a job is on,
// the desktop is kept from going to sleep.
Item {
    id: clocks

    // The job on the engraver, the page's JobState (none: the idle look).
    property QtObject jobState: null
    readonly property bool jobActive: !!jobState && jobState.active
    readonly property bool jobRunning: !!jobState && jobState.running
    readonly property bool jobIdle: !jobState || jobState.idle
    // The depth the job burns at, in percent: earlier jobs at the same depth
    // give the estimate.
    property alias depth: jobTimer.depth
    property string fontFamily: Theme.fontFamily

    // The job on the engraver has been published with this many bytes.
    function prepare(size) {
        jobTimer.prepare(size)
    }

    function progress(fraction) {
        jobTimer.progress(fraction)
    }

    // A new job counts from zero.
    function resetElapsed() {
        clock.reset()
    }

    function started() {
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
    }

    // The time left, measured while the job runs and estimated from earlier
    // jobs at the same depth before it starts; what the last job took.
    JobTimer {
        id: jobTimer
    }

    // A job left running must not be cut short by the desktop going to sleep.
    SleepInhibitor {
        objectName: "sleepInhibitor"
        active: clocks.jobActive
        reason: qsTr("正在雕刻")
    }

    TimeLeftClock {
        id: leftClock

        readonly property bool showTaken: clocks.jobIdle && jobTimer.secondsTaken >= 0

        objectName: "leftClock"
        x: parent.width - 320
        y: parent.height - 40
        fontFamily: clocks.fontFamily
        visible: showTaken || !clocks.jobIdle || jobTimer.secondsLeft >= 0
        label: showTaken ? qsTr("耗时") : qsTr("剩余")
        seconds: showTaken ? jobTimer.secondsTaken : jobTimer.secondsLeft
        running: clocks.jobRunning
    }

    ElapsedClock {
        id: clock

        x: parent.width - 160
        y: parent.height - 40
        fontFamily: clocks.fontFamily
        running: clocks.jobRunning
    }
}
