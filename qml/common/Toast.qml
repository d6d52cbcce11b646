import QtQuick 2.7
import "."

// The message line at the bottom-left corner of a page: show() slides it up
// with its text, and it slides away again 2.5 s after the last message. A
// message longer than the page is wide wraps onto more lines.
Rectangle {
    id: toast

    property string fontFamily: Theme.fontFamily
    property alias text: infoText.text

    function show(message) {
        hide.stop()
        visible = true
        infoText.text = message
        rise.restart()
        holdTimer.restart()
    }

    visible: false
    width: infoText.width + 8
    // One line as it always was; more only as high as they need.
    height: infoText.lineCount > 1 ? infoText.height + 8 : 24
    anchors.left: parent.left
    anchors.leftMargin: 10
    anchors.bottom: parent.bottom
    anchors.bottomMargin: -height
    radius: 3
    border.width: 2
    border.color: Theme.toastBorder
    gradient: Theme.panelGradient

    Text {
        id: infoText

        objectName: "infoText"
        anchors.centerIn: parent
        // As wide as the text, up to the page's width less the margins.
        width: Math.min(implicitWidth, toast.parent ? toast.parent.width - 2 * toast.anchors.leftMargin - 8 : implicitWidth)
        wrapMode: Text.Wrap
        font.family: toast.fontFamily
        font.pixelSize: Theme.messageSize
    }

    NumberAnimation {
        id: rise

        target: toast
        property: "anchors.bottomMargin"
        to: -2
        duration: 100
    }

    NumberAnimation {
        id: hide

        target: toast
        property: "anchors.bottomMargin"
        to: -toast.height
        duration: 500
        // Away below the page, it is no longer shown at all.
        onStopped: {
            if (toast.anchors.bottomMargin <= -toast.height)
                toast.visible = false
        }
    }

    Timer {
        id: holdTimer

        interval: 2500
        onTriggered: {
            rise.stop()
            hide.restart()
        }
    }
}
