import QtQuick 2.7

// Named main.qml so that its qsTr texts are looked up in the context "main",
// like the real window's. Reports what the installed translator gives and
// ends the event loop with a known code.
QtObject {
    Component.onCompleted: {
        console.log("EDIT=" + qsTr("修图"))
        console.log("EDITION=" + japaneseEdition)
        Qt.exit(7)
    }
}
