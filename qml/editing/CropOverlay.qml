import QtQuick 2.7
import "../common"
import "../common/helpers.js" as Helpers

// The crop rectangle over the picture frame, with its resize handle at the
// bottom-right corner, both in the frame's coordinates: the overlay fills the
// frame. The rectangle moves whole; a double-click on it asks for the crop.
Item {
    id: overlay

    // The crop tool is on.
    property bool active: false
    // The frame's zoom: the border and the handle keep their size on screen.
    property real frameScale: 1
    readonly property alias rect: cutRectOutside

    signal cropRequested()

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
}
