import QtQuick 2.7
import QtTest 1.0
import Qt.labs.settings 1.0
import "ShellHelpers.js" as Helpers

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
    function part(name) {
        return Helpers.find(window, name)
    }
    function openSettings() {
        var list = part("menuControlList")
        mouseClick(list, list.width / 2, 2 * 50 + 25)
        var dialog = part("settingDialog")
        tryCompare(dialog, "opened", true)
        return dialog
    }
    function click(name) {
        var button = part(name)
        verify(button !== null, "no " + name)
        verify(button.visible, name + " is shown")
        mouseClick(button)
    }

    name: "Settings"
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

    function test_firstStart() {
        compare(part("coordinateDisplay").checked, true)
        compare(part("completeShadyDisplay").checked, true)
        var state = part("connectDrawOperations")
        compare(state.coordinateDisplayFlag, true)
        compare(state.shadyDisplayFlag, true)
        if (!japaneseEdition)
            compare(part("languageSelect").currentText, "简体中文")
    }

    function test_machineCommands_data() {
        return [
            { tag: "reset", button: "resetButton", command: "$42" },
            { tag: "middle", button: "middleButton", command: "$25 P800 800" },
            { tag: "low power", button: "lowPowerButton", command: "$50" }
        ]
    }
    function test_machineCommands(data) {
        var dialog = openSettings()
        click(data.button)
        compare(operationEnd.sent, [data.command])
        tryCompare(dialog, "visible", false)
        compare(part("menuControlList").currentIndex, 0)
    }

    function test_machineButtonsHiddenDuringJob() {
        var state = part("connectDrawOperations")
        state.setStartCarveFlag(true)
        openSettings()
        var hidden = ["resetButton", "middleButton", "lowPowerButton"]
        for (var i = 0; i < hidden.length; ++i)
            verify(!part(hidden[i]).visible, hidden[i] + " is hidden during a job")
        var kept = ["coordinateDisplay", "completeShadyDisplay", "saveButton", "cancelButton"]
        if (!japaneseEdition)
            kept.push("languageSelect")
        for (var j = 0; j < kept.length; ++j)
            verify(part(kept[j]).visible, kept[j] + " stays")

        state.setStartCarveFlag(false)
        for (var k = 0; k < hidden.length; ++k)
            verify(part(hidden[k]).visible, hidden[k] + " is back after the job")
        compare(operationEnd.sent, [])
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
        var state = part("connectDrawOperations")
        // The control page follows the switches at once.
        compare(state.coordinateDisplayFlag, false)
        compare(state.shadyDisplayFlag, false)

        click(data.button)
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
    }

    function test_languageSelectorAtCreation_data() {
        return [
            { tag: "absent", stored: "", entry: "简体中文" },
            { tag: "exact", stored: "English", entry: "English" },
            { tag: "lower case", stored: "english", entry: "English" },
            { tag: "upper case", stored: "ENGLISH", entry: "English" },
            { tag: "japanese", stored: "日本の", entry: "日本の" },
            { tag: "unknown", stored: "Deutsch", entry: "简体中文" }
        ]
    }
    function test_languageSelectorAtCreation(data) {
        if (japaneseEdition)
            skip("the Japanese edition has no language choice")
        store.setValue("languages", data.stored)
        restart()
        compare(part("languageSelect").currentText, data.entry)
        // Showing the stored value writes nothing back.
        wait(700)
        compare(store.value("languages", ""), data.stored)
    }

    function test_languagePickedIsWrittenAtOnce() {
        if (japaneseEdition)
            skip("the Japanese edition has no language choice")
        openSettings()
        var select = part("languageSelect")
        select.currentIndex = 1
        select.activated(1)
        tryVerify(function() { return store.value("languages", "") === "English" }, 3000)
        click("cancelButton")
        compare(store.value("languages", ""), "English", "cancel does not take the pick back")
        compare(window.title, "Kalvor")
    }

    function test_japaneseEditionHasNoLanguageChoice() {
        if (!japaneseEdition)
            skip("only the Japanese edition")
        store.setValue("languages", "English")
        restart()
        compare(part("languageSelect"), null)
        compare(part("languageLoader").item, null)
        openSettings()
        click("saveButton")
        wait(700)
        restart()
        compare(store.value("languages", ""), "English", "nothing writes the language")
    }

    function test_aboutTexts_data() {
        return [
            { tag: "zh", software: "软件版本：V1.91", machine: "雕刻机版本：V1.5" },
            { tag: "en", software: "Software version：V1.91", machine: "Machine version：V1.5" },
            { tag: "ja", software: "ソフトウェアバージョン：V1.91", machine: "彫刻機のバージョン:V1.5" }
        ]
    }
    function test_aboutTexts(data) {
        if (Helpers.language() !== data.tag)
            skip("another language is installed")
        compare(part("softwareVersion").text, data.software)
        compare(part("machineVersion").text, data.machine)
    }
}
