import QtQuick 2.7
import QtQuick.Controls 2.2
import "../common"

// A button of the control page's panels, with what it does when the
// pointer rests on it.
Button {
    id: tipButton

    property string tip
    property string fontFamily: Theme.fontFamily

    height: 32
    leftPadding: 8
    rightPadding: 8
    focusPolicy: Qt.NoFocus
    hoverEnabled: true
    font.family: fontFamily
    font.pixelSize: Theme.textSize

    ToolTip {
        objectName: "tip"
        visible: tipButton.hovered && text !== ""
        delay: Theme.tipDelay
        closePolicy: Popup.NoAutoClose
        exit: null
        text: tipButton.tip
    }
}
