import QtQuick 2.7
import QtQuick.Controls 2.0
import "."

// A popup of the main window, modal and centred across it, on a plain white
// card rather than the style's elevation shadow, which needs OpenGL and would
// leave it bare with the software renderer. A tall one fills the window's
// height; the others stand a sixth of the way down.
Popup {
    property bool tall: false

    x: (parent.width - width) / 2
    y: tall ? 0 : parent.height / 6
    width: (tall ? Math.max(parent.width, parent.height) : Math.min(parent.width, parent.height)) * 2 / 3
    height: tall ? parent.height : implicitHeight
    modal: true
    focus: true
    padding: 20

    background: Rectangle {
        color: "white"
        radius: 3
        border.width: 1
        border.color: Theme.softBorder
    }
}
