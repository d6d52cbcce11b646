import QtQuick 2.0
import "common"

// A grey-level slider: white at the left, black at the right. value runs
// from 0 to 1 with two decimals as the knob is dragged.
Item {
    id: colorFrame

    property real value: 0
    property real max: 1
    property real min: 0
    readonly property real distance: width - colorBar.width

    width: 140
    height: 20

    Rectangle {
        id: colorTrack

        // A vertical gradient turned on its side makes the horizontal track.
        anchors.centerIn: parent
        width: 10
        height: colorFrame.width
        rotation: 90
        radius: 5
        border.width: 1
        border.color: Theme.line
        gradient: Gradient {
            GradientStop { position: 0.0; color: "black" }
            GradientStop { position: 1.0; color: "white" }
        }
    }

    Rectangle {
        id: colorBar

        width: 20
        height: 20
        radius: 10
        color: "white"
        border.width: 1
        border.color: colorDrag.pressed ? Theme.ring : Theme.line
        onXChanged: colorFrame.value = Math.round(x / colorFrame.distance * 100) / 100

        MouseArea {
            id: colorDrag

            anchors.fill: parent
            drag.target: colorBar
            drag.axis: Drag.XAxis
            drag.minimumX: 0
            drag.maximumX: colorFrame.distance
        }
    }
}
