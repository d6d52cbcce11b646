import QtQuick 2.7
import QtQuick.Controls 2.0
import "."

// A button of the popups: drawn plainly rather than with the style's
// elevation shadow, which needs OpenGL and would leave it bare with the
// software renderer.
AbstractButton {
    id: popupButton

    width: Math.max(120, popupButtonText.implicitWidth + 32)
    height: 30

    background: Rectangle {
        radius: 3
        color: popupButton.pressed ? Theme.lit : Theme.panelTop
        border.width: 1
        border.color: popupButton.pressed ? Theme.accent : Theme.line
    }
    contentItem: Text {
        id: popupButtonText

        text: popupButton.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: Theme.ink
        font.family: Theme.fontFamily
        font.pixelSize: Theme.textSize
        font.bold: true
    }
}
