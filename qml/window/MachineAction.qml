import QtQuick 2.7
import "../common"

// A machine action of the settings popup: its button and, below it, the
// reason why nothing was done when no engraver is connected.
Item {
    id: action

    // The command the button stands for.
    property string command
    property alias text: button.text
    property alias buttonName: button.objectName
    property alias noteName: note.objectName
    property alias noteShown: note.visible

    // The button was pressed.
    signal triggered()

    width: parent ? parent.width : 0
    height: button.height + (note.visible ? 6 + note.implicitHeight : 0)

    PopupButton {
        id: button

        onClicked: action.triggered()
    }

    PopupText {
        id: note

        y: button.height + 6
        visible: false
        color: Theme.warning
        text: qsTr("雕刻机未连接，没有执行。请先在控制页点击连接按钮。")
    }
}
