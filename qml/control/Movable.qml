import QtQuick 2.7

// Something the user places on the engraving area: dragged within its
// bounds it follows the pointer, placed by code it glides to its place.
// placedX and placedY are where it was last put: x and y animate, so a
// command sent right after a move must use these, not the value the
// animation has reached. letGo() comes when the pointer is released.
Rectangle {
    id: movable

    property real placedX: 0
    property real placedY: 0
    property bool draggable: true
    property real minimumX: 0
    property real maximumX: 0
    property real minimumY: 0
    property real maximumY: 0
    property alias dragArea: area

    signal letGo()
    signal clicked()

    function place(px, py) {
        placedX = px
        placedY = py
        x = px
        y = py
    }

    // A drag moves the item itself, with its animation off: where it lies is
    // where it was put.
    function keepPlace() {
        placedX = x
        placedY = y
    }

    color: "transparent"

    Behavior on x {
        enabled: !area.drag.active
        NumberAnimation { duration: 500 }
    }
    Behavior on y {
        enabled: !area.drag.active
        NumberAnimation { duration: 500 }
    }

    MouseArea {
        id: area

        anchors.fill: parent
        drag.target: movable.draggable ? movable : null
        drag.minimumX: movable.minimumX
        drag.maximumX: movable.maximumX
        drag.minimumY: movable.minimumY
        drag.maximumY: movable.maximumY
        // Qt emits released while the drag is still active and ends the drag
        // only after it, so the release keeps the place where the item was
        // let go itself; the end of the drag covers a drag that is cancelled
        // without a release.
        drag.onActiveChanged: {
            if (!drag.active)
                movable.keepPlace()
        }
        onReleased: {
            if (drag.active)
                movable.keepPlace()
            movable.letGo()
        }
        onClicked: movable.clicked()
    }
}
