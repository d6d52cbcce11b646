import QtQuick 2.7
import "../common"

// One entry of the menu column: its icon above its name, lit while current,
// shaded while the pointer is on it.
Item {
    id: entry

    property bool current: false
    property string name
    property url icon
    property url currentIcon

    signal clicked()

    height: 50

    Rectangle {
        anchors.fill: parent
        color: Theme.menuHover
        visible: menuArea.containsMouse
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.menuCurrent
        visible: entry.current
    }

    Image {
        anchors.horizontalCenter: parent.horizontalCenter
        y: 5
        width: 24
        height: 24
        smooth: true
        source: entry.current ? entry.currentIcon : entry.icon
    }

    Caption {
        anchors.horizontalCenter: parent.horizontalCenter
        y: 35
        text: entry.name
    }

    MouseArea {
        id: menuArea

        anchors.fill: parent
        hoverEnabled: true
        onClicked: entry.clicked()
    }
}
