import QtQuick 2.0
import QtQuick.Controls 1.4
import "common"

// The movable text box of the editing page. It grows with its text; dragX
// and dragY give the left edge of the text and the bottom of its content on
// the board, which is where the canvas draws the text.
Rectangle {
    id: pr

    property alias textField: textInput
    property int fontSize: 10
    property color fontColor: "black"
    property string fontFamily: Theme.fontFamily
    property int dragX: x + textInput.x
    property int dragY: y + textInput.contentHeight

    width: textInput.contentWidth + 16
    height: textInput.contentHeight + 8
    color: Theme.textBox
    radius: 3
    border.width: 2
    border.color: Theme.ring

    TextInput {
        id: textInput

        anchors.fill: parent
        anchors.margins: 4
        text: qsTr("输入")
        selectByMouse: true
        selectionColor: Theme.ring
        color: pr.fontColor
        font.family: pr.fontFamily
        font.pixelSize: pr.fontSize
        focus: true
        onActiveFocusChanged: {
            if (pr)
                pr.border.color = Theme.ring
        }
    }

    MouseArea {
        id: prArea

        anchors.fill: parent
        cursorShape: Qt.SizeAllCursor
        drag.target: pr
        drag.minimumX: 0
        drag.maximumX: pr && pr.parent ? Math.max(0, pr.parent.width - pr.width) : 0
        drag.minimumY: 0
        drag.maximumY: pr && pr.parent ? Math.max(0, pr.parent.height - pr.height) : 0
        onClicked: pr.border.color = Theme.handle
    }

    // Over the text: a press puts the caret where it lands and then lets the
    // box mouse area take the press, so the box drags from anywhere.
    MouseArea {
        anchors.fill: parent
        anchors.margins: 4
        cursorShape: Qt.SizeAllCursor
        onPressed: {
            textInput.forceActiveFocus()
            textInput.cursorPosition = textInput.positionAt(mouse.x, mouse.y)
            mouse.accepted = false
        }
    }
}
