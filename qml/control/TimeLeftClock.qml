import QtQuick 2.7
import "../common"

// The time still to go beside the elapsed clock, in the same boxes: a label,
// then hours, minutes and seconds. The estimator only reports a new figure
// when the engraver asks for data, a few times a minute at slow depths, so
// the shown figure counts down on its own from the last report while the job
// runs; a pause holds it. seconds < 0 shows "--".
Row {
    id: clock

    property string fontFamily: Theme.fontFamily
    property string label
    // The last figure reported, and whether it is to count down meanwhile.
    property int seconds: -1
    property bool running: false
    // What is on show, in whole seconds; -1 when unknown.
    readonly property int shownSeconds: seconds < 0 ? -1 : Math.max(0, seconds - countdown.passed)

    spacing: 12

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

    Repeater {
        model: 4

        ClockBox {
            width: index === 0 ? 35 : 25
            fontFamily: clock.fontFamily
            textName: ["leftLabel", "leftHourText", "leftMinuteText", "leftSecondText"][index]
            text: index === 0 ? clock.label
                : clock.shownSeconds < 0 ? "--"
                : index === 1 ? String(Math.floor(clock.shownSeconds / 3600))
                : index === 2 ? String(Math.floor(clock.shownSeconds / 60) % 60)
                : String(clock.shownSeconds % 60)
        }
    }
}
