import QtQuick 2.7
import "../common"

// One box of a clock: its caption, or its time, on the panel gradient.
Rectangle {
    property alias text: label.text
    property alias textName: label.objectName
    property alias fontFamily: label.font.family

    width: 25
    height: 30
    radius: 3
    border.width: 2
    border.color: "white"
    gradient: Theme.panelGradient

    Text {
        id: label

        anchors.centerIn: parent
        font.family: Theme.fontFamily
        font.pixelSize: Theme.textSize
        color: Theme.ink
    }
}
