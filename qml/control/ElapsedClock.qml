import QtQuick 2.7
import "../common"
import "../common/helpers.js" as Helpers

// The elapsed engraving time beside its caption, as H:MM:SS. It counts while
// running is true and keeps its time when stopped; reset() starts it from
// zero again.
Row {
    id: clock

    property string fontFamily: Theme.fontFamily
    property alias running: carveTiming.running
    property string label
    property real labelWidth: 35
    property real timeWidth: 60
    // The time on show, in whole seconds.
    readonly property int totalSeconds: carveTiming.carveHourse * 3600 + carveTiming.carveMinute * 60
                                        + carveTiming.carveSecond

    function reset() {
        carveTiming.carveSecond = 0
        carveTiming.carveMinute = 0
        carveTiming.carveHourse = 0
    }

    spacing: 6

    Timer {
        id: carveTiming

        property int carveSecond: 0
        property int carveMinute: 0
        property int carveHourse: 0
        // When the clock was last started (ms since the epoch) and how many
        // seconds it has counted since then.
        property real runStart: 0
        property int runSeconds: 0

        // Adds the whole seconds that have passed since the clock was last
        // started. Qt Quick drives its timers from the animation clock, which
        // runs ahead of real time where frames are not paced by the display
        // (virtual displays, some remote sessions); the elapsed engraving
        // time must follow the real clock.
        function catchUp(now) {
            var due = Math.floor((now - runStart) / 1000)
            while (runSeconds < due) {
                tick()
                runSeconds += 1
            }
        }

        function tick() {
            carveSecond += 1
            if (carveSecond >= 60) {
                carveSecond = 0
                carveMinute += 1
                if (carveMinute >= 60) {
                    carveMinute = 0
                    carveHourse += 1
                }
            }
        }

        objectName: "carveTiming"
        // Polled more often than once a second so that the shown seconds
        // turn over close to the real second boundaries.
        interval: 250
        repeat: true
        onTriggered: catchUp(Date.now())
        // Started: count from now. Stopped: the seconds up to now still count.
        onRunningChanged: {
            if (running) {
                runStart = Date.now()
                runSeconds = 0
            } else {
                catchUp(Date.now())
            }
        }
    }

    ClockBox {
        width: clock.labelWidth
        fontFamily: clock.fontFamily
        textName: "timeLabel"
        text: clock.label
    }

    ClockBox {
        width: clock.timeWidth
        fontFamily: clock.fontFamily
        textName: "elapsedText"
        text: Helpers.clockText(clock.totalSeconds)
    }
}
