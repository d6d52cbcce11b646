import QtQuick 2.7
import "../common"

// An icon button on a plain background that turns green while lit: the fan
// is on, the engraver connected, the picture being framed.
IconButton {
    id: button

    property bool lit: false
    property color restColor: "transparent"

    background: Rectangle {
        radius: 3
        color: button.lit ? Theme.lit : (button.hovered ? Theme.hover : button.restColor)
    }
}
