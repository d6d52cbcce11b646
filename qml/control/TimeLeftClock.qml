import QtQuick 2.7
import "../common"
import "../common/helpers.js" as Helpers

// The time still to go, or the estimate before play, beside its caption, as
// H:MM:SS. The estimator only reports a new figure when the engraver asks
// for data, a few times a minute at slow depths, so the shown figure counts
// down on its own from the last report while the job runs; a pause holds it.
// seconds < 0 shows no time.
Row {
    id: clock

    property string fontFamily: Theme.fontFamily
    property string label
    property real labelWidth: 35
    property real timeWidth: 60
    // The last figure reported, and whether it is to count down meanwhile.
    property int seconds: -1
    property bool running: false
    // What is on show, in whole seconds; -1 when unknown.
    readonly property int shownSeconds: seconds < 0 ? -1 : Math.max(0, seconds - countdown.passed)

    spacing: 6

    // A new figure starts a new countdown.
    onSecondsChanged: countdown.restartFrom(Date.now())
    onRunningChanged: countdown.restartFrom(Date.now())

    Timer {
        id: countdown

        // When the figure was reported (ms since the epoch) and how many
        // whole seconds of running have passed since then. Follows the real
        // clock for the same reason as the elapsed clock does.
        property real since: 0
        property int passed: 0

        function restartFrom(now) {
            since = now
            passed = 0
        }

        objectName: "leftCountdown"
        interval: 250
        repeat: true
        running: clock.running && clock.seconds > 0
        onTriggered: passed = Math.floor((Date.now() - since) / 1000)
    }

    ClockBox {
        width: clock.labelWidth
        fontFamily: clock.fontFamily
        textName: "leftLabel"
        text: clock.label
    }

    ClockBox {
        width: clock.timeWidth
        fontFamily: clock.fontFamily
        textName: "leftText"
        text: Helpers.clockText(clock.shownSeconds)
    }
}
