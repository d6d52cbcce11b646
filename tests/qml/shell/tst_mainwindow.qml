import QtQuick 2.7
import QtTest 1.0
import "ShellHelpers.js" as Helpers

TestCase {
    id: testCase

    property var window: null

    function createWindow() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        var created = component.createObject(null)
        verify(created !== null)
        waitForRendering(created.contentItem)
        return created
    }
    function part(name) {
        var found = Helpers.find(window, name)
        verify(found !== null, "no object named " + name)
        return found
    }
    // Clicks the menu entry at index like a user does.
    function clickMenu(index) {
        var list = part("menuControlList")
        mouseClick(list, list.width / 2, index * 50 + 25)
    }
    function menuName(index) {
        return part("menuControlList").model.get(index).name
    }

    name: "MainWindow"
    when: windowShown

    function init() {
        window = createWindow()
    }
    function cleanup() {
        window.destroy()
        window = null
        wait(0)
    }

    function test_startState() {
        verify(part("caseLoader1").visible)
        verify(!part("caseLoader2").visible)
        verify(part("caseLoader1").item !== null)
        verify(part("caseLoader2").item !== null, "the hidden page is loaded too")
        compare(part("menuControlList").currentIndex, 0)
        compare(part("operateText").text, qsTranslate("main", "修图"))
        compare(window.lastModelIndex, 0)
        compare(window.unitFontFamily, "幼圆")
        compare(window.unitColor, "#393939")
        var state = part("connectDrawOperations")
        compare(state.startCarveFlag, false)
        compare(state.beginStopFlag, false)
        compare(state.carveMode, 2)
    }

    function test_texts_data() {
        return [
            { tag: "zh", title: "Kalvor", header: "状态", menu: ["修图", "控制", "设置", "关于"] },
            { tag: "en", title: "Kalvor", header: "Status", menu: ["Edit", "Control", "Setting", "About"] },
            { tag: "ja", title: "Kalvor", header: "接続", menu: ["を編集", "制御", "設置", "その他"] }
        ]
    }
    function test_texts(data) {
        if (Helpers.language() !== data.tag)
            skip("another language is installed")
        compare(window.title, data.title)
        var headerTexts = part("headerInfo").children
        var found = false
        for (var i = 0; i < headerTexts.length; ++i)
            found = found || headerTexts[i].text === data.header
        verify(found, "status box reads " + data.header)
        for (var j = 0; j < 4; ++j)
            compare(menuName(j), data.menu[j])
        compare(part("operateText").text, data.menu[0])
    }

    function test_menuSwitchesPagesAndKeepsThem() {
        var editing = part("caseLoader1")
        var control = part("caseLoader2")
        var editingPage = editing.item
        var controlPage = control.item
        editingPage.objectName = "keptEditingPage"

        clickMenu(1)
        verify(!editing.visible)
        verify(control.visible)
        compare(part("menuControlList").currentIndex, 1)
        compare(window.lastModelIndex, 1)
        compare(part("operateText").text, menuName(1))

        clickMenu(0)
        verify(editing.visible)
        verify(!control.visible)
        compare(window.lastModelIndex, 0)
        compare(part("operateText").text, menuName(0))
        // Only visibility changed: the very same pages, with their state.
        verify(editing.item === editingPage)
        verify(control.item === controlPage)
        compare(editing.item.objectName, "keptEditingPage")
    }

    function test_popupCloseReturnsHighlight_data() {
        return [
            { tag: "settings from editing", page: 0, entry: 2, popup: "settingDialog" },
            { tag: "about from editing", page: 0, entry: 3, popup: "aboutDialog" },
            { tag: "settings from control", page: 1, entry: 2, popup: "settingDialog" },
            { tag: "about from control", page: 1, entry: 3, popup: "aboutDialog" }
        ]
    }
    function test_popupCloseReturnsHighlight(data) {
        clickMenu(data.page)
        var popup = part(data.popup)
        clickMenu(data.entry)
        tryCompare(popup, "opened", true)
        compare(part("menuControlList").currentIndex, data.entry)
        compare(part("operateText").text, menuName(data.entry))
        compare(window.lastModelIndex, data.page, "a popup is not a page")

        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", false)
        compare(part("menuControlList").currentIndex, data.page)
        compare(part("operateText").text, menuName(data.entry), "the title keeps the entry clicked last")
        compare(part("caseLoader1").visible, data.page === 0)
        compare(part("caseLoader2").visible, data.page === 1)
    }

    function test_changeModelShowsControlPage() {
        clickMenu(0)
        part("connectDrawOperations").changeModel()
        verify(!part("caseLoader1").visible)
        verify(part("caseLoader2").visible)
        compare(part("menuControlList").currentIndex, 1)
        compare(window.lastModelIndex, 1)
        compare(part("operateText").text, menuName(0), "the title box is left alone")
    }

    SignalSpy {
        id: verifySpy

        signalName: "verifyButton"
    }

    function test_confirmationFlow() {
        var state = part("connectDrawOperations")
        var dialog = part("imageProcessDoneDialog")
        verifySpy.clear()
        verifySpy.target = state

        state.setStartCarveFlag(true)
        compare(state.readStartCarveFlag(), true)
        state.open()
        tryCompare(dialog, "opened", true)
        compare(state.beginStopFlag, true)

        var ok = part("confirmOkButton")
        mouseClick(ok)
        compare(verifySpy.count, 1)
        wait(100)
        verify(dialog.visible, "the popup waits for the stop")

        // The control page reports the stop.
        state.setStartCarveFlag(false)
        state.stopDone()
        tryCompare(dialog, "visible", false)
        compare(state.beginStopFlag, false)
        compare(verifySpy.count, 1)
    }

    function test_confirmationCancel() {
        var state = part("connectDrawOperations")
        var dialog = part("imageProcessDoneDialog")
        verifySpy.clear()
        verifySpy.target = state
        state.open()
        tryCompare(dialog, "opened", true)
        mouseClick(part("confirmCancelButton"))
        tryCompare(dialog, "visible", false)
        compare(verifySpy.count, 0)
        compare(window.lastModelIndex, 0)
        verify(part("caseLoader1").visible)
    }

    function test_resizeKeepsMenuColumn() {
        window.width = 1400
        window.height = 900
        var menu = part("listRect")
        // The platform resizes the window's content asynchronously.
        tryCompare(menu, "x", 1340)
        compare(menu.width, 60)
        compare(part("caseLoader1").width, 1340)
        compare(part("caseLoader1").height, 880)
        compare(part("caseLoader2").width, 1340)
        compare(part("operateText").parent.width, 1340)
    }
}
