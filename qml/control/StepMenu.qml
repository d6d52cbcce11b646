import QtQuick 2.7
import "../common"

// The positioning menu: four buttons that move the picture by one step of
// 0.5 mm while it is being framed. openAt() shows it at a place, kept inside
// the parent.
Rectangle {
    id: menu

    property string fontFamily: Theme.fontFamily

    signal step(int dx, int dy)

    function openAt(x, y) {
        menu.x = Math.max(0, Math.min(x, parent.width - width))
        menu.y = Math.max(0, Math.min(y, parent.height - height))
        visible = true
    }

    width: 80
    height: 160
    visible: false
    radius: 3
    border.width: 1
    border.color: Theme.accentBorder
    gradient: Theme.panelGradient

    // Keeps clicks on the menu's background from reaching the area.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.RightButton
    }

    Column {
        anchors.centerIn: parent
        spacing: 4

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("图片定位")
            font.family: menu.fontFamily
            font.pixelSize: Theme.textSize
        }

        Repeater {
            model: [
                { "name": "left", "dx": -1, "dy": 0, "text": qsTr("左移0.5mm") },
                { "name": "right", "dx": 1, "dy": 0, "text": qsTr("右移0.5mm") },
                { "name": "up", "dx": 0, "dy": -1, "text": qsTr("上移0.5mm") },
                { "name": "down", "dx": 0, "dy": 1, "text": qsTr("下移0.5mm") }
            ]

            Rectangle {
                objectName: "locMenu_" + modelData.name
                width: 70
                height: 30
                radius: 3
                color: stepArea.pressed ? Theme.lit : (stepArea.containsMouse ? Theme.hoverLight : Theme.hover)
                border.width: 1
                border.color: Theme.softBorder

                Text {
                    anchors.centerIn: parent
                    font.family: menu.fontFamily
                    font.pixelSize: Theme.textSize
                    text: modelData.text
                }

                MouseArea {
                    id: stepArea

                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: menu.step(modelData.dx, modelData.dy)
                }
            }
        }
    }
}
