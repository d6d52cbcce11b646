import QtQuick 2.7
import QtQuick.Controls 2.2
import "../common"

// The touch-up over the engraving area: the user drags a rectangle, and
// burn asks for the last job's pixels inside it to be burned again where
// they were. The area of the last job is outlined as a guide. Escape or
// cancel leaves it. Set to the area's units by the page; the rectangle is
// reported in engraving pixels of the area.
Item {
    id: overlay

    property string fontFamily: Theme.fontFamily
    property bool active: false
    // Engraving pixels to the area's units.
    property real scaleSize: 1
    // The last job's burned area, in engraving pixels of the area.
    property rect lastArea: Qt.rect(0, 0, 0, 0)
    // The rectangle chosen, in the area's units (empty: none yet).
    property rect chosen: Qt.rect(0, 0, 0, 0)
    readonly property bool hasChoice: chosen.width > 0 && chosen.height > 0

    // Burn the part chosen: x, y, width, height in engraving pixels.
    signal burnClicked(int x, int y, int width, int height)
    signal cancelled()

    function clear() {
        chosen = Qt.rect(0, 0, 0, 0)
    }

    // Sets the rectangle from two corners, kept on the area.
    function choose(x1, y1, x2, y2) {
        var left = Math.max(0, Math.min(x1, x2))
        var top = Math.max(0, Math.min(y1, y2))
        var right = Math.min(width, Math.max(x1, x2))
        var bottom = Math.min(height, Math.max(y1, y2))
        chosen = Qt.rect(left, top, Math.max(0, right - left), Math.max(0, bottom - top))
    }

    // The rectangle in whole engraving pixels: every pixel it touches.
    function chosenPixels() {
        var left = Math.floor(chosen.x / scaleSize)
        var top = Math.floor(chosen.y / scaleSize)
        var right = Math.ceil((chosen.x + chosen.width) / scaleSize)
        var bottom = Math.ceil((chosen.y + chosen.height) / scaleSize)
        return Qt.rect(left, top, right - left, bottom - top)
    }

    function burn() {
        if (!hasChoice)
            return
        var r = chosenPixels()
        burnClicked(r.x, r.y, r.width, r.height)
    }

    visible: active
    onActiveChanged: clear()

    // Takes every press on the area while the touch-up is on: the picture
    // and the marker stay where they are.
    MouseArea {
        id: dragArea

        property real startX: 0
        property real startY: 0

        objectName: "touchUpArea"
        anchors.fill: parent
        cursorShape: Qt.CrossCursor
        onPressed: {
            startX = mouse.x
            startY = mouse.y
            overlay.clear()
        }
        onPositionChanged: overlay.choose(startX, startY, mouse.x, mouse.y)
        onReleased: overlay.choose(startX, startY, mouse.x, mouse.y)
    }

    Rectangle {
        objectName: "lastJobOutline"
        x: overlay.lastArea.x * overlay.scaleSize
        y: overlay.lastArea.y * overlay.scaleSize
        width: overlay.lastArea.width * overlay.scaleSize
        height: overlay.lastArea.height * overlay.scaleSize
        color: "transparent"
        border.width: 1
        border.color: Theme.accentDark
    }

    Rectangle {
        objectName: "touchUpChoice"
        visible: overlay.hasChoice
        x: overlay.chosen.x
        y: overlay.chosen.y
        width: overlay.chosen.width
        height: overlay.chosen.height
        color: "#33FF8A65"
        border.width: 2
        border.color: Theme.warning
    }

    Rectangle {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        anchors.topMargin: 8
        width: bar.width + 12
        height: bar.height + 12
        radius: 3
        border.width: 1
        border.color: Theme.line
        gradient: Theme.panelGradient

        Row {
            id: bar

            x: 6
            y: 6
            spacing: 6

            Label {
                height: 30
                verticalAlignment: Text.AlignVCenter
                text: qsTr("拖动鼠标框选要补刻的区域")
                font.family: overlay.fontFamily
                font.pixelSize: Theme.textSize
                color: Theme.ink
            }

            Button {
                objectName: "touchUpBurnButton"
                height: 30
                text: qsTr("补刻")
                enabled: overlay.hasChoice
                font.family: overlay.fontFamily
                font.pixelSize: Theme.textSize
                onClicked: overlay.burn()
            }

            Button {
                objectName: "touchUpCancelButton"
                height: 30
                text: qsTr("取消")
                font.family: overlay.fontFamily
                font.pixelSize: Theme.textSize
                onClicked: overlay.cancelled()
            }
        }
    }

    Shortcut {
        sequence: "Escape"
        enabled: overlay.active
        onActivated: overlay.cancelled()
    }
}
