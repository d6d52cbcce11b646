import QtQuick 2.7
import QtTest 1.0
import Zan.Engraver 1.0
import "../standins" as Stand

// Material presets in the real main window: choosing one on the control
// page sets its power, depth and fan, each sent as the user's own change
// would be, and the editing page's look, threshold and tone; a value changed
// afterwards, on either page, marks the preset changed until it is saved.
Item {
    width: 200
    height: 200

    // Shadows the real controller for the window made here: what the page
    // sends is recorded.
    Stand.StandInController {
        id: operationEnd
    }

    TestCase {
        property var window: null

        function child(item, name) {
            var found = findChild(item, name)
            verify(found !== null, "no item " + name)
            return found
        }

        name: "MaterialPresets"
        when: windowShown

        function init() {
            window = Qt.createComponent("qrc:/main.qml").createObject(null)
            tryVerify(function() { return window.visible })
        }

        function cleanup() {
            // No run of the canvas outlives its window.
            tryCompare(child(window, "drawBoard"), "busy", false, 20000)
            window.destroy()
        }

        // Each row saves into a starting point of its own: the store lasts
        // from one row to the next.
        function test_choose_data() {
            return [
                { tag: "power moved", preset: 0, power: 80, depth: 40, threshold: 120, dotSize: 1.5, gamma: 1,
                  page: "control", item: "laserSlider", property: "value", value: 55 },
                { tag: "gamma moved", preset: 2, power: 60, depth: 30, threshold: 120, dotSize: 2, gamma: 1.2,
                  page: "editing", item: "tonePanel", property: "gamma", value: 2 },
            ]
        }

        function test_choose(data) {
            var control = child(window, "caseLoader2").item, editing = child(window, "caseLoader1").item
            var effects = child(editing, "effectFrame"), tone = child(editing, "tonePanel")
            var fan = child(control, "fanButton"), mark = child(control, "presetChangedMark")
            window.showPage(1)
            fan.checked = false
            operationEnd.sent = []
            mouseClick(child(control, "presetButton"))
            var box = child(control, "presetBox")
            tryCompare(child(control, "presetPanel"), "visible", true)
            // A starting point, dithered.
            box.activated(data.preset)
            compare(child(control, "laserSlider").value, data.power)
            compare(child(control, "speedSlider").value, data.depth)
            verify(fan.checked)
            compare(operationEnd.sent, [EngraverProtocol.laserPowerCommand(data.power / 100),
                                        EngraverProtocol.depthCommand(data.depth / 100), EngraverProtocol.fanOnCommand])
            compare(effects.buttonSelect, 3)
            compare(effects.slider.value, data.threshold)
            compare(tone.gamma, data.gamma)
            compare(tone.dotSize, data.dotSize)
            verify(!mark.visible)

            var moved = child(data.page === "control" ? control : editing, data.item)
            moved[data.property] = data.value
            tryCompare(mark, "visible", true)
            verify(child(control, "presetChanged").visible)
            mouseClick(child(control, "presetSave"))
            tryCompare(mark, "visible", false)
            // Saved, the preset is what is set now: choosing it keeps it.
            box.activated(data.preset)
            compare(moved[data.property], data.value)
            verify(!mark.visible)
        }

        // A calibration fitted in the panel is stored with the chosen
        // preset and corrects the editing page's looks at once; levels
        // read the wrong way round are refused with the reason; clearing
        // it, or choosing a preset without one, leaves the looks as they were.
        function test_calibrate() {
            var control = child(window, "caseLoader2").item, editing = child(window, "caseLoader1").item
            var canvas = child(editing, "drawBoard"), box = child(control, "presetBox")
            window.showPage(1)
            mouseClick(child(control, "presetButton"))
            tryCompare(child(control, "presetPanel"), "visible", true)
            box.activated(1)
            var calibrated = child(control, "toneCalibrated")
            verify(!calibrated.visible)
            mouseClick(child(control, "toneCalibrate"))
            var popup = findChild(window.contentItem, "toneCalibration") || findChild(control, "toneCalibration")
            verify(popup !== null)
            tryCompare(popup, "opened", true)
            compare(popup.levels.length, 16)
            compare(popup.levels[15], 0)

            var darker = [], reversed = []
            for (var step = 0; step < 16; ++step) {
                var asked = 255 - 17 * step
                darker.push(Math.round(asked * asked / 255))
                reversed.unshift(Math.round(asked * asked / 255))
            }
            popup.levels = reversed
            mouseClick(findChild(popup.contentItem, "calibrationFit"))
            verify(popup.opened)
            verify(popup.noteWarns)
            popup.levels = darker
            mouseClick(findChild(popup.contentItem, "calibrationFit"))
            tryCompare(popup, "visible", false)
            tryCompare(calibrated, "visible", true)
            compare(canvas.toneResponse.length, 16)
            compare(canvas.toneResponse[8], darker[8])

            box.activated(0)
            tryCompare(calibrated, "visible", false)
            compare(canvas.toneResponse.length, 0)
            box.activated(1)
            tryCompare(calibrated, "visible", true)
            compare(canvas.toneResponse.length, 16)
            mouseClick(child(control, "toneCalibrationClear"))
            tryCompare(calibrated, "visible", false)
            compare(canvas.toneResponse.length, 0)
        }
    }
}
