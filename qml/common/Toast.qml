import QtQuick 2.7
import "."

// The message line at the bottom-left corner of a page: show() slides it up
// with its text, and it slides away again 2.5 s after the last message.
Rectangle {
    id: toast

    property string fontFamily: Theme.fontFamily
    property alias text: infoText.text

    function show(message) {
        infoText.text = message
        hide.stop()
        rise.restart()
        holdTimer.restart()
    }

    width: infoText.width + 8
    height: 24
    anchors.left: parent.left
    anchors.leftMargin: 10
    anchors.bottom: parent.bottom
    anchors.bottomMargin: -24
    radius: 3
    border.width: 2
    border.color: Theme.toastBorder
    gradient: Theme.panelGradient

    Text {
        id: infoText

        objectName: "infoText"
        anchors.centerIn: parent
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
        to: -24
        duration: 500
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
