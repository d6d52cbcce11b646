import QtQuick 2.9
import ".."
import "../common"

// Save, clear and Done, each with its tip while the pointer is on it. A
// click calls the page's function of the same action; the tips go out,
// translated, through hint().
Column {
    id: column

    // The editing page the buttons act on.
    property Item page: null
    property string fontFamily: Theme.fontFamily
    // While the canvas is busy no button is offered.
    property bool busy: false

    signal hint(string text)

    spacing: 10

    Repeater {
        model: [
            { "name": "saveButton", "icon": "save", "text": qsTr("保存"), "action": "savePicture",
              "tip": QT_TR_NOOP("点击将保存现有的图片到电脑……") },
            { "name": "clearButton", "icon": "delete", "text": qsTr("清除"), "action": "clearPicture",
              "tip": QT_TR_NOOP("点击将清除所有内容……") },
            { "name": "doneButton", "icon": "done", "text": qsTr("完成"), "action": "finish",
              "tip": QT_TR_NOOP("点击完成操作并跳转到控制界面……") }
        ]

        CircleButton {
            objectName: modelData.name
            width: 42
            height: 42
            available: !column.busy
            fontFamily: column.fontFamily
            borderHoveredColor: "white"
            buttonIcon: "qrc:/image/" + modelData.icon + ".png"
            circleTextAlias.text: modelData.text
            circleTextAlias.font.bold: true
            buttonClicked.onClicked: column.page[modelData.action]()
            buttonClicked.onEntered: column.hint(qsTr(modelData.tip))
        }
    }
}
