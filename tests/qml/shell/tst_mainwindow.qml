import QtQuick 2.7
import QtTest 1.0
import Qt.labs.settings 1.0

// The main window with its menu, pages and popups, in the language and the
// edition that the program under test runs with.
TestCase {
    id: testCase

    property var window: null

    // Stands in for the engraver controller: the window is created from this
    // document, so this id shadows the real "operationEnd" and records what
    // the popups send.
    QtObject {
        id: operationEnd

        property var sent: []

        signal finishedLoad(int xmin, int ymin, int xmax, int ymax)
        signal toFrontStatus(string cmd)
        signal includeBackStatus(int type)
        signal completePecent(real pecent)
        signal writeStalled()
        signal searchFinished(bool found)

        function serialWriteData(command) {
            sent.push(String(command))
        }
        function connectToBelow(en) {}
        function clearIndex() {}
        function finishedLoadProcess() {}
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
        store.setValue("coordinateChecked", true)
        store.setValue("completeShadyChecked", true)
        store.setValue("languages", "")
        operationEnd.sent = []
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
        compare(part("softwareVersion").text, qsTranslate("main", "软件版本：") + "V1.91")
        compare(part("machineVersion").text, qsTranslate("main", "雕刻机版本：") + "V1.5")

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

    function test_popupCloseReturnsHighlight_data() {
        return [
            { tag: "settings over editing", page: 0, entry: 2, popup: "settingDialog" },
            { tag: "about over control", page: 1, entry: 3, popup: "aboutDialog" }
        ]
    }
    function test_popupCloseReturnsHighlight(data) {
        clickMenu(data.page)
        var popup = part(data.popup)
        clickMenu(data.entry)
        tryCompare(popup, "opened", true)
        compare(part("menuControlList").currentIndex, data.entry)
        verifyPage(data.page)

        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", false)
        compare(part("menuControlList").currentIndex, data.page)
        verifyPage(data.page)
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
            { tag: "reset", button: "resetButton", command: "$42" },
            { tag: "middle", button: "middleButton", command: "$25 P800 800" },
            { tag: "low power", button: "lowPowerButton", command: "$50" }
        ]
    }
    // Each machine button is hidden while a job runs and sends its command
    // when clicked.
    function test_machineCommands(data) {
        var state = part("connectDrawOperations")
        state.setStartCarveFlag(true)
        var dialog = openSettings()
        verify(!part(data.button).visible, "hidden during a job")
        state.setStartCarveFlag(false)
        verify(part(data.button).visible, "back after the job")
        mouseClick(part(data.button))
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
            { tag: "absent", stored: "", entry: "简体中文" },
            { tag: "exact", stored: "English", entry: "English" },
            { tag: "lower case", stored: "english", entry: "English" },
            { tag: "japanese", stored: "日本の", entry: "日本の" },
            { tag: "unknown", stored: "Deutsch", entry: "简体中文" }
        ]
    }
    // The selector shows the stored language without writing it back; the
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
            compare(part("languageSelect").currentText, data.entry)
        }
        wait(700)
        restart()
        compare(store.value("languages", ""), data.stored)
    }
}
