import QtQuick 2.7
import QtTest 1.0

// The control page against recording stand-ins for the engraver controller
// and the main window's shared state: only the sent text and the page's own
// reactions matter here.
Item {
    id: host

    property string unitFontFamily: "幼圆"

    width: 990
    height: 680

    Item {
        id: connectDrawOperations

        property bool startCarveFlag: false
        property bool beginStopFlag: false
        property bool coordinateDisplayFlag: true
        property bool shadyDisplayFlag: true
        property int carveMode: 2

        signal stopDone()
        signal verifyButton()

        function setStartCarveFlag(en) { startCarveFlag = en }
        function readStartCarveFlag() { return startCarveFlag }
        function setCarveMode(set) { carveMode = set }
        function readCarveMode() { return carveMode }
    }

    // Shadows the program's controller for the page created in this file.
    QtObject {
        id: operationEnd

        property var sent: []
        property var connectCalls: []
        property int clearCount: 0

        signal finishedLoad(int xmin, int ymin, int xmax, int ymax)
        signal toFrontStatus(string cmd)
        signal includeBackStatus(int type)
        signal completePecent(real pecent)

        function serialWriteData(str) { sent = sent.concat([String(str)]) }
        function connectToBelow(en) { connectCalls = connectCalls.concat([en]) }
        function clearIndex() { clearCount += 1 }
        function reset() {
            sent = []
            connectCalls = []
            clearCount = 0
        }
    }

    Component {
        id: pageComponent
        Loader { source: "qrc:/OperationsFront.qml" }
    }

    SignalSpy {
        id: stopDoneSpy
        target: connectDrawOperations
        signalName: "stopDone"
    }

    TestCase {
        id: testCase

        property var page: null
        property var loader: null

        name: "OperationsFront"
        when: windowShown

        function child(name) {
            var item = findChild(page, name)
            verify(item !== null, "no item " + name)
            return item
        }

        function createPage() {
            loader = createTemporaryObject(pageComponent, host, { "width": host.width, "height": host.height })
            verify(loader !== null)
            compare(loader.status, Loader.Ready)
            page = loader.item
            return page
        }

        function init() {
            connectDrawOperations.startCarveFlag = false
            connectDrawOperations.beginStopFlag = false
            connectDrawOperations.carveMode = 2
            createPage()
            operationEnd.reset()
            stopDoneSpy.clear()
        }

        function cleanup() {
            page = null
        }

        // Types into a coordinate field the way a user does, which keeps the
        // field's binding to the position alive.
        function typeInto(field, text) {
            field.forceActiveFocus()
            field.selectAll()
            keyClick(Qt.Key_Delete)
            for (var i = 0; i < text.length; ++i)
                keyClick(text.charAt(i))
            compare(field.text, text)
        }

        function publish(xmin, ymin, xmax, ymax) {
            operationEnd.finishedLoad(xmin, ymin, xmax, ymax)
        }

        // Puts the picture at a position in engraving pixels and waits for it.
        function placeAt(px, py) {
            var s = child("carveFrame").scaleSize
            page.placePicture(px * s, py * s)
            var frame = child("operateImageFrame")
            tryCompare(frame, "x", px * s)
            tryCompare(frame, "y", py * s)
        }

        function test_roundPixel_data() {
            return [
                { tag: "half up", value: 2.5, expected: 3 },
                { tag: "half down negative", value: -2.5, expected: -3 },
                { tag: "just below half", value: 100.49, expected: 100 },
                { tag: "fraction", value: 100.5, expected: 101 },
                { tag: "small fraction", value: 7.2, expected: 7 },
                { tag: "negative small", value: -0.4, expected: 0 },
                { tag: "negative", value: -7.6, expected: -8 },
            ]
        }

        function test_roundPixel(data) {
            compare(String(page.roundPixel(data.value)), String(data.expected))
        }

        function test_statusParsing_data() {
            return [
                { tag: "plain", cmd: "F20", number: 20, value: NaN },
                { tag: "blanks", cmd: "F  22", number: 22, value: NaN },
                { tag: "line end", cmd: "F21\r\n", number: 21, value: NaN },
                { tag: "leading zero", cmd: "F08 P0.5", number: 8, value: 0.5 },
                { tag: "value", cmd: "F8 P0.25", number: 8, value: 0.25 },
                { tag: "blank after P", cmd: "F9 P 0.75", number: 9, value: 0.75 },
                { tag: "digits stop", cmd: "F9P1", number: 9, value: 1 },
                { tag: "no digits", cmd: "F", number: -1, value: NaN },
                { tag: "letter first", cmd: "Fx20", number: -1, value: NaN },
                { tag: "no value", cmd: "F8 P", number: 8, value: NaN },
            ]
        }

        function test_statusParsing(data) {
            compare(page.statusNumber(data.cmd), data.number)
            var value = page.statusValue(data.cmd)
            if (isNaN(data.value))
                verify(isNaN(value), "value " + value)
            else
                compare(value, data.value)
        }

        function test_commandTexts() {
            compare(page.frameCommand(112, 230, 50, 40), "$20 P112 230 50 40")
            compare(page.moveCommand(-2.5, 0.4), "$25 P-3 0")
            compare(page.startCommand(100.5, 7.2, 1), "$30 P101 7 P1")
            compare(page.startCommand(100.5, 7.2, 2), "$30 P101 7 P2")
            compare(page.fractionCommand(8, 1), "$8 P1.000")
            compare(page.fractionCommand(9, 0.25), "$9 P0.250")
        }

        function test_needsPublishedJob_data() {
            return [ { tag: "frame", button: "locImageButton" }, { tag: "play", button: "playButton" } ]
        }

        function test_needsPublishedJob(data) {
            mouseClick(child(data.button))
            compare(page.lastMessage, "请先加载图像……")
            compare(child("infoText").text, "请先加载图像……")
            compare(operationEnd.sent, [])
        }

        function test_messageLineSlidesInAndOut() {
            var line = child("carveinfoRemind")
            compare(line.anchors.bottomMargin, -24)
            page.infoView("hello")
            tryCompare(line.anchors, "bottomMargin", -2, 500)
            tryCompare(line.anchors, "bottomMargin", -24, 4000)
        }

        function test_previewIds() {
            var image = child("operateImage")
            compare(String(image.source), "image://screen")
            verify(!child("operateImageFrame").visible)
            publish(0, 0, 10, 10)
            compare(String(image.source), "image://screen/image10")
            publish(0, 0, 10, 10)
            compare(String(image.source), "image://screen/image11")
            compare(page.loadFlag, 2)
            verify(child("operateImageFrame").visible)
            compare(child("imageCoordinate").opacity, 1)
            // Centred: the provider serves a 680-pixel square before the first real job.
            var frame = child("operateImageFrame")
            compare(frame.width, 680 * child("carveFrame").scaleSize + 4)
            tryCompare(frame, "x", (660 - frame.width) / 2)
        }

        function test_burnedArea_data() {
            return [
                { tag: "normal", bounds: [12, 30, 62, 70], expected: [12, 30, 50, 40] },
                { tag: "single column keeps previous", bounds: [40, 3, 40, 90], expected: [1, 2, 3, 4] },
                { tag: "single row keeps previous", bounds: [4, 50, 80, 50], expected: [1, 2, 3, 4] },
                { tag: "empty job", bounds: [680, 680, 0, 0], expected: [680, 680, -680, -680] },
            ]
        }

        function test_burnedArea(data) {
            publish(1, 2, 4, 6)
            publish(data.bounds[0], data.bounds[1], data.bounds[2], data.bounds[3])
            compare([page.xImageVertex, page.yImageVertex, page.wImageVertex, page.hImageVertex], data.expected)
            compare(String(child("operateImage").source), "image://screen/image11")
        }

        function test_framing() {
            publish(12, 30, 62, 70)
            placeAt(100, 200)
            var button = child("locImageButton")
            mouseClick(button)
            compare(operationEnd.sent, ["$20 P112 230 50 40"])
            verify(!button.locImageFlag, "framing follows the engraver, not the click")
            operationEnd.toFrontStatus("F10")
            verify(button.locImageFlag)
            compare(page.lastMessage, "已经启动框定位……")
            child("imageLocMenu").visible = true
            mouseClick(button)
            compare(operationEnd.sent[1], "$25 P100 200")
            verify(!child("imageLocMenu").visible)
            operationEnd.toFrontStatus("F11")
            verify(!button.locImageFlag)
            compare(page.lastMessage, "已经停止框定位……")
        }

        function test_play_data() {
            return [
                { tag: "grey", mode: 1, expected: "$30 P101 7 P1" },
                { tag: "black and white", mode: 2, expected: "$30 P101 7 P2" },
            ]
        }

        function test_play(data) {
            connectDrawOperations.carveMode = data.mode
            publish(0, 0, 10, 10)
            var s = child("carveFrame").scaleSize
            page.placePicture(100.5 * s, 7.2 * s)
            mouseClick(child("playButton"))
            compare(operationEnd.sent, [data.expected])
            operationEnd.toFrontStatus("F20")
            mouseClick(child("playButton"))
            compare(operationEnd.sent[1], "$31")
            operationEnd.toFrontStatus("F21")
            mouseClick(child("playButton"))
            compare(operationEnd.sent[2], data.expected)
        }

        function test_playWhileFraming() {
            publish(0, 0, 10, 10)
            operationEnd.toFrontStatus("F10")
            mouseClick(child("playButton"))
            compare(page.lastMessage, "正在框定位，请先停止框定位再开始打印……")
            compare(operationEnd.sent, [])
        }

        function test_jobStates() {
            publish(0, 0, 10, 10)
            var play = child("playButton")
            var stop = child("stopButton")
            var frameButton = child("locImageButton")
            var timing = child("carveTiming")
            // Before the first job the stop button rests beneath the play button.
            compare(stop.anchors.topMargin, 0)

            operationEnd.toFrontStatus("F20")
            verify(!play.toggle)
            verify(timing.running)
            verify(!frameButton.enabled)
            verify(connectDrawOperations.startCarveFlag)
            verify(!page.markerDraggable)
            tryCompare(stop.anchors, "topMargin", 60)
            tryCompare(stop, "rotation", 90)
            timing.carveSecond = 5

            operationEnd.toFrontStatus("F21")
            verify(play.toggle)
            verify(!timing.running)
            tryCompare(stop, "rotation", 0)
            compare(stop.anchors.topMargin, 60)
            verify(connectDrawOperations.startCarveFlag)

            // Resuming continues the clock.
            operationEnd.toFrontStatus("F20")
            verify(timing.running)
            compare(timing.carveSecond, 5)

            operationEnd.completePecent(0.5)
            compare(child("carveProgress").value, 0.5)
            operationEnd.toFrontStatus("F22")
            verify(!timing.running)
            verify(play.toggle)
            verify(frameButton.enabled)
            verify(page.markerDraggable)
            verify(!connectDrawOperations.startCarveFlag)
            compare(child("carveProgress").value, 0)
            compare(operationEnd.clearCount, 1)
            compare(stopDoneSpy.count, 0)
            tryCompare(stop.anchors, "topMargin", 0)
            compare(timing.carveSecond, 5)

            // A new start after a stop counts from zero.
            operationEnd.toFrontStatus("F20")
            compare(timing.carveSecond, 0)
            verify(timing.running)
            compare(operationEnd.sent, [])
        }

        function test_clockTick_data() {
            return [
                { tag: "second", before: [0, 0, 0], after: [0, 0, 1] },
                { tag: "minute", before: [0, 0, 59], after: [0, 1, 0] },
                { tag: "hour", before: [2, 59, 59], after: [3, 0, 0] },
            ]
        }

        function test_clockTick(data) {
            var timing = child("carveTiming")
            timing.carveHourse = data.before[0]
            timing.carveMinute = data.before[1]
            timing.carveSecond = data.before[2]
            timing.tick()
            compare([timing.carveHourse, timing.carveMinute, timing.carveSecond], data.after)
            compare(child("hourText").text, String(data.after[0]))
            compare(child("secondText").text, String(data.after[2]))
        }

        // The shown time follows the real clock, however often the timer fires.
        function test_clockFollowsRealTime() {
            var timing = child("carveTiming")
            timing.runStart = 1000000
            timing.runSeconds = 0
            timing.carveMinute = 59
            timing.carveSecond = 58
            timing.catchUp(1000000 + 2500)
            compare([timing.carveHourse, timing.carveMinute, timing.carveSecond], [1, 0, 0])
            timing.catchUp(1000000 + 2600)
            timing.catchUp(1000000 + 2999)
            compare(timing.carveSecond, 0)
            timing.catchUp(1000000 + 3000)
            compare(timing.carveSecond, 1)
        }

        function test_statusSetsSliders_data() {
            return [
                { tag: "laser", cmd: "F8 P0.25", slider: "laserSlider", value: 25 },
                { tag: "depth", cmd: "F9 P0.5", slider: "speedSlider", value: 50 },
                { tag: "no value", cmd: "F8", slider: "laserSlider", value: 0 },
            ]
        }

        function test_statusSetsSliders(data) {
            operationEnd.toFrontStatus(data.cmd)
            compare(child(data.slider).value, data.value)
            compare(operationEnd.sent, [])
        }

        function test_otherStatusIgnored_data() {
            return [ { tag: "unknown", cmd: "F5" }, { tag: "no digits", cmd: "F" }, { tag: "23", cmd: "F23" } ]
        }

        function test_otherStatusIgnored(data) {
            operationEnd.toFrontStatus(data.cmd)
            compare(page.lastMessage, "")
            compare(operationEnd.sent, [])
            verify(!connectDrawOperations.startCarveFlag)
        }

        function test_sliderRelease_data() {
            return [
                { tag: "laser right end", panel: "laserStyle", slider: "laserSlider", right: true, expected: "$8 P1.000" },
                { tag: "laser left end", panel: "laserStyle", slider: "laserSlider", right: false, expected: "$8 P0.000" },
                { tag: "depth right end", panel: "speedStyle", slider: "speedSlider", right: true, expected: "$9 P1.000" },
            ]
        }

        function test_sliderRelease(data) {
            var slider = child(data.slider)
            slider.value = data.right ? 50 : 30
            child(data.panel).onView()
            var x = data.right ? slider.width + 10 : -10
            mousePress(slider, slider.width / 2, slider.height / 2)
            mouseMove(slider, x, slider.height / 2)
            mouseRelease(slider, x, slider.height / 2)
            compare(operationEnd.sent, [data.expected])
        }

        function test_connect() {
            var button = child("connectButton")
            mouseClick(button)
            compare(operationEnd.connectCalls, [true])
            operationEnd.includeBackStatus(10)
            verify(button.connectFlag)
            compare(page.lastMessage, "连接成功……")
            mouseClick(button)
            compare(operationEnd.connectCalls, [true, false])
            operationEnd.includeBackStatus(11)
            verify(!button.connectFlag)
            compare(page.lastMessage, "已断开连接……")
        }

        function test_markerTypedCoordinates() {
            var marker = child("carveLocation")
            var s = child("carveFrame").scaleSize
            var xField = child("markerXField")
            typeInto(xField, "79")
            mouseClick(marker)
            // The release sends the tip's position from before the click.
            compare(operationEnd.sent, ["$25 P" + page.roundPixel(16 / s) + " " + page.roundPixel(42 / s)])
            tryCompare(marker, "x", 79 / 0.05 * s - 16)
            compare(xField.text, "79.00")
            compare(page.markerTipX(), 1580)

            typeInto(xField, "81")
            mouseClick(marker)
            compare(operationEnd.sent[1], "$25 P1580 " + page.roundPixel(42 / s))
            wait(600)
            compare(marker.x, 79 / 0.05 * s - 16)
            compare(page.lastMessage, "")
        }

        function test_markerDragDisabledWhileRunning() {
            publish(0, 0, 10, 10)
            operationEnd.toFrontStatus("F20")
            var marker = child("carveLocation")
            var before = marker.x
            mouseDrag(marker, 16, 16, 100, 100)
            compare(marker.x, before)
            operationEnd.toFrontStatus("F22")
            mouseDrag(marker, 16, 16, 100, 100)
            verify(marker.x > before)
        }

        function test_pictureTypedCoordinates_data() {
            return [
                { tag: "both accepted", x: "10", y: "5", moved: [10, 5], errors: false },
                { tag: "x too large", x: "46.01", y: "5", moved: [null, 5], errors: true },
                { tag: "negative y", x: "10", y: "-1", moved: [10, null], errors: true },
                { tag: "not a number", x: "abc", y: "2", moved: [null, 2], errors: true },
                { tag: "upper limit", x: "46.00", y: "0", moved: [46, 0], errors: false },
            ]
        }

        function test_pictureTypedCoordinates(data) {
            // The placeholder picture is 680 pixels square: x and y may go up to 46 mm.
            publish(0, 0, 10, 10)
            var frame = child("operateImageFrame")
            var s = child("carveFrame").scaleSize
            tryCompare(frame, "x", page.pictureX)
            var startX = frame.x
            var startY = frame.y
            typeInto(child("imageXField"), data.x)
            typeInto(child("imageYField"), data.y)
            mouseClick(frame)
            compare(page.lastMessage, data.errors ? "输入有误,请重新输入" : "")
            var expectedX = data.moved[0] === null ? startX : data.moved[0] / 0.05 * s
            var expectedY = data.moved[1] === null ? startY : data.moved[1] / 0.05 * s
            tryCompare(frame, "x", expectedX)
            tryCompare(frame, "y", expectedY)
            compare(operationEnd.sent, [])
        }

        function test_pictureReleaseWhileFraming() {
            publish(12, 30, 62, 70)
            placeAt(100, 200)
            operationEnd.toFrontStatus("F10")
            typeInto(child("imageXField"), "10")
            mouseClick(child("operateImageFrame"))
            // The release carries the position from before the click.
            compare(operationEnd.sent, ["$20 P112 230 50 40"])
            tryCompare(child("operateImageFrame"), "x", 200 * child("carveFrame").scaleSize)
        }

        function test_positioningMenu_data() {
            return [
                { tag: "left", button: "locMenu_left", dx: -10, dy: 0 },
                { tag: "right", button: "locMenu_right", dx: 10, dy: 0 },
                { tag: "up", button: "locMenu_up", dx: 0, dy: -10 },
                { tag: "down", button: "locMenu_down", dx: 0, dy: 10 },
            ]
        }

        function test_positioningMenu(data) {
            publish(12, 30, 62, 70)
            placeAt(100, 200)
            var area = child("carveFrame")
            var menu = child("imageLocMenu")
            mouseClick(area, 20, 20, Qt.RightButton)
            verify(!menu.visible, "the menu opens only while framing")
            operationEnd.toFrontStatus("F10")
            mouseClick(area, 20, 20, Qt.RightButton)
            verify(menu.visible)
            fuzzyCompare(menu.x, 20, 1)
            mouseClick(child(data.button))
            compare(operationEnd.sent, ["$20 P" + (112 + data.dx) + " " + (230 + data.dy) + " 50 40"])
            // Two quick steps count from the target, not from the animation.
            mouseClick(child(data.button))
            compare(operationEnd.sent[1], "$20 P" + (112 + 2 * data.dx) + " " + (230 + 2 * data.dy) + " 50 40")
            mouseClick(area, 5, 650)
            verify(!menu.visible)
        }

        function test_positioningMenuAtEdge() {
            publish(0, 0, 10, 10)
            placeAt(0, 0)
            operationEnd.toFrontStatus("F10")
            mouseClick(child("carveFrame"), 600, 600, Qt.RightButton)
            var menu = child("imageLocMenu")
            compare(menu.x, 660 - 80)
            compare(menu.y, 660 - 160)
            mouseClick(child("locMenu_left"))
            compare(page.pictureX, 0)
            compare(operationEnd.sent, ["$20 P0 0 10 10"])
        }

        function test_fanPersists() {
            var fan = child("fanButton")
            verify(fan.checked, "the default fan value is on")
            compare(operationEnd.sent, [], "restoring the fan sends nothing")
            mouseClick(fan)
            verify(!fan.checked)
            compare(operationEnd.sent, ["$10 P0"])
            // Restart: a new page reads back what the old one stored.
            loader.destroy()
            wait(0)
            createPage()
            var fan2 = child("fanButton")
            verify(!fan2.checked)
            mouseClick(fan2)
            compare(operationEnd.sent, ["$10 P0", "$10 P1000"])
            loader.destroy()
            wait(0)
            createPage()
            verify(child("fanButton").checked)
        }

        function test_stopFlow_data() {
            return [
                { tag: "popup waiting", waiting: true, emitted: 1 },
                { tag: "no popup", waiting: false, emitted: 0 },
            ]
        }

        function test_stopFlow(data) {
            publish(0, 0, 10, 10)
            operationEnd.toFrontStatus("F20")
            connectDrawOperations.beginStopFlag = data.waiting
            connectDrawOperations.verifyButton()
            compare(operationEnd.sent, ["$32"])
            compare(stopDoneSpy.count, 0)
            operationEnd.toFrontStatus("F22")
            compare(stopDoneSpy.count, data.emitted)
            verify(!connectDrawOperations.startCarveFlag)
        }

        function test_stopButtonSends() {
            publish(0, 0, 10, 10)
            operationEnd.toFrontStatus("F20")
            var stop = child("stopButton")
            tryCompare(stop.anchors, "topMargin", 60)
            tryCompare(stop, "rotation", 90)
            mouseClick(stop)
            compare(operationEnd.sent, ["$32"])
        }

        // The page inside the real main window: OK in the confirmation popup
        // stops the job, and the stop report closes the popup.
        function test_stopFlowInMainWindow() {
            var window = createTemporaryObject(Qt.createComponent("qrc:/main.qml"), null)
            verify(window !== null)
            var state = findChild(window, "connectDrawOperations")
            var dialog = findChild(window, "imageProcessDoneDialog")
            verify(findChild(window, "caseLoader2").item !== null)
            operationEnd.toFrontStatus("F20")
            verify(state.startCarveFlag)
            state.open()
            tryCompare(dialog, "opened", true)
            verify(state.beginStopFlag)
            mouseClick(findChild(window, "confirmOkButton"))
            compare(operationEnd.sent, ["$32"])
            verify(dialog.visible, "the popup waits for the engraver")
            operationEnd.toFrontStatus("F22")
            verify(!state.startCarveFlag)
            tryCompare(dialog, "visible", false)
        }

        function test_progressLine() {
            publish(12, 30, 62, 70)
            var line = child("progressLine")
            var s = child("carveFrame").scaleSize
            compare(line.opacity, 0)
            operationEnd.toFrontStatus("F20")
            operationEnd.completePecent(0.25)
            compare(line.opacity, 1)
            compare(line.x, 12 * s)
            compare(line.y, (30 + 40 * 0.25) * s)
            compare(line.width, 50 * s + 5)
            compare(child("progressLabel").text, "完成度25%")
        }
    }
}
