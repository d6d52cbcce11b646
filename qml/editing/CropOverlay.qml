import QtQuick 2.7
import QtQuick.Controls 2.2
import "../common"
import "../common/helpers.js" as Helpers

// The crop rectangle over the picture frame, with its resize handle at the
// bottom-right corner, both in the frame's coordinates: the overlay fills the
// frame. What the crop would cut away is shaded. The rectangle moves whole;
// a double-click on it or the apply button asks for the crop, the cancel
// button for none. The two buttons sit on the page beside the rectangle,
// never off the page's edge, whatever the frame's place and zoom.
Item {
    id: overlay

    // The crop tool is on.
    property bool active: false
    // The frame's zoom: the border and the handle keep their size on screen.
    property real frameScale: 1
    // Where the buttons go: the page the frame lies on.
    property Item page: null
    property string fontFamily: Theme.fontFamily
    readonly property alias rect: cutRectOutside

    signal cropRequested()
    signal cancelRequested()

    // The rectangle at 0.8 of the frame, centred.
    function open() {
        var r = Helpers.centredRect(width, height, 0.8)
        cutRectOutside.width = r.width
        cutRectOutside.height = r.height
        cutRectOutside.x = r.x
        cutRectOutside.y = r.y
        placeHandle()
    }

    function placeHandle() {
        cutDragSize.x = cutRectOutside.x + cutRectOutside.width - cutDragSize.width
        cutDragSize.y = cutRectOutside.y + cutRectOutside.height - cutDragSize.height
    }

    // The rectangle as the buttons' parent shows it. mapToItem alone tells
    // a binding nothing: the rectangle's and the frame's place and zoom are
    // read first so that a binding on this follows them.
    function rectShown() {
        var frame = overlay.parent, r = cutRectOutside, to = cropButtons.parent
        if (frame)
            void [r.x, r.y, frame.x, frame.y, frame.scale, frame.width, frame.height]
        var topLeft = r.mapToItem(to, 0, 0), bottomRight = r.mapToItem(to, r.width, r.height)
        return { x: topLeft.x, y: topLeft.y, width: bottomRight.x - topLeft.x, height: bottomRight.y - topLeft.y }
    }

    // One of the two round buttons: a tick that applies, a cross that
    // cancels, each drawn here rather than taken from a font.
    component CropButton: Button {
        id: button

        property bool apply: false
        property string tip

        width: 32
        height: 32
        padding: 0
        topInset: 0
        bottomInset: 0
        leftInset: 0
        rightInset: 0
        focusPolicy: Qt.NoFocus
        hoverEnabled: true

        background: Rectangle {
            radius: width / 2
            color: button.down ? Theme.lit : (button.hovered ? Theme.hover : Theme.panelTop)
            border.width: 2
            border.color: button.apply ? Theme.accent : Theme.line
        }

        contentItem: Canvas {
            onPaint: {
                var ctx = getContext("2d")
                ctx.reset()
                ctx.lineWidth = 3
                ctx.lineCap = "round"
                ctx.lineJoin = "round"
                ctx.strokeStyle = button.apply ? Theme.accentDark : Theme.ink
                ctx.beginPath()
                if (button.apply) {
                    ctx.moveTo(9, 16)
                    ctx.lineTo(14, 21)
                    ctx.lineTo(23, 11)
                } else {
                    ctx.moveTo(11, 11)
                    ctx.lineTo(21, 21)
                    ctx.moveTo(21, 11)
                    ctx.lineTo(11, 21)
                }
                ctx.stroke()
            }
        }

        ToolTip {
            visible: button.hovered
            delay: 500
            text: button.tip
            font.family: overlay.fontFamily
            font.pixelSize: Theme.textSize
        }
    }

    // Shade over what the crop cuts away.
    component Shade: Rectangle {
        visible: cutRectOutside.visible
        color: Theme.cropShade
    }

    // Above the rectangle, below it, then left and right of it.
    Shade {
        width: overlay.width
        height: cutRectOutside.y
    }

    Shade {
        y: cutRectOutside.y + cutRectOutside.height
        width: overlay.width
        height: Math.max(0, overlay.height - y)
    }

    Shade {
        y: cutRectOutside.y
        width: cutRectOutside.x
        height: cutRectOutside.height
    }

    Shade {
        x: cutRectOutside.x + cutRectOutside.width
        y: cutRectOutside.y
        width: Math.max(0, overlay.width - x)
        height: cutRectOutside.height
    }

    Rectangle {
        id: cutRectOutside

        objectName: "cutRectOutside"
        visible: cutArea.enabled
        color: "transparent"
        border.width: 2 / overlay.frameScale
        border.color: Qt.rgba(0, 0, 0, 0.4)

        MouseArea {
            id: cutArea

            objectName: "cutArea"
            anchors.fill: parent
            enabled: overlay.active
            hoverEnabled: true
            drag.target: cutRectOutside
            drag.minimumX: 0
            drag.maximumX: overlay.width - cutRectOutside.width
            drag.minimumY: 0
            drag.maximumY: overlay.height - cutRectOutside.height
            onPositionChanged: overlay.placeHandle()
            onDoubleClicked: overlay.cropRequested()
        }
    }

    Rectangle {
        id: cutDragSize

        objectName: "cutDragSize"
        visible: cutRectOutside.visible
        width: 15 / overlay.frameScale
        height: width
        color: Theme.handle

        onXChanged: {
            if (cutSizeArea.drag.active)
                cutRectOutside.width = x - cutRectOutside.x + width
        }
        onYChanged: {
            if (cutSizeArea.drag.active)
                cutRectOutside.height = y - cutRectOutside.y + height
        }

        MouseArea {
            id: cutSizeArea

            anchors.fill: parent
            cursorShape: Qt.SizeAllCursor
            drag.target: cutDragSize
            drag.minimumX: cutRectOutside.x
            drag.maximumX: overlay.width - cutDragSize.width
            drag.minimumY: cutRectOutside.y
            drag.maximumY: overlay.height - cutDragSize.height
        }
    }

    Row {
        id: cropButtons

        readonly property var place: Helpers.barBeside(overlay.rectShown(), width, height, parent.width, parent.height, 8, 15)

        objectName: "cropButtons"
        // On the page rather than in the zoomed frame: the same size
        // whatever the zoom, and never out of reach.
        parent: overlay.page ? overlay.page : overlay
        z: 2
        visible: cutRectOutside.visible
        x: place.x
        y: place.y
        spacing: 8

        CropButton {
            objectName: "cropApply"
            apply: true
            tip: qsTr("应用裁剪（Enter）")
            onClicked: overlay.cropRequested()
        }

        CropButton {
            objectName: "cropCancel"
            tip: qsTr("取消裁剪（Esc）")
            onClicked: overlay.cancelRequested()
        }
    }
}
