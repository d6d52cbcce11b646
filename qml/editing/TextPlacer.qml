import QtQuick 2.7
import ".."

// The text tool on the board, filling the frame: a click puts the text box
// where it lands, a double-click beside the box draws its text into the
// canvas where the box shows it, and reset() takes a waiting box away.
Item {
    id: placer

    // The text tool is on.
    property bool active: false
    // The canvas, which lies in the frame too.
    property Item canvas: null
    property alias fontFamily: drawText.fontFamily
    property alias fontSize: drawText.fontSize

    function place() {
        if (!drawText.dropFlag)
            return
        canvas.drawText(drawText.dragX - canvas.x, drawText.dragY - canvas.y, drawText.textField.text)
        drawText.dropFlag = false
        drawText.visible = false
    }

    function reset() {
        drawText.dropFlag = false
        drawText.visible = false
        drawText.textField.text = qsTr("输入")
    }

    MouseArea {
        objectName: "textDrag"
        anchors.fill: parent
        enabled: placer.active
        onClicked: {
            if (drawText.dropFlag)
                return
            drawText.dropFlag = true
            drawText.x = mouse.x
            drawText.y = mouse.y
            drawText.visible = true
        }
        onDoubleClicked: placer.place()
    }

    PutText {
        id: drawText

        property bool dropFlag: false

        objectName: "drawText"
        visible: false
    }
}
