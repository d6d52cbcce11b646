import QtQuick 2.7
import QtTest 1.0
import "../standins" as Stand
import Qt.labs.settings 1.0

// The main window with its menu, pages and popups, in the language and the
// edition that the program under test runs with.
TestCase {
    id: testCase

    property var window: null

    // Stands in for the engraver controller: the window is created from this
    // document, so this id shadows the real "operationEnd" and records what
    // the popups send.
    Stand.StandInController {
        id: operationEnd
    }

    // The store as the next start finds it.
    Settings {
        id: store
    }

    function createWindow() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        var created = component.createObject(null)
        verify(created !== null)
        waitForRendering(created.contentItem)
        return created
    }
    // Closing the program: the settings objects store what changed.
    function restart() {
        window.destroy()
        wait(0)
        window = createWindow()
    }
    // The object named name below root, or below the window.
    function part(name, root) {
        var found = findChild(root || window, name)
        verify(found !== null, "no object named " + name)
        return found
    }
    // Clicks the menu entry at index like a user does.
    function clickMenu(index) {
        var list = part("menuControlList")
        mouseClick(list, list.width / 2, index * 50 + 25)
    }
    // The page on show, as the user sees it, as the window records it and
    // as the title box names it.
    function verifyPage(index) {
        compare(part("caseLoader1").visible, index === 0, "editing page shown")
        compare(part("caseLoader2").visible, index === 1, "control page shown")
        compare(window.lastModelIndex, index)
        compare(part("operateText").text, menuName(index), "the title names the page on show")
    }
    function menuName(index) {
        return part("menuControlList").model.get(index).name
    }
    function openSettings() {
        clickMenu(2)
        var dialog = part("settingDialog")
        tryCompare(dialog, "opened", true)
        return dialog
    }

    name: "MainWindow"
    when: windowShown

    function init() {
        operationEnd.searching = false
        operationEnd.portName = ""
        operationEnd.engraverSilent = false
        operationEnd.dataRequestOverdue = false
        store.setValue("coordinateChecked", true)
        store.setValue("completeShadyChecked", true)
        store.setValue("languages", "")
        store.setValue("shutTime", 0)
        operationEnd.sent = []
        operationEnd.disconnectCalls = 0
        window = createWindow()
    }
    function cleanup() {
        window.destroy()
        window = null
        wait(0)
    }

    // Both pages are loaded at once and the editing page shows first; every
    // text comes through the installed translation, each in its own context.
    // The menu switches pages by visibility only, keeping their state.
    function test_startAndMenu() {
        verifyPage(0)
        var editingPage = part("caseLoader1").item
        var controlPage = part("caseLoader2").item
        verify(controlPage !== null, "the hidden page is loaded too")
        compare(part("menuControlList").currentIndex, 0)
        var menu = ["修图", "控制", "设置", "关于"]
        for (var i = 0; i < menu.length; ++i)
            compare(menuName(i), qsTranslate("MenuModel", menu[i]))
        var status = qsTranslate("main", "状态")
        verify(Array.prototype.some.call(part("headerInfo").children, function(t) { return t.text === status }), status)
        compare(part("softwareVersion").text, qsTranslate("AboutPopup", "软件版本：") + "V1.91")
        compare(part("machineVersion").text, qsTranslate("AboutPopup", "雕刻机版本：") + "V1.5")

        for (var step = 1; step >= 0; --step) {
            clickMenu(step)
            verifyPage(step)
        }
        verify(part("caseLoader1").item === editingPage)
        verify(part("caseLoader2").item === controlPage)

        // Cancel in the confirmation popup only closes it (OK and the stop
        // report are covered with the control page).
        var state = part("connectDrawOperations")
        var dialog = part("imageProcessDoneDialog")
        var confirmed = 0
        state.verifyButton.connect(function() { ++confirmed })
        state.open()
        tryCompare(dialog, "opened", true)
        mouseClick(part("confirmCancelButton"))
        tryCompare(dialog, "visible", false)
        compare(confirmed, 0)
        verifyPage(0)

        // Done on the editing page shows the control page the same way,
        // title included.
        state.changeModel()
        verifyPage(1)
        compare(part("menuControlList").currentIndex, 1)
    }

    // Escape closes the popup, also over a page with a tool panel open:
    // the page's own Escape (which closes the panel) stays out of its way.
    function test_popupCloseReturnsHighlight_data() {
        return [
            { tag: "settings over editing", page: 0, entry: 2, popup: "settingDialog" },
            { tag: "about over control", page: 1, entry: 3, popup: "aboutDialog" },
            { tag: "settings over editing, a panel open", page: 0, entry: 2, popup: "settingDialog",
              button: "toneButton", panel: "tonePanel" },
            { tag: "about over control, a panel open", page: 1, entry: 3, popup: "aboutDialog",
              button: "laserButton", panel: "laserStyle" }
        ]
    }
    function test_popupCloseReturnsHighlight(data) {
        clickMenu(data.page)
        if (data.button)
            mouseClick(part(data.button))
        var popup = part(data.popup)
        clickMenu(data.entry)
        tryCompare(popup, "opened", true)
        compare(part("menuControlList").currentIndex, data.entry)
        verifyPage(data.page)

        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", false)
        compare(part("menuControlList").currentIndex, data.page)
        verifyPage(data.page)
        if (!data.panel)
            return
        verify(part(data.panel).visible)
        keyClick(Qt.Key_Escape)
        verify(!part(data.panel).visible)
    }

    function test_resizeKeepsMenuColumn() {
        window.width = 1400
        window.height = 900
        var menu = part("listRect")
        // The platform resizes the window's content asynchronously.
        tryCompare(menu, "x", window.width - menu.width)
        compare(part("caseLoader1").width, menu.x)
        compare(part("caseLoader2").width, menu.x)
        compare(part("caseLoader1").y + part("caseLoader1").height, window.height)
    }

    function test_machineCommands_data() {
        return [
            { tag: "reset", button: "resetButton", command: "$42", connected: true },
            { tag: "middle", button: "middleButton", command: "$25 P800 800", connected: true },
            { tag: "low power", button: "lowPowerButton", command: "$50", connected: true },
            { tag: "reset, not connected", button: "resetButton", command: "$42", connected: false },
            { tag: "low power, not connected", button: "lowPowerButton", command: "$50", connected: false },
        ]
    }
    // Each machine button is hidden while a job runs and sends its command
    // when clicked. With no engraver connected nothing is sent, and the
    // popup stays open saying why beside the button, until it connects.
    function test_machineCommands(data) {
        var state = part("connectDrawOperations")
        if (data.connected)
            operationEnd.includeBackStatus(10)
        state.setStartCarveFlag(true)
        var dialog = openSettings()
        verify(!part(data.button).visible, "hidden during a job")
        state.setStartCarveFlag(false)
        verify(part(data.button).visible, "back after the job")
        // Laid out again with the next frame, as a user sees them.
        tryVerify(function() {
            return part("resetButton").mapToItem(null, 0, 0).y < part("lowPowerButton").mapToItem(null, 0, 0).y
        })
        var note = part(data.button + "Note")
        verify(!note.visible)
        mouseClick(part(data.button))
        if (!data.connected) {
            compare(operationEnd.sent, [])
            verify(note.visible, "says why nothing happened")
            compare(note.text, qsTranslate("MachineAction", "雕刻机未连接，没有执行。请先在控制页点击连接按钮。"))
            verify(dialog.visible)
            operationEnd.includeBackStatus(10)
            verify(!note.visible, "gone once the engraver connects")
            mouseClick(part(data.button))
        }
        compare(operationEnd.sent, [data.command])
        tryCompare(dialog, "visible", false)
        compare(part("menuControlList").currentIndex, 0)
    }

    function test_switchesStoredOnlyBySave_data() {
        return [
            { tag: "save", button: "saveButton", storedAfterRestart: false },
            { tag: "cancel", button: "cancelButton", storedAfterRestart: true },
        ]
    }
    function test_switchesStoredOnlyBySave(data) {
        var dialog = openSettings()
        mouseClick(part("coordinateDisplay"))
        mouseClick(part("completeShadyDisplay"))
        // A language picked is written at once, whether saved or cancelled.
        if (!japaneseEdition) {
            part("languageSelect").currentIndex = 1
            part("languageSelect").activated(1)
            tryVerify(function() { return store.value("languages", "") === "English" }, 3000)
        }
        var state = part("connectDrawOperations")
        // The control page follows the switches at once.
        compare(state.coordinateDisplayFlag, false)
        compare(state.shadyDisplayFlag, false)

        mouseClick(part(data.button, dialog))
        tryCompare(dialog, "visible", false)
        compare(state.coordinateDisplayFlag, false, "kept for the rest of this run")
        compare(state.shadyDisplayFlag, false)

        // Opening again shows the switches as the user left them.
        openSettings()
        compare(part("coordinateDisplay").checked, false)
        keyClick(Qt.Key_Escape)

        restart()
        compare(part("coordinateDisplay").checked, data.storedAfterRestart)
        compare(part("completeShadyDisplay").checked, data.storedAfterRestart)
        compare(part("connectDrawOperations").coordinateDisplayFlag, data.storedAfterRestart)
        compare(part("connectDrawOperations").shadyDisplayFlag, data.storedAfterRestart)
        compare(store.value("languages", ""), japaneseEdition ? "" : "English")
    }

    function test_languageAtStart_data() {
        return [
            { tag: "absent", stored: "" },
            { tag: "exact", stored: "English" },
            { tag: "lower case", stored: "english" },
            { tag: "japanese", stored: "日本の" },
            { tag: "unknown", stored: "Deutsch" }
        ]
    }
    // The selector shows the language on screen (what this run was started
    // in, whatever is stored now) without writing the stored one back; the
    // Japanese edition has no selector at all, and its Save writes no language.
    function test_languageAtStart(data) {
        store.setValue("languages", data.stored)
        restart()
        if (japaneseEdition) {
            compare(findChild(window, "languageSelect"), null)
            var dialog = openSettings()
            mouseClick(part("saveButton", dialog))
            tryCompare(dialog, "visible", false)
        } else {
            compare(part("languageSelect").currentText, languageInUse)
        }
        wait(700)
        restart()
        compare(store.value("languages", ""), data.stored)
    }

    function test_closeDuringJob_data() {
        return [
            { tag: "idle closes at once", steps: [], how: "close", closed: true, asked: false, disconnects: 0 },
            { tag: "interrupted closes at once", steps: ["F20", "lost"], how: "close", closed: true, asked: false,
              disconnects: 0 },
            { tag: "running, confirmed", steps: ["F20"], how: "close", answer: "quitOkButton", linkClosed: true,
              closed: true, asked: true, disconnects: 1 },
            { tag: "paused, confirmed", steps: ["F20", "F21"], how: "close", answer: "quitOkButton",
              linkClosed: true, closed: true, asked: true, disconnects: 1 },
            { tag: "Ctrl+Q while running, confirmed", steps: ["F20"], how: "ctrlq", answer: "quitOkButton",
              linkClosed: true, closed: true, asked: true, disconnects: 1 },
            { tag: "confirmed, controller silent", steps: ["F20"], how: "close", answer: "quitOkButton",
              linkClosed: false, closed: true, asked: true, disconnects: 1 },
            { tag: "running, cancelled", steps: ["F20"], how: "close", answer: "quitCancelButton",
              closed: false, asked: true, disconnects: 0 },
            { tag: "Ctrl+Q while paused, cancelled", steps: ["F20", "F21"], how: "ctrlq", answer: "quitCancelButton",
              closed: false, asked: true, disconnects: 0 },
        ]
    }
    // Closing the window during a job asks first: quitting stops the job
    // and lets the engraver go before the window closes (after a few
    // seconds at the latest), cancelling leaves everything running.
    // Without a job the window closes as it always did.
    function test_closeDuringJob(data) {
        for (var i = 0; i < data.steps.length; ++i) {
            if (data.steps[i] === "lost")
                operationEnd.includeBackStatus(11)
            else
                operationEnd.toFrontStatus(data.steps[i])
        }
        operationEnd.sent = []
        if (data.how === "ctrlq")
            keyClick(Qt.Key_Q, Qt.ControlModifier)
        else
            window.close()
        var dialog = part("quitDialog")
        if (data.asked) {
            tryCompare(dialog, "opened", true)
            verify(window.visible, "the window waits for the answer")
            mouseClick(part(data.answer))
            tryCompare(dialog, "visible", false)
        }
        compare(operationEnd.disconnectCalls, data.disconnects)
        if (data.disconnects > 0) {
            verify(window.visible, "the window waits for the link to close")
            if (data.linkClosed)
                operationEnd.linkClosed()
            else
                wait(2000)
        }
        tryCompare(window, "visible", !data.closed, 5000)
        compare(operationEnd.sent, [], "the controller sends the stop itself")
        if (!data.closed)
            verify(part("connectDrawOperations").startCarveFlag, "the job goes on")
    }

    function test_lowPowerTime_data() {
        return [
            { tag: "10 min saved", index: 2, button: "saveButton", sent: ["$51 P10"], stored: 2 },
            { tag: "200 min saved", index: 5, button: "saveButton", sent: ["$51 P200"], stored: 5 },
            { tag: "1 min saved", index: 0, button: "saveButton", sent: ["$51 P1"], stored: 0 },
            { tag: "cancelled", index: 3, button: "cancelButton", sent: [], stored: 1 },
            { tag: "saved while not connected", index: 2, button: "saveButton", sent: [], stored: 2,
              notConnected: true },
        ]
    }
    // The low-power time goes to the engraver with Save, which also stores
    // the choice; Cancel sends and stores nothing. The chooser stays during
    // a job, when the machine buttons do not. Saved with no engraver
    // connected, the time goes to the next engraver that connects.
    function test_lowPowerTime(data) {
        store.setValue("shutTime", 1)
        restart()
        if (!data.notConnected)
            operationEnd.includeBackStatus(10)
        part("connectDrawOperations").setStartCarveFlag(true)
        var dialog = openSettings()
        var chooser = part("shutTimeSelect")
        verify(chooser.visible)
        compare(chooser.currentIndex, 1)
        compare(chooser.currentText, "5 " + qsTranslate("SettingsPopup", "分钟"))
        chooser.currentIndex = data.index
        mouseClick(part(data.button, dialog))
        tryCompare(dialog, "visible", false)
        compare(operationEnd.sent, data.sent)
        // The settings object writes a moment later.
        wait(700)
        compare(Number(store.value("shutTime", -1)), data.stored)
        openSettings()
        compare(part("shutTimeSelect").currentIndex, data.stored, "shows what was saved")
        keyClick(Qt.Key_Escape)
        if (data.notConnected) {
            operationEnd.includeBackStatus(10)
            compare(operationEnd.sent, ["$51 P10"], "sent on connecting")
            operationEnd.includeBackStatus(11)
            operationEnd.includeBackStatus(10)
            compare(operationEnd.sent, ["$51 P10"], "once")
        }
        restart()
        compare(Number(store.value("shutTime", -1)), data.stored)
    }

    // Each value the popup and the fan read is checked as stored: one of
    // the wrong type, not a number, out of range, huge or empty gives way to
    // its default, and nothing outside 1 to 200 minutes reaches the
    // engraver. ("languages" is read at start too: tst_startup.)
    function test_badStoredValues_data() {
        var keys = ["shutTime", "coordinateChecked", "completeShadyChecked", "fanValue", "languages"]
        var bad = [
            { tag: "text", value: "abc" }, { tag: "list", value: [1, 2] }, { tag: "map", value: { a: 1 } },
            { tag: "flag", value: true }, { tag: "NaN", value: NaN }, { tag: "infinity", value: Infinity },
            { tag: "negative", value: -1 }, { tag: "huge", value: 1000000000 }, { tag: "empty", value: "" },
        ]
        // Each row stores its bad value under every key it does not suit.
        var rows = bad.map(function(b) {
            var stored = {}
            keys.forEach(function(key) {
                var fits = (key === "languages" && (b.tag === "text" || b.tag === "empty"))
                    || (/Checked$/.test(key) && b.tag === "flag")
                if (!fits)
                    stored[key] = b.value
            })
            return { tag: b.tag, stored: stored }
        })
        return rows.concat([
            { tag: "just beyond", stored: { shutTime: 6, fanValue: 1001, coordinateChecked: 0, completeShadyChecked: "1" } },
            { tag: "numbers as text", stored: { shutTime: "1000000000", fanValue: "-5" } },
        ])
    }
    function test_badStoredValues(data) {
        // Stored once the window, which writes what it holds, is gone.
        window.destroy()
        wait(0)
        for (var key in data.stored)
            store.setValue(key, data.stored[key])
        window = createWindow()
        operationEnd.includeBackStatus(10)
        var state = part("connectDrawOperations")
        verify(state.coordinateDisplayFlag && state.shadyDisplayFlag, "both switches on")
        verify(part("fanButton").checked, "the fan on")
        var dialog = openSettings()
        compare(part("shutTimeSelect").currentIndex, 0)
        verify(part("coordinateDisplay").checked && part("completeShadyDisplay").checked)
        if (!japaneseEdition)
            compare(part("languageSelect").currentText, languageInUse)
        mouseClick(part("saveButton", dialog))
        tryCompare(dialog, "visible", false)
        compare(operationEnd.sent, ["$51 P1"])
    }

    // Window-wide keys switch pages like the menu; the control page's keys
    // act only while it is on show and no popup is open.
    function test_windowKeys() {
        keyClick(Qt.Key_2, Qt.ControlModifier)
        verifyPage(1)
        operationEnd.includeBackStatus(10)
        part("laserSlider").value = 50
        part("speedSlider").value = 50
        operationEnd.finishedLoad(12, 30, 62, 70)
        keyClick(Qt.Key_Space)
        compare(operationEnd.sent.length, 1)
        verify(operationEnd.sent[0].indexOf("$30 P") === 0, operationEnd.sent[0])
        var dialog = openSettings()
        keyClick(Qt.Key_Space)
        keyClick(Qt.Key_Escape)
        tryCompare(dialog, "visible", false)
        keyClick(Qt.Key_1, Qt.ControlModifier)
        verifyPage(0)
        keyClick(Qt.Key_Space)
        compare(operationEnd.sent.length, 1, "no play from a popup or the editing page")
    }

    function test_headerStatusLine_data() {
        return [
            { tag: "not connected", steps: [], parts: ["未连接", "", "没有作业"] },
            { tag: "searching", steps: ["searching"], parts: ["正在查找雕刻机……", "", "没有作业"] },
            { tag: "connected, job ready", steps: ["connected", "job"], parts: ["已连接 %1", "空闲", "预计 %1"] },
            { tag: "running", steps: ["connected", "job", "F20"], parts: ["已连接 %1", "正在雕刻", "剩余 %1"] },
            { tag: "paused", steps: ["connected", "job", "F20", "F21"], parts: ["已连接 %1", "已暂停", "剩余 %1"] },
            { tag: "framing", steps: ["connected", "job", "F10"], parts: ["已连接 %1", "正在框定位", "预计 %1"] },
            { tag: "interrupted", steps: ["connected", "job", "F20", "lost"], parts: ["未连接", "已中断", "剩余 %1"] },
            { tag: "stalled", steps: ["connected", "job", "F20", "overdue"],
              parts: ["已连接 %1", "停滞：雕刻机不再请求数据", "剩余 %1"] },
            { tag: "silent", steps: ["connected", "job", "F20", "silent"],
              parts: ["已连接 %1", "无响应：雕刻机不接收数据", "剩余 %1"] },
        ]
    }
    // The header tells the link, the engraver and the job on every page, in
    // the language on screen, whole at the window's size as it opens: the
    // longest states with the longest job texts fit.
    function test_headerStatusLine(data) {
        var line = part("statusLine")
        // Hours to go, and the longest size there is.
        operationEnd.jobBuffer.size = 30000000
        operationEnd.jobBuffer.pictureWidth = 1589
        operationEnd.jobBuffer.pictureHeight = 1589
        for (var i = 0; i < data.steps.length; ++i) {
            var step = data.steps[i]
            if (step === "searching")
                operationEnd.searching = true
            else if (step === "connected") {
                operationEnd.portName = "ttyUSB0"
                operationEnd.includeBackStatus(10)
            } else if (step === "lost")
                operationEnd.includeBackStatus(11)
            else if (step === "job")
                operationEnd.finishedLoad(12, 30, 62, 70)
            else if (step === "overdue")
                operationEnd.dataRequestOverdue = true
            else if (step === "silent")
                operationEnd.engraverSilent = true
            else
                operationEnd.toFrontStatus(step)
        }
        verify(line.visible)
        compare(line.linkText, qsTranslate("PageStatus", data.parts[0]).replace("%1", "ttyUSB0"))
        if (data.parts[1] === "")
            compare(line.stateText, "")
        else
            verify(line.stateText.indexOf(qsTranslate("PageStatus", data.parts[1])) === 0, line.stateText)
        var job = qsTranslate("PageStatus", data.parts[2])
        verify(line.jobText.indexOf(job.replace("%1", "")) >= 0, line.jobText + " lacks " + job)
        if (data.steps.indexOf("job") >= 0)
            verify(line.jobText.indexOf("79.5 × 79.5 mm") === 0, line.jobText)
        verify(line.fits, "the status line needs " + line.naturalWidth + " of " + line.width + ": " + line.text)
        // The same on the editing page.
        clickMenu(0)
        verify(line.visible && line.text !== "")
        operationEnd.jobBuffer.size = 0
        operationEnd.jobBuffer.pictureWidth = 680
        operationEnd.jobBuffer.pictureHeight = 680
    }
}
