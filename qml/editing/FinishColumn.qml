import QtQuick 2.9
import ".."
import "../common"

// Save, clear and Done, each with its tip while the pointer is on it. A
// click says which was clicked; the tips go out, translated, through hint().
// Each also has a tip of its own beside it, with its key.
Column {
    id: column

    property string fontFamily: Theme.fontFamily
    // While the canvas is busy no button is offered.
    property bool busy: false

    signal hint(string text)
    signal saveClicked()
    signal clearClicked()
    signal doneClicked()

    // One button of the column: its icon, label and tip.
    component FinishButton: CircleButton {
        property string icon
        // The toast's tip on entering, untranslated.
        property string hintText

        width: 42
        height: 42
        available: !column.busy
        fontFamily: column.fontFamily
        borderHoveredColor: "white"
        buttonIcon: "qrc:/image/" + icon + ".png"
        circleTextAlias.font.bold: true
        buttonClicked.onEntered: column.hint(qsTr(hintText))
    }

    spacing: 10

    FinishButton {
        objectName: "saveButton"
        icon: "save"
        circleTextAlias.text: qsTr("保存")
        tip: qsTr("保存：写在原图片旁，文件名前加 new_（Ctrl+S）")
        hintText: QT_TR_NOOP("点击将保存现有的图片到电脑……")
        buttonClicked.onClicked: column.saveClicked()
    }

    FinishButton {
        objectName: "clearButton"
        icon: "delete"
        circleTextAlias.text: qsTr("清除")
        tip: qsTr("清除画布上的全部内容（可撤销）")
        hintText: QT_TR_NOOP("点击将清除所有内容……")
        buttonClicked.onClicked: column.clearClicked()
    }

    FinishButton {
        objectName: "doneButton"
        icon: "done"
        circleTextAlias.text: qsTr("完成")
        tip: qsTr("完成：生成雕刻任务并转到控制页（Enter）")
        hintText: QT_TR_NOOP("点击完成操作并跳转到控制界面……")
        buttonClicked.onClicked: column.doneClicked()
    }
}
