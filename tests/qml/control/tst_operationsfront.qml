import QtQuick 2.7
import QtTest 1.0
import QtQuick.Window 2.2
import "../standins" as Stand
import Qt.labs.settings 1.0
import Zan.Engraver 1.0
import "qrc:/" as Program
import "qrc:/common" as Common
import "qrc:/common/helpers.js" as Helpers

// The control page against recording stand-ins for the engraver controller
// and the main window's shared state, handed to it as its properties: only
// the sent text and the page's own reactions matter here. The real
// controller and the simulated engraver are driven by the end-to-end suite.
Item {
    id: host

    width: 990
    height: 680

    Common.SharedState {
        id: sharedState
    }

    // Also the controller of the main window in test_stopFlowInMainWindow:
    // a window created from this document finds it by the program's name.
    Stand.StandInController {
        id: operationEnd
    }

    // Stands in for the window the page asks for attention.
    QtObject {
        id: standInWindow

        property bool active: true
        property var alerts: []

        function alert(msec) { alerts = alerts.concat([msec]) }
    }

    // The settings store, for the pace remembered from earlier jobs.
    Settings {
        id: store
    }

    Component {
        id: pageComponent

        Program.OperationsFront {
            shared: sharedState
            controller: operationEnd
            hostWindow: standInWindow
        }
    }

    TestCase {
        property var page: null

        name: "OperationsFront"
        when: windowShown

        function child(name) {
            var item = findChild(page, name)
            verify(item !== null, "no item " + name)
            return item
        }

        function createPage() {
            page = createTemporaryObject(pageComponent, host)
            verify(page !== null)
        }

        function init() {
            sharedState.startCarveFlag = false
            sharedState.carveMode = 2
            operationEnd.searching = false
            operationEnd.portName = ""
            operationEnd.engraverSilent = false
            createPage()
            // One pass, whatever a test before kept in the settings.
            page.jobRun.passes = 1
            // An engraver connected, at a power and depth that burn.
            operationEnd.includeBackStatus(10)
            child("laserSlider").value = 50
            child("speedSlider").value = 50
            page.lastMessage = ""
            operationEnd.sent = []
            operationEnd.connectCalls = []
            operationEnd.clearCount = 0
            operationEnd.disconnectCalls = 0
            operationEnd.reconnectCalls = 0
            operationEnd.dataRequestOverdue = false
            operationEnd.jobBuffer.size = 0
            operationEnd.jobBuffer.sent = 0
            standInWindow.active = true
            standInWindow.alerts = []
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

        // Puts the picture at a position in engraving pixels and waits for it.
        function placeAt(px, py) {
            var s = child("carveFrame").scaleSize
            page.placePicture(px * s, py * s)
            tryCompare(child("operateImageFrame"), "x", px * s)
            tryCompare(child("operateImageFrame"), "y", py * s)
        }

        // Positions reach the engraver in whole pixels, halves away from
        // zero (Math.round would turn -2.5 into -2), as the page passes them
        // to the shared command builder.
        function test_roundPixel_data() {
            return [
                { tag: "half up", value: 2.5, expected: 3 },
                { tag: "half down negative", value: -2.5, expected: -3 },
                { tag: "negative small", value: -0.4, expected: 0 },
            ]
        }

        function test_roundPixel(data) {
            compare(EngraverProtocol.moveCommand(data.value, 0), "$25 P" + data.expected + " 0")
        }

        // Status replies set a slider, show a message or are ignored; none
        // sends anything back. The number follows the "F" after any blanks
        // and ends at the first non-digit; the value follows the first "P".
        function test_statusReply_data() {
            return [
                { tag: "laser", cmd: "F8 P0.25", slider: "laserSlider", value: 25 },
                { tag: "leading zero", cmd: "F08 P0.5", slider: "laserSlider", value: 50 },
                { tag: "depth, blank after P", cmd: "F9 P 0.75", slider: "speedSlider", value: 75 },
                { tag: "digits stop", cmd: "F9P1", slider: "speedSlider", value: 100 },
                { tag: "no value", cmd: "F8", slider: "laserSlider", value: 30 },
                { tag: "P without value", cmd: "F8 P", slider: "laserSlider", value: 30 },
                { tag: "blanks and line end", cmd: "F  7\r\n", message: "风扇已关闭……" },
                { tag: "unknown", cmd: "F5", message: "" },
                { tag: "no digits", cmd: "F", message: "" },
                { tag: "letter first", cmd: "Fx20", message: "" },
            ]
        }

        function test_statusReply(data) {
            if (data.slider)
                child(data.slider).value = 30
            operationEnd.toFrontStatus(data.cmd)
            if (data.slider)
                compare(child(data.slider).value, data.value)
            else
                compare(page.lastMessage, data.message)
            compare(operationEnd.sent, [])
            verify(!sharedState.startCarveFlag)
        }

        function test_refusedBeforeAJob_data() {
            return [{ tag: "frame", button: "locImageButton" }, { tag: "play", button: "playButton" }]
        }

        function test_refusedBeforeAJob(data) {
            mouseClick(child(data.button))
            compare(child("infoText").text, "请先加载图像……")
            compare(operationEnd.sent, [])
        }

        // Every job gets a fresh preview id; a job burning a single row or
        // column keeps the previous burned area, an empty one does not.
        function test_publishedJob_data() {
            return [
                { tag: "normal", bounds: [12, 30, 62, 70], expected: [12, 30, 50, 40] },
                { tag: "single column keeps previous", bounds: [40, 3, 40, 90], expected: [1, 2, 3, 4] },
                { tag: "single row keeps previous", bounds: [4, 50, 80, 50], expected: [1, 2, 3, 4] },
                { tag: "empty job", bounds: [680, 680, 0, 0], expected: [680, 680, -680, -680] },
            ]
        }

        function test_publishedJob(data) {
            operationEnd.finishedLoad(1, 2, 4, 6)
            compare(String(child("operateImage").source), "image://screen/image10")
            operationEnd.finishedLoad(data.bounds[0], data.bounds[1], data.bounds[2], data.bounds[3])
            compare(String(child("operateImage").source), "image://screen/image11")
            compare([page.xImageVertex, page.yImageVertex, page.wImageVertex, page.hImageVertex], data.expected)
        }

        // A work file opened sets power, depth and fan and sends them to
        // the engraver, at once or, when none is connected, once one is;
        // during a job they stay as they are. The next job shown goes where
        // the work's did.
        function test_workOpened_data() {
            return [
                { tag: "connected", connected: true },
                { tag: "connected later", connected: false },
                { tag: "during a job", connected: true, job: true },
            ]
        }

        function test_workOpened(data) {
            var fan = child("fanButton"), fanWas = fan.checked
            if (!data.connected)
                operationEnd.includeBackStatus(11)
            if (data.job)
                operationEnd.toFrontStatus("F20")
            operationEnd.sent = []
            sharedState.workOpened({ "laserPower": 80, "depth": 25.5, "fan": !fanWas, "placed": true, "x": 10, "y": 20 })
            var expected = [80, 25.5, !fanWas]
            if (data.job)
                expected = [50, 50, fanWas]
            compare([child("laserSlider").value, child("speedSlider").value, fan.checked], expected)
            if (!data.connected) {
                compare(operationEnd.sent, [])
                operationEnd.includeBackStatus(10)
            }
            compare(operationEnd.sent, data.job ? [] : [EngraverProtocol.laserPowerCommand(0.8), EngraverProtocol.depthCommand(0.255),
                                                        fanWas ? EngraverProtocol.fanOffCommand : EngraverProtocol.fanOnCommand])
            operationEnd.finishedLoad(12, 30, 62, 70)
            compare([child("carveFrame").pictureLeft(), child("carveFrame").pictureTop()], [200, 400])
        }

        function test_framing() {
            operationEnd.finishedLoad(12, 30, 62, 70)
            placeAt(100, 200)
            var button = child("locImageButton")
            mouseClick(button)
            compare(operationEnd.sent, ["$20 P112 230 50 40"])
            verify(!button.locImageFlag, "framing follows the engraver, not the click")
            operationEnd.toFrontStatus("F10")
            verify(button.locImageFlag)
            mouseClick(child("playButton"))
            compare(child("infoText").text, "正在框定位，请先停止框定位再开始打印……")
            // A click on the picture while framing moves it to the typed
            // place, but its release frames the place from before the click.
            typeInto(child("imageXField"), "10")
            mouseClick(child("operateImageFrame"))
            compare(operationEnd.sent[1], "$20 P112 230 50 40")
            tryCompare(child("operateImageFrame"), "x", 200 * child("carveFrame").scaleSize)
            mouseClick(button)
            compare(operationEnd.sent[2], "$25 P200 200")
            operationEnd.toFrontStatus("F11")
            verify(!button.locImageFlag)
        }

        function test_run_data() {
            return [
                { tag: "grey", mode: 1, expected: "$30 P101 7 P1" },
                { tag: "black and white", mode: 2, expected: "$30 P101 7 P2" },
            ]
        }

        // The page follows the engraver's reports: 20 running, 21 paused,
        // 22 stopped. Play from idle rewinds the job, which stray data
        // requests may have moved; pause and resume do not.
        function test_run(data) {
            sharedState.carveMode = data.mode
            operationEnd.finishedLoad(12, 30, 62, 70)
            var s = child("carveFrame").scaleSize
            page.placePicture(100.5 * s, 7.2 * s)
            var play = child("playButton")
            var timing = child("carveTiming")
            var marker = child("carveLocation")
            var markerAt = marker.x
            mouseClick(play)
            compare(operationEnd.clearCount, 1)
            operationEnd.toFrontStatus("F20")
            verify(timing.running)
            verify(!child("locImageButton").enabled)
            operationEnd.completePecent(0.25)
            compare(child("progressLine").y, (30 + 40 * 0.25) * s)

            // Pausing stops the clock, resuming goes on from where it stood.
            mouseClick(play)
            operationEnd.toFrontStatus("F21")
            verify(!timing.running)
            verify(sharedState.startCarveFlag)
            timing.carveSecond = 5
            mouseClick(play)
            operationEnd.toFrontStatus("F20")
            verify(timing.running)
            compare(timing.carveSecond, 5)
            compare(operationEnd.clearCount, 1)

            // The stop button comes out from under the play button.
            var stop = child("stopButton")
            tryCompare(stop.anchors, "topMargin", 60)
            mouseClick(stop)
            compare(operationEnd.sent, [data.expected, "$31", data.expected, "$32"])
            mouseDrag(marker, 16, 16, 100, 100)
            compare(marker.x, markerAt, "the marker stays put while engraving")

            operationEnd.toFrontStatus("F22")
            verify(!timing.running)
            verify(child("locImageButton").enabled)
            compare(operationEnd.clearCount, 2)
            mouseDrag(marker, 16, 16, 100, 100)
            verify(marker.x > markerAt)

            // A new start after a stop counts from zero.
            operationEnd.toFrontStatus("F20")
            compare(timing.carveSecond, 0)
        }

        function test_passes_data() {
            return [
                { tag: "three passes", passes: 3, stopInPass: 0, starts: 3 },
                { tag: "one pass", passes: 1, stopInPass: 0, starts: 1 },
                // A stop asked for once the pass was sent whole ends them all.
                { tag: "stopped in the second", passes: 3, stopInPass: 2, starts: 2 },
            ]
        }

        // A pass sent whole and reported ended starts the same job again at
        // the same place, the page running all along; the last one, or a
        // stop, ends the run.
        function test_passes(data) {
            operationEnd.finishedLoad(12, 30, 62, 70)
            operationEnd.jobBuffer.size = 4096
            page.jobRun.passes = data.passes
            placeAt(100, 200)
            mouseClick(child("playButton"))
            operationEnd.toFrontStatus("F20")
            for (var pass = 1; pass <= data.starts; ++pass) {
                compare(page.jobRun.pass, pass)
                compare(child("passLabel").visible, data.passes > 1)
                operationEnd.jobBuffer.sent = 4096
                if (pass === data.stopInPass) {
                    tryCompare(child("stopButton").anchors, "topMargin", 60)
                    mouseClick(child("stopButton"))
                }
                operationEnd.toFrontStatus("F22")
                operationEnd.jobBuffer.sent = 0
                if (pass < data.starts) {
                    verify(page.jobState.running, "running between passes")
                    operationEnd.toFrontStatus("F20")
                }
            }
            verify(page.jobState.idle)
            compare(page.jobRun.pass, 0)
            var starts = operationEnd.sent.filter(function (c) { return c === "$30 P100 200 P2" })
            compare(starts.length, data.starts)
            // Each start from the job's first byte, and the rewind of the stop.
            compare(operationEnd.clearCount, data.starts + 1)
        }

        // The engraver's reports and the link decide the job's state; the
        // buttons, the clock and the shared running flag all follow it. A
        // pause reported with no job running changes nothing, nor does a
        // link lost between jobs. Look: [play offered, frame enabled,
        // running flag, clock running, stop button out, stop button turned].
        function test_jobStateLook_data() {
            var idle = [true, true, false, false, false, false]
            var running = [false, false, true, true, true, true]
            var paused = [true, false, true, false, true, false]
            var interrupted = [true, true, false, false, true, false]
            return [
                { tag: "idle", steps: [], look: idle },
                { tag: "stray pause", steps: ["F21"], look: idle },
                { tag: "link lost between jobs", steps: ["lost"], look: idle },
                { tag: "running", steps: ["F20"], look: running },
                { tag: "paused", steps: ["F20", "F21"], look: paused },
                { tag: "stopped", steps: ["F20", "F21", "F22"], look: idle },
                { tag: "lost while running", steps: ["F20", "lost"], look: interrupted },
                { tag: "lost while paused", steps: ["F20", "F21", "lost"], look: interrupted },
                { tag: "stray pause after the loss", steps: ["F20", "lost", "back", "F21"], look: interrupted },
                { tag: "resumed after the loss", steps: ["F20", "lost", "back", "F20"], look: running },
                { tag: "stopped after the loss", steps: ["F20", "lost", "back", "F22"], look: idle },
            ]
        }

        function test_jobStateLook(data) {
            for (var i = 0; i < data.steps.length; ++i) {
                var step = data.steps[i]
                if (step === "lost" || step === "back")
                    operationEnd.includeBackStatus(step === "lost" ? 11 : 10)
                else
                    operationEnd.toFrontStatus(step)
            }
            var stop = child("stopButton")
            compare([child("playButton").toggle, child("locImageButton").enabled, sharedState.startCarveFlag,
                     child("carveTiming").running], data.look.slice(0, 4))
            compare(child("sleepInhibitor").active, data.look[2], "the desktop kept awake during a job")
            tryCompare(stop.anchors, "topMargin", data.look[4] ? 60 : 0)
            tryCompare(stop, "rotation", data.look[5] ? 90 : 0)
            compare(operationEnd.sent, [])
        }

        function test_stalledJob_data() {
            return [
                { tag: "running, overdue", steps: ["F20"], shown: true },
                { tag: "resumed after the link came back, overdue", steps: ["F20", "lost", "back", "F20"],
                  shown: true },
                { tag: "paused", steps: ["F20", "F21"], shown: false },
                { tag: "idle", steps: [], shown: false },
                { tag: "link lost", steps: ["F20", "lost"], shown: false },
            ]
        }

        // A running job that asks for no data is shown for as long as it
        // lasts, with stop and reconnect at hand; nothing else is sent.
        function test_stalledJob(data) {
            operationEnd.finishedLoad(12, 30, 62, 70)
            for (var i = 0; i < data.steps.length; ++i) {
                var step = data.steps[i]
                if (step === "lost" || step === "back")
                    operationEnd.includeBackStatus(step === "lost" ? 11 : 10)
                else
                    operationEnd.toFrontStatus(step)
            }
            var notice = child("stalledJobNotice")
            verify(!notice.visible, "not before the controller says so")
            operationEnd.dataRequestOverdue = true
            compare(notice.visible, data.shown)
            compare(operationEnd.sent, [])
            if (!data.shown)
                return
            compare(child("stalledJobText").text, "雕刻机已停止请求数据，雕刻没有进展……")
            mouseClick(child("stalledStopButton"))
            compare(operationEnd.sent, ["$32"])
            mouseClick(child("stalledReconnectButton"))
            compare(operationEnd.reconnectCalls, 1)
            verify(notice.visible, "the engraver has not answered yet")
            // The next data request ends it.
            operationEnd.dataRequestOverdue = false
            verify(!notice.visible)
        }

        function test_clockAcrossInterruptions_data() {
            return [
                { tag: "paused and resumed", steps: ["F21", "F20"], minutes: 7 },
                { tag: "link lost while running, resumed", steps: ["lost", "back", "play", "F20"], minutes: 7 },
                { tag: "link lost while paused, resumed", steps: ["F21", "lost", "back", "play", "F20"], minutes: 7 },
                { tag: "stopped, new job", steps: ["F22", "play", "F20"], minutes: 0 },
                { tag: "link lost, stopped after it, new job",
                  steps: ["lost", "back", "F22", "play", "F20"], minutes: 0 },
            ]
        }

        // The elapsed time goes on from the time already spent when a job
        // resumes, after a pause or after the link dropped mid-job; only a
        // job started after a stop counts from zero. (Minutes are set, not
        // seconds: the running clock may add a second meanwhile.)
        function test_clockAcrossInterruptions(data) {
            operationEnd.finishedLoad(12, 30, 62, 70)
            var timing = child("carveTiming")
            operationEnd.toFrontStatus("F20")
            verify(timing.running)
            timing.carveMinute = 7
            var rewinds = operationEnd.clearCount
            for (var i = 0; i < data.steps.length; ++i) {
                var step = data.steps[i]
                if (step === "lost")
                    operationEnd.includeBackStatus(11)
                else if (step === "back")
                    operationEnd.includeBackStatus(10)
                else if (step === "play")
                    mouseClick(child("playButton"))
                else
                    operationEnd.toFrontStatus(step)
                if (step === "lost" || step === "F21")
                    verify(!timing.running, "the clock stands while " + step)
            }
            verify(timing.running)
            compare(timing.carveMinute, data.minutes)
            if (data.minutes !== 0)
                compare(operationEnd.clearCount, rewinds, "a resumed job is not rewound")
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

        // The power and depth panels open on a click on their button, not
        // on the pointer passing over it, and stay open with the pointer
        // gone until closed as the row says; one at a time.
        function test_panels_data() {
            return [
                { tag: "laser, closed by its button", button: "laserButton", panel: "laserStyle", close: "button" },
                { tag: "laser, closed by the depth button", button: "laserButton", panel: "laserStyle", close: "other" },
                { tag: "depth, closed by Escape", button: "speedButton", panel: "speedStyle", close: "escape" },
                { tag: "depth, closed by a press on the background", button: "speedButton", panel: "speedStyle",
                  close: "background" },
            ]
        }

        function test_panels(data) {
            var button = child(data.button), panel = child(data.panel)
            var otherButton = child(data.button === "laserButton" ? "speedButton" : "laserButton")
            var otherPanel = child(data.panel === "laserStyle" ? "speedStyle" : "laserStyle")
            mouseMove(button, button.width / 2, button.height / 2)
            verify(!panel.visible, "opened by the pointer alone")
            mouseClick(button)
            verify(panel.visible)
            mouseMove(page, 500, 660)
            wait(0)
            verify(panel.visible, "closed by itself")
            var closeBy = {
                button: function() { mouseClick(button) },
                other: function() { mouseClick(otherButton) },
                escape: function() { keyClick(Qt.Key_Escape) },
                background: function() { mousePress(page, 100, 600); mouseRelease(page, 100, 600) },
            }
            closeBy[data.close]()
            verify(!panel.visible)
            compare(otherPanel.visible, data.close === "other")
        }

        function test_connect() {
            var button = child("connectButton")
            operationEnd.includeBackStatus(11)
            verify(!button.connectFlag)
            mouseClick(button)
            operationEnd.includeBackStatus(10)
            verify(button.connectFlag)
            mouseClick(button)
            operationEnd.includeBackStatus(11)
            verify(!button.connectFlag)
            compare(operationEnd.connectCalls, [true, false])
        }

        // Presses the middle of an item, moves the pointer in steps past the
        // drag threshold and lets go, like a hand does. The steps are counted
        // on the area, which stays put while the item follows the pointer.
        function dragBy(item, dx, dy) {
            var area = child("carveFrame")
            var from = item.mapToItem(area, item.width / 2, item.height / 2)
            mousePress(area, from.x, from.y)
            for (var i = 1; i <= 10; ++i)
                mouseMove(area, from.x + dx * i / 10, from.y + dy * i / 10)
            mouseRelease(area, from.x + dx, from.y + dy)
        }

        // The numbers of a sent command, "$20 P1 2 3 4" → [1, 2, 3, 4].
        function commandNumbers(command) {
            return command.replace(/^\$[0-9]+ P/, "").split(" ").map(Number)
        }

        function test_dragSendsWhereLetGo_data() {
            return [
                { tag: "marker into the area", item: "carveLocation", dx: 150, dy: 220 },
                { tag: "marker past the top-left corner", item: "carveLocation", dx: -300, dy: -300,
                  expected: "$25 P0 0" },
                { tag: "marker past the bottom-right corner", item: "carveLocation", dx: 900, dy: 900,
                  expected: "$25 P1600 1600" },
                { tag: "picture while framing", item: "operateImageFrame", framing: true, dx: 120, dy: -40 },
                { tag: "picture past the top-left corner while framing", item: "operateImageFrame",
                  framing: true, dx: -300, dy: -300, expected: "$20 P12 30 50 40" },
                { tag: "picture without framing", item: "operateImageFrame", dx: 120, dy: -40, expected: null },
            ]
        }

        // A drag ends with the command for the place where the item was let
        // go, the place its coordinate label shows: the marker moves the
        // laser there, the picture is framed there while framing is on.
        function test_dragSendsWhereLetGo(data) {
            operationEnd.finishedLoad(12, 30, 62, 70)
            placeAt(100, 200)
            if (data.framing) {
                operationEnd.toFrontStatus("F10")
                compare(operationEnd.sent, [])
            }
            var item = child(data.item)
            var startX = item.x
            var startY = item.y
            dragBy(item, data.dx, data.dy)
            verify(item.x !== startX && item.y !== startY, "the drag moved the item")

            if (data.expected === null) {
                compare(operationEnd.sent, [])
                return
            }
            compare(operationEnd.sent.length, 1)
            var sent = operationEnd.sent[0]
            if (data.expected) {
                compare(sent, data.expected)
                return
            }
            // Where the item lies, in engraving pixels, as its label shows it:
            // the marker's tip, or the picture's corner on the burned area.
            var s = child("carveFrame").scaleSize
            var numbers = commandNumbers(sent)
            var at = data.item === "carveLocation"
                ? [Number(child("markerXField").text) / 0.05, Number(child("markerYField").text) / 0.05]
                : [Number(child("imageXField").text) / 0.05 + 12, Number(child("imageYField").text) / 0.05 + 30]
            verify(Math.abs(numbers[0] - at[0]) <= 0.5 && Math.abs(numbers[1] - at[1]) <= 0.5,
                   sent + " is not where the label says: " + at)
            verify(sent.indexOf(data.item === "carveLocation" ? "$25 P" : "$20 P") === 0, sent)
        }

        function test_linkMessages_data() {
            return [
                { tag: "connected", emit: function() { operationEnd.includeBackStatus(10) }, message: "连接成功……" },
                { tag: "disconnected", emit: function() { operationEnd.includeBackStatus(11) }, message: "已断开连接……" },
                { tag: "engraver not taking data", emit: function() { operationEnd.writeStalled() },
                  message: "雕刻机没有接收数据，请检查连接……" },
                { tag: "no engraver found", emit: function() { operationEnd.engraverNotFound("") },
                  message: "未找到雕刻机，请检查数据线和电源……" },
                { tag: "engraver's device denied", emit: function() { operationEnd.engraverNotFound("/dev/ttyUSB0") },
                  message: "没有权限打开 /dev/ttyUSB0，请把用户加入 dialout 组后重新登录……" },
            ]
        }

        // What the controller reports about the link comes up on the message
        // line; nothing is sent in answer.
        function test_linkMessages(data) {
            data.emit()
            compare(child("infoText").text, data.message)
            tryCompare(child("carveinfoRemind").anchors, "bottomMargin", -2)
            compare(operationEnd.sent, [])
        }

        // Typed millimetres move the marker's tip; a place off the area is
        // ignored without a message. The release sends the tip's place from
        // before the click.
        function test_markerTypedCoordinates() {
            var marker = child("carveLocation")
            var xField = child("markerXField")
            typeInto(xField, "79")
            mouseClick(marker)
            compare(operationEnd.sent, ["$25 P39 102"])
            tryCompare(marker, "x", 79 / 0.05 * child("carveFrame").scaleSize - 16)
            compare(xField.text, "79.00")
            typeInto(xField, "81")
            mouseClick(marker)
            compare(operationEnd.sent[1], "$25 P1580 102")
            compare(page.markerTipX(), 1580)
            compare(page.lastMessage, "")
        }

        function test_pictureTypedCoordinates_data() {
            return [
                { tag: "x too large", x: "46.01", y: "5", moved: [null, 5], errors: true },
                { tag: "negative y", x: "10", y: "-1", moved: [10, null], errors: true },
                { tag: "not a number", x: "abc", y: "2", moved: [null, 2], errors: true },
                { tag: "upper limit", x: "46.00", y: "0", moved: [46, 0], errors: false },
            ]
        }

        // Each field is applied on its own. The placeholder picture is 680
        // pixels square: x and y may go up to 46 mm.
        function test_pictureTypedCoordinates(data) {
            operationEnd.finishedLoad(0, 0, 10, 10)
            var frame = child("operateImageFrame")
            var s = child("carveFrame").scaleSize
            tryCompare(frame, "x", page.pictureX)
            var startX = frame.x
            var startY = frame.y
            typeInto(child("imageXField"), data.x)
            typeInto(child("imageYField"), data.y)
            mouseClick(frame)
            compare(page.lastMessage, data.errors ? "输入有误,请重新输入" : "")
            tryCompare(frame, "x", data.moved[0] === null ? startX : data.moved[0] / 0.05 * s)
            tryCompare(frame, "y", data.moved[1] === null ? startY : data.moved[1] / 0.05 * s)
            compare(operationEnd.sent, [])
        }

        function test_positioningMenu_data() {
            return [
                { tag: "left", at: 100, button: "locMenu_left", sent: ["$20 P102 230 50 40", "$20 P92 230 50 40"] },
                { tag: "right", at: 100, button: "locMenu_right", sent: ["$20 P122 230 50 40", "$20 P132 230 50 40"] },
                { tag: "up", at: 100, button: "locMenu_up", sent: ["$20 P112 220 50 40", "$20 P112 210 50 40"] },
                { tag: "down", at: 100, button: "locMenu_down", sent: ["$20 P112 240 50 40", "$20 P112 250 50 40"] },
                { tag: "left at the edge", at: 0, button: "locMenu_left", sent: ["$20 P12 230 50 40", "$20 P12 230 50 40"] },
            ]
        }

        // Steps of 0.5 mm while framing. Two quick steps count from the
        // target, not from where the animation is; the picture stays on the
        // area.
        function test_positioningMenu(data) {
            operationEnd.finishedLoad(12, 30, 62, 70)
            placeAt(data.at, 200)
            var area = child("carveFrame")
            var menu = child("imageLocMenu")
            mouseClick(area, 20, 20, Qt.RightButton)
            verify(!menu.visible, "the menu opens only while framing")
            operationEnd.toFrontStatus("F10")
            mouseClick(area, 20, 20, Qt.RightButton)
            verify(menu.visible)
            mouseClick(child(data.button))
            mouseClick(child(data.button))
            compare(operationEnd.sent, data.sent)
            mouseClick(area, 5, 650)
            verify(!menu.visible)
        }

        // The fan's state survives a restart; restoring it sends nothing.
        function test_fanPersists() {
            function reopen() {
                page.destroy()
                wait(0)
                createPage()
                return child("fanButton")
            }
            var fan = child("fanButton")
            verify(fan.checked, "the fan is on by default")
            mouseClick(fan)
            fan = reopen()
            verify(!fan.checked)
            mouseClick(fan)
            compare(operationEnd.sent, ["$10 P0", "$10 P1000"])
            verify(reopen().checked)
        }

        // Loaded without the window's state, controller and font, the page
        // still follows the engraver's reports in a state of its own and
        // has nowhere to send its commands.
        function test_pageOnItsOwn() {
            var bare = createTemporaryObject(Qt.createComponent("qrc:/OperationsFront.qml"), host)
            verify(bare !== null && bare.controller === null)
            bare.publishJob(12, 30, 62, 70)
            bare.clickFrameButton()
            bare.clickPlayButton()
            bare.handleStatus("F20")
            verify(bare.shared.startCarveFlag)
            bare.linkLost()
            bare.handleStatus("F22")
            verify(!bare.shared.startCarveFlag)
            compare(bare.fontFamily, "幼圆")
            compare(operationEnd.sent, [])
        }

        // The page inside the real main window: OK in the confirmation popup
        // stops the job, and the stop report closes the popup.
        function test_stopFlowInMainWindow() {
            var window = createTemporaryObject(Qt.createComponent("qrc:/main.qml"), null)
            var state = findChild(window, "connectDrawOperations")
            var dialog = findChild(window, "imageProcessDoneDialog")
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

        // The time left as the page shows it, in seconds; -1 for none.
        function shownLeft() {
            return child("leftClock").shownSeconds
        }

        function leftLabel() {
            return child("leftLabel").text
        }

        // Before any history the pace model gives the estimate (4114 bytes a
        // second at depth 50); a pace measured at another depth scales it.
        function test_timeLeftBeforePlay_data() {
            return [
                { tag: "pace known at this depth", paces: { "50": 1000 }, depth: 50, size: 90000, shown: "0:01:30" },
                { tag: "another depth only", paces: { "30": 1000 }, depth: 50, size: 90000, shown: "0:01:47" },
                { tag: "no history", paces: {}, depth: 50, size: 90000, shown: "0:00:22" },
                { tag: "hours", paces: { "12": 10 }, depth: 12, size: 37230, shown: "1:02:03" },
            ]
        }

        // Before play the page shows the estimate, labelled as one, at the
        // depth the slider shows, and no elapsed time.
        function test_timeLeftBeforePlay(data) {
            store.setValue("jobPace", data.paces)
            child("speedSlider").value = data.depth
            operationEnd.jobBuffer.size = data.size
            operationEnd.finishedLoad(12, 30, 62, 70)
            verify(child("leftClock").visible)
            compare(leftLabel(), "预计")
            compare(child("leftText").text, data.shown)
            verify(!child("elapsedClock").visible, "no job has run")
            compare(operationEnd.sent, [])
        }

        function test_timeLeftWhileRunning_data() {
            return [
                { tag: "steady", steps: ["F20", 0, 1000, 0.25] },
                { tag: "paused in between", steps: ["F20", 0, 500, "F21", 1500, "F20", 500, 0.25] },
                { tag: "link lost in between", steps: ["F20", 0, 500, "lost", 1500, "back", "F20", 500, 0.25] },
            ]
        }

        // A quarter of the job sent in about a second of running leaves about
        // three seconds: the time spent paused or disconnected does not slow
        // the measured pace. Until it is measured the time left goes at the
        // expected pace. A pause holds the shown time.
        function test_timeLeftWhileRunning(data) {
            store.setValue("jobPace", {})
            operationEnd.jobBuffer.size = 100000
            operationEnd.finishedLoad(12, 30, 62, 70)
            compare(leftLabel(), "预计")
            compare(shownLeft(), 25, "the model's estimate before play")
            for (var i = 0; i < data.steps.length; ++i) {
                var step = data.steps[i]
                if (typeof step === "number" && step >= 1)
                    wait(step)
                else if (typeof step === "number")
                    operationEnd.completePecent(step)
                else if (step === "lost" || step === "back")
                    operationEnd.includeBackStatus(step === "lost" ? 11 : 10)
                else
                    operationEnd.toFrontStatus(step)
                if (step === "F20")
                    compare(shownLeft(), 25, "no pace measured yet: the expected one")
            }
            verify(child("leftClock").visible)
            compare(leftLabel(), "剩余")
            var left = shownLeft()
            verify(left >= 2 && left <= 4, "time left " + left)

            operationEnd.toFrontStatus("F21")
            left = shownLeft()
            wait(1300)
            compare(shownLeft(), left, "a pause holds the time left")
        }

        function test_tookAfterJob_data() {
            return [
                { tag: "finished, window elsewhere", sentShare: 1, active: false, took: true, alerts: [0] },
                { tag: "finished, window in front", sentShare: 1, active: true, took: true, alerts: [] },
                { tag: "stopped half way, window elsewhere", sentShare: 0.5, active: false, took: false,
                  alerts: [0] },
            ]
        }

        // A job sent whole ends at 100 % with one clock, the time it took,
        // until the next job starts; a job published meanwhile shows its
        // estimate below it. A job cut short goes back to 0 % with its
        // elapsed time and the estimate for running it again. Either way a
        // window in the background asks for attention.
        function test_tookAfterJob(data) {
            store.setValue("jobPace", {})
            operationEnd.jobBuffer.size = 40000
            operationEnd.finishedLoad(12, 30, 62, 70)
            standInWindow.active = data.active
            mouseClick(child("playButton"))
            operationEnd.toFrontStatus("F20")
            operationEnd.completePecent(0.5)
            compare(child("progressLabel").text, "完成度50%")
            wait(1200)
            operationEnd.jobBuffer.sent = operationEnd.jobBuffer.size * data.sentShare
            operationEnd.toFrontStatus("F22")
            compare(standInWindow.alerts, data.alerts)
            var timing = child("carveTiming")
            verify(!timing.running && timing.carveSecond >= 1, "the elapsed time stands")
            verify(child("elapsedClock").visible)
            compare(child("timeLabel").text, data.took ? "耗时" : "用时")
            compare(child("elapsedText").text, Helpers.clockText(timing.carveSecond))
            compare(child("carveProgress").value, data.took ? 1 : 0)
            compare(child("progressLabel").text, data.took ? "完成度100%" : "完成度0%")
            compare(child("leftClock").visible, !data.took, "one clock once a job has ended")
            if (!data.took)
                compare(leftLabel(), "预计")
            wait(1100)
            verify(child("elapsedText").text === Helpers.clockText(timing.carveSecond) && timing.carveSecond <= 2,
                   "the time taken does not count on")

            // The next job's estimate comes up beside the time taken.
            operationEnd.finishedLoad(12, 30, 62, 70)
            compare(child("elapsedClock").visible, data.took, "a run cut short belonged to the job before")
            if (data.took)
                compare(child("timeLabel").text, "耗时")
            verify(child("leftClock").visible)
            compare(leftLabel(), "预计")
            compare(child("carveProgress").value, 0)

            // The next start clears it.
            mouseClick(child("playButton"))
            operationEnd.toFrontStatus("F20")
            compare(child("timeLabel").text, "用时")
            compare(leftLabel(), "剩余")
            // At the expected pace until one is measured: the job just
            // finished was measured, the model's 4114 bytes a second else.
            verify(data.took ? shownLeft() <= 2 : shownLeft() === 10, "time left " + shownLeft())
            compare(standInWindow.alerts, data.alerts, "a start asks for nothing")
        }

        // Times read as a clock, hours without a leading zero.
        function test_clockText_data() {
            return [
                { tag: "zero", seconds: 0, text: "0:00:00" },
                { tag: "minutes", seconds: 333, text: "0:05:33" },
                { tag: "an hour", seconds: 3600, text: "1:00:00" },
                { tag: "half a day", seconds: 43207, text: "12:00:07" },
                { tag: "unknown", seconds: -1, text: "-:--:--" },
            ]
        }

        function test_clockText(data) {
            compare(Helpers.clockText(data.seconds), data.text)
        }

        // Jogs from the marker's first place, tip at (39, 102) pixels.
        function test_markerJogKeys_data() {
            return [
                { tag: "right", keys: [[Qt.Key_Right, 0]], sent: ["$25 P49 102"] },
                { tag: "left", keys: [[Qt.Key_Left, 0]], sent: ["$25 P29 102"] },
                { tag: "down", keys: [[Qt.Key_Down, 0]], sent: ["$25 P39 112"] },
                { tag: "shift right", keys: [[Qt.Key_Right, Qt.ShiftModifier]], sent: ["$25 P139 102"] },
                { tag: "shift up twice stops at the top", keys: [[Qt.Key_Up, Qt.ShiftModifier], [Qt.Key_Up, Qt.ShiftModifier]],
                  sent: ["$25 P39 2", "$25 P39 0"] },
                { tag: "left past the edge", keys: [[Qt.Key_Left, 0], [Qt.Key_Left, 0], [Qt.Key_Left, 0], [Qt.Key_Left, 0], [Qt.Key_Left, 0]],
                  sent: ["$25 P29 102", "$25 P19 102", "$25 P9 102", "$25 P0 102", "$25 P0 102"] },
                { tag: "not during a job", running: true, keys: [[Qt.Key_Right, 0]], sent: [] },
            ]
        }

        // A click focuses the marker; its arrow keys then move the laser and
        // leave the picture where it is.
        function test_markerJogKeys(data) {
            operationEnd.finishedLoad(12, 30, 62, 70)
            placeAt(100, 200)
            var marker = child("carveLocation")
            mouseClick(marker)
            verify(marker.activeFocus)
            if (data.running)
                operationEnd.toFrontStatus("F20")
            operationEnd.sent = []
            for (var i = 0; i < data.keys.length; ++i)
                keyClick(data.keys[i][0], data.keys[i][1])
            compare(operationEnd.sent, data.sent)
            compare(page.pictureX, 100 * child("carveFrame").scaleSize, "the picture stays")
        }

        // The job at true size is offered once a job has been published:
        // the view opens, and its zoom button turns the picture's scale
        // between one and two screen pixels per engraving pixel.
        function test_trueSizeView_data() {
            return [
                { tag: "before a job", published: false, zooms: 0, scale: 1 },
                { tag: "published, as it opens", published: true, zooms: 0, scale: 1 },
                { tag: "published, zoomed in", published: true, zooms: 1, scale: 2 },
                { tag: "published, zoomed back", published: true, zooms: 2, scale: 1 },
            ]
        }

        function test_trueSizeView(data) {
            var button = child("trueSizeButton")
            var view = child("trueSizeView")
            if (data.published)
                operationEnd.finishedLoad(12, 30, 62, 70)
            compare(button.enabled, data.published)
            mouseClick(button)
            if (!data.published) {
                verify(!view.visible, "nothing to show before a job")
                return
            }
            tryCompare(view, "visible", true)
            tryCompare(view, "opened", true)
            var picture = findChild(view.contentItem, "trueSizePicture")
            var zoom = findChild(view.contentItem, "trueSizeZoom")
            verify(picture !== null && zoom !== null)
            compare(picture.scale, 1)
            for (var i = 0; i < data.zooms; ++i) {
                var before = picture.scale
                mouseClick(zoom)
                tryCompare(picture, "scale", before === 1 ? 2 : 1)
            }
            compare(picture.scale, data.scale)
            compare(operationEnd.sent, [], "looking sends nothing")
            view.close()
        }

        function test_pageKeys_data() {
            return [
                { tag: "left", key: Qt.Key_Left, moved: [90, 200], sent: [] },
                { tag: "shift down", key: Qt.Key_Down, mod: Qt.ShiftModifier, moved: [100, 300], sent: [] },
                { tag: "left while framing", framing: true, key: Qt.Key_Left, moved: [90, 200],
                  sent: ["$20 P102 230 50 40"] },
                { tag: "shift right while framing", framing: true, key: Qt.Key_Right, mod: Qt.ShiftModifier,
                  moved: [200, 200], sent: ["$20 P212 230 50 40"] },
                { tag: "up while framing", framing: true, key: Qt.Key_Up, moved: [100, 190],
                  sent: ["$20 P112 220 50 40"] },
                { tag: "shift left at the edge while framing", at: 30, framing: true, key: Qt.Key_Left,
                  mod: Qt.ShiftModifier, moved: [0, 200], sent: ["$20 P12 230 50 40"] },
                { tag: "space plays", key: Qt.Key_Space, moved: [100, 200], sent: ["$30 P100 200 P2"] },
                { tag: "space pauses", running: true, key: Qt.Key_Space, moved: [100, 200], sent: ["$31"] },
                { tag: "arrow during a job", running: true, key: Qt.Key_Left, moved: [100, 200], sent: [] },
                { tag: "up into a coordinate field", field: "imageXField", key: Qt.Key_Up, moved: [100, 200], sent: [] },
                { tag: "down into a coordinate field", field: "markerYField", key: Qt.Key_Down, moved: [100, 200],
                  sent: [] },
                { tag: "space into a coordinate field", field: "imageYField", key: Qt.Key_Space, moved: [100, 200],
                  sent: [] },
                { tag: "page hidden", hidden: true, key: Qt.Key_Space, moved: [100, 200], sent: [] },
                { tag: "keys turned off", off: true, key: Qt.Key_Right, moved: [100, 200], sent: [] },
            ]
        }

        // The page's keys: arrows move the picture by 0.5 mm (Shift 5 mm),
        // framing it anew while framing; Space plays or pauses. None of them
        // acts while text is typed, the page is hidden or the window has
        // turned them off.
        function test_pageKeys(data) {
            operationEnd.finishedLoad(12, 30, 62, 70)
            placeAt(data.at === undefined ? 100 : data.at, 200)
            if (data.framing)
                operationEnd.toFrontStatus("F10")
            if (data.running)
                operationEnd.toFrontStatus("F20")
            if (data.field)
                child(data.field).forceActiveFocus()
            if (data.hidden)
                page.visible = false
            if (data.off)
                page.keysEnabled = false
            operationEnd.sent = []
            keyClick(data.key, data.mod || Qt.NoModifier)
            compare(operationEnd.sent, data.sent)
            var s = child("carveFrame").scaleSize
            compare([Math.round(page.pictureX / s), Math.round(page.pictureY / s)], data.moved)
        }

        // What the window's status line says of the page, part by part:
        // the link, the engraver's state, the job.
        function test_statusLine_data() {
            return [
                { tag: "not connected, no job", steps: ["lost"], link: "未连接", state: "", job: "没有作业" },
                { tag: "searching", steps: ["lost", "searching"], link: "正在查找雕刻机……", state: "",
                  job: "没有作业" },
                { tag: "connected, no port named", steps: [], link: "已连接", state: "空闲", job: "没有作业" },
                { tag: "connected, job published", steps: ["port", "job"], link: "已连接 ttyUSB0", state: "空闲",
                  job: "34 × 34 mm · 预计 0:00:05" },
                { tag: "framing", steps: ["job", "F10"], link: "已连接", state: "正在框定位",
                  job: "34 × 34 mm · 预计 0:00:05" },
                { tag: "running", steps: ["job", "F20", 0.25], link: "已连接", state: "正在雕刻 25%",
                  job: "34 × 34 mm · 剩余 0:00:04" },
                { tag: "paused", steps: ["job", "F20", 0.5, "F21"], link: "已连接", state: "已暂停 50%",
                  job: "34 × 34 mm · 剩余 0:00:03" },
                { tag: "interrupted", steps: ["job", "F20", "lost"], link: "未连接", state: "已中断", alert: true,
                  job: "34 × 34 mm · 剩余 0:00:05" },
                { tag: "stalled", steps: ["job", "F20", "overdue"], link: "已连接", alert: true,
                  state: "停滞：雕刻机不再请求数据", job: "34 × 34 mm · 剩余 0:00:05" },
                { tag: "silent", steps: ["job", "F20", "overdue", "silent"], link: "已连接", alert: true,
                  state: "无响应：雕刻机不接收数据", job: "34 × 34 mm · 剩余 0:00:05" },
                // The estimate to run it again follows the time taken.
                { tag: "ended whole", steps: ["job", "F20", "whole", "F22"], link: "已连接", state: "空闲",
                  job: /^34 × 34 mm · 耗时 0:00:0[01] · 预计 0:00:0[0-5]$/ },
            ]
        }

        function test_statusLine(data) {
            store.setValue("jobPace", {})
            operationEnd.jobBuffer.size = 20000
            for (var i = 0; i < data.steps.length; ++i) {
                var step = data.steps[i]
                if (typeof step === "number")
                    operationEnd.completePecent(step)
                else if (step === "lost")
                    operationEnd.includeBackStatus(11)
                else if (step === "searching")
                    operationEnd.searching = true
                else if (step === "port")
                    operationEnd.portName = "ttyUSB0"
                else if (step === "job")
                    operationEnd.finishedLoad(12, 30, 62, 70)
                else if (step === "overdue")
                    operationEnd.dataRequestOverdue = true
                else if (step === "silent")
                    operationEnd.engraverSilent = true
                else if (step === "whole")
                    operationEnd.jobBuffer.sent = operationEnd.jobBuffer.size
                else
                    operationEnd.toFrontStatus(step)
            }
            var status = page.pageStatus
            compare([status.linkText, status.stateText], [data.link, data.state])
            if (typeof data.job === "string")
                compare(status.jobText, data.job)
            else
                verify(data.job.test(status.jobText), status.jobText)
            compare(status.stateAlert, !!data.alert)
        }

        function test_zeroBurnQuestion_data() {
            return [
                { tag: "laser at 0, started anyway", laser: 0, depth: 50, answer: "zeroBurnStartButton",
                  message: "激光功率为 0，什么也不会烧出来。仍然开始吗？", sent: ["$30 P100 200 P2"] },
                { tag: "depth at 0, cancelled", laser: 50, depth: 0, answer: "zeroBurnCancelButton",
                  message: "雕刻深度为 0，什么也不会烧出来。仍然开始吗？", sent: [] },
                { tag: "both at 0, by Space", laser: 0, depth: 0, key: true, answer: "zeroBurnStartButton",
                  message: "激光功率和雕刻深度都为 0，什么也不会烧出来。仍然开始吗？", sent: ["$30 P100 200 P2"] },
                { tag: "a trace of power", laser: 0.1, depth: 50, sent: ["$30 P100 200 P2"] },
            ]
        }

        // Play with nothing to burn asks first; the answer decides, and a
        // job started anyway is not asked about again when it resumes.
        function test_zeroBurnQuestion(data) {
            operationEnd.finishedLoad(12, 30, 62, 70)
            placeAt(100, 200)
            child("laserSlider").value = data.laser
            child("speedSlider").value = data.depth
            var question = child("zeroBurnQuestion")
            // A window made by an earlier test may have taken the keys.
            host.Window.window.requestActivate()
            tryCompare(host.Window.window, "active", true)
            if (data.key)
                keyClick(Qt.Key_Space)
            else
                mouseClick(child("playButton"))
            if (!data.answer) {
                verify(!question.visible)
                compare(operationEnd.sent, data.sent)
                return
            }
            tryCompare(question, "opened", true)
            compare(question.message, data.message)
            compare(operationEnd.sent, [], "nothing before the answer")
            keyClick(Qt.Key_Space)
            compare(operationEnd.sent, [], "the page's keys wait for the answer")
            mouseClick(findChild(question.contentItem, data.answer))
            tryCompare(question, "visible", false)
            compare(operationEnd.sent, data.sent)
            if (data.sent.length === 0)
                return
            operationEnd.toFrontStatus("F20")
            operationEnd.toFrontStatus("F21")
            mouseClick(child("playButton"))
            verify(!question.visible, "a resume does not ask again")
            compare(operationEnd.sent, data.sent.concat(["$30 P100 200 P2"]))
            operationEnd.toFrontStatus("F22")
            mouseClick(child("playButton"))
            tryCompare(question, "opened", true)
            question.close()
        }

        // Play and frame with no engraver connected say why nothing happens.
        function test_notConnected_data() {
            return [{ tag: "play", button: "playButton" }, { tag: "frame", button: "locImageButton" }]
        }

        function test_notConnected(data) {
            operationEnd.finishedLoad(12, 30, 62, 70)
            operationEnd.includeBackStatus(11)
            mouseClick(child(data.button))
            compare(child("infoText").text, "雕刻机未连接，请先点击连接按钮……")
            compare(operationEnd.sent, [])
        }

        // The visual rectangle of an item in the page's coordinates.
        function rectOf(item) {
            var topLeft = item.mapToItem(page, 0, 0)
            var bottomRight = item.mapToItem(page, item.width, item.height)
            return { x: topLeft.x, y: topLeft.y, right: bottomRight.x, bottom: bottomRight.y }
        }

        function overlaps(a, b) {
            return a.x < b.right && b.x < a.right && a.y < b.bottom && b.y < a.bottom
        }

        function test_areaFits_data() {
            return [
                { tag: "window as it opens", width: 990, height: 680 },
                { tag: "small window", width: 740, height: 520 },
                { tag: "large window", width: 1340, height: 880 },
                { tag: "narrow and tall", width: 700, height: 900 },
                { tag: "wide and low", width: 1500, height: 560 },
            ]
        }

        // The 80 × 80 mm area takes the room the page has, whatever its
        // size: its picture, in any corner, is never under the progress
        // bar, its label, the clocks, the buttons or the page's edge.
        function test_areaFits(data) {
            page.anchors.fill = undefined
            page.width = data.width
            page.height = data.height
            operationEnd.jobBuffer.size = 20000
            operationEnd.finishedLoad(12, 30, 62, 70)
            operationEnd.toFrontStatus("F20")
            operationEnd.completePecent(0.97)
            var area = rectOf(child("carveFrame"))
            compare(area.right - area.x, area.bottom - area.y, "square")
            verify(area.right - area.x >= 300, "area side " + (area.right - area.x))
            var frame = child("operateImageFrame")
            var corners = [[0, 0], [660 - frame.width, 0], [0, 660 - frame.height], [660 - frame.width, 660 - frame.height]]
            var others = ["carveProgress", "progressLabel", "elapsedClock", "leftClock", "playButton", "stopButton",
                          "connectButton", "trueSizeButton", "fanButton"]
            for (var c = 0; c < corners.length; ++c) {
                page.placePicture(corners[c][0], corners[c][1])
                tryCompare(frame, "x", corners[c][0])
                tryCompare(frame, "y", corners[c][1])
                var picture = rectOf(frame)
                verify(picture.x >= 0 && picture.y >= 0 && picture.right <= page.width && picture.bottom <= page.height,
                       "picture on the page at corner " + c)
                for (var i = 0; i < others.length; ++i)
                    verify(!overlaps(picture, rectOf(child(others[i]))), "the picture at corner " + c + " covers " + others[i])
            }
            var label = rectOf(child("progressLabel"))
            var bar = rectOf(child("carveProgress"))
            verify(label.x >= bar.x && label.right <= bar.right + 0.5 && label.y >= bar.bottom, "label under the bar")
            verify(!overlaps(label, rectOf(child("elapsedClock"))) && !overlaps(label, rectOf(child("leftClock"))))
            verify(bar.bottom <= page.height)
        }

        // Done again keeps the picture where the user put it; one that no
        // longer fits there moves in just far enough.
        function test_republishKeepsPlace_data() {
            return [
                { tag: "same size", size: 680, at: [100, 200], kept: [100, 200] },
                { tag: "smaller", size: 400, at: [900, 900], kept: [900, 900] },
                // null: against the area's right edge.
                { tag: "larger, no longer fits", size: 1200, at: [700, 100], kept: [null, 100] },
            ]
        }

        function test_republishKeepsPlace(data) {
            operationEnd.finishedLoad(12, 30, 62, 70)
            placeAt(data.at[0], data.at[1])
            operationEnd.jobBuffer.pictureWidth = data.size
            operationEnd.jobBuffer.pictureHeight = data.size
            operationEnd.finishedLoad(12, 30, 62, 70)
            var s = child("carveFrame").scaleSize
            var frame = child("operateImageFrame")
            tryCompare(frame, "x", data.kept[0] === null ? 660 - frame.width : data.kept[0] * s)
            tryCompare(frame, "y", data.kept[1] * s)
            operationEnd.jobBuffer.pictureWidth = 680
            operationEnd.jobBuffer.pictureHeight = 680
        }
    }
}
