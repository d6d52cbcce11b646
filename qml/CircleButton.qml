import QtQuick 2.7
import QtQuick.Controls 2.2
import "common"

// A round icon button. Users set its size (a square gives a circle), the
// label through circleTextAlias and attach their handlers to buttonClicked.
// While not available it fades and takes no clicks, but still follows the
// pointer: coming available again under a resting pointer is no new entry.
// Its tip, if it has one, shows on its left when the pointer rests on it:
// the round buttons stand at the right edge of their page.
Rectangle {
    id: circleButton

    property string fontFamily: Theme.fontFamily
    property color borderHoveredColor: Theme.ring
    property color borderNotHoveredColor: Theme.line
    property alias circleTextAlias: circleText
    property alias buttonClicked: circleArea
    property string buttonIcon: ""
    property bool available: true
    property string tip

    radius: height / 2
    border.width: 2
    // Feedback follows the mouse area's own state rather than handlers, so
    // that users may attach their own onEntered/onExited freely.
    border.color: circleArea.containsMouse && available ? borderHoveredColor : borderNotHoveredColor
    scale: circleArea.pressed ? 0.9 : 1
    opacity: available ? 1 : Theme.disabledOpacity
    gradient: Theme.panelGradient

    Behavior on scale {
        NumberAnimation { duration: 150 }
    }

    Text {
        id: circleText

        anchors.centerIn: parent
        z: circleArea.containsMouse ? 2 : 1
        // At rest the icon covers the label; the icon's transparent corners
        // must not let a wide label show through around it.
        visible: circleButton.buttonIcon === "" || circleArea.containsMouse
        // A label longer than the circle (some translations are) shrinks to fit.
        width: circleButton.width - 6
        horizontalAlignment: Text.AlignHCenter
        fontSizeMode: Text.HorizontalFit
        minimumPixelSize: 8
        font.family: circleButton.fontFamily
        font.pixelSize: Theme.circleSize
    }

    Image {
        id: circleIcon

        anchors.fill: parent
        anchors.margins: 2
        z: circleArea.containsMouse ? 1 : 2
        source: circleButton.buttonIcon
        fillMode: Image.PreserveAspectFit
        smooth: true
        mipmap: true
        opacity: circleArea.containsMouse ? 0.8 : 1

        Behavior on opacity {
            NumberAnimation { duration: 150 }
        }
    }

    ToolTip {
        objectName: "tip"
        x: -width - 8
        y: (circleButton.height - height) / 2
        // Shown only while the pointer rests on the button, so nothing
        // else may close it; it goes with its page (Done leaves the pointer
        // on it), and at once: a tip still fading out takes the clicks
        // under it.
        visible: circleButton.visible && circleArea.containsMouse && circleButton.tip !== ""
        closePolicy: Popup.NoAutoClose
        exit: null
        delay: Theme.tipDelay
        text: circleButton.tip
        font.family: circleButton.fontFamily
        font.pixelSize: Theme.textSize
    }

    MouseArea {
        id: circleArea

        anchors.fill: parent
        z: 3
        hoverEnabled: true
        acceptedButtons: circleButton.available ? Qt.LeftButton : Qt.NoButton
    }
}
