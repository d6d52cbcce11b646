import QtQuick 2.7
import QtTest 1.0

// The harness gives documents what the start-up gives them.
TestCase {
    name: "Smoke"

    function test_mainWindowLoads() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        var window = component.createObject(null)
        verify(window !== null)
        compare(window.width, 1050)
        compare(window.height, 700)
        verify(typeof operationEnd !== "undefined")
        compare(japaneseEdition, false)
        window.destroy()
    }
}
