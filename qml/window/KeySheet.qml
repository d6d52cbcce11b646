import QtQuick 2.7
import "../common"

// The program's keys, two columns: the keys and what they do. Shown in the
// about popup, so that the keyboard can be learned without a manual.
Grid {
    id: sheet

    columns: 2
    columnSpacing: 16
    rowSpacing: 3

    Repeater {
        model: [
            "Ctrl+O", qsTr("打开图片"),
            "Ctrl+V", qsTr("粘贴图片"),
            "Ctrl+Z", qsTr("撤销"),
            "Ctrl+Shift+Z / Ctrl+Y", qsTr("重做"),
            "Ctrl+S", qsTr("保存图片"),
            "Ctrl+Shift+S", qsTr("导出为 PNG 图片"),
            "Ctrl+Alt+S", qsTr("保存作品"),
            "Ctrl+Alt+O", qsTr("打开作品"),
            "Enter", qsTr("完成修图"),
            qsTr("Enter（裁剪时）"), qsTr("应用裁剪"),
            "Esc", qsTr("关闭面板 / 取消裁剪"),
            qsTr("方向键 / Shift+方向键"), qsTr("移动图片 0.5mm / 5mm"),
            qsTr("空格"), qsTr("开始 / 暂停雕刻"),
            qsTr("方向键（激光头选中时）"), qsTr("移动激光头 0.5mm / 5mm"),
            "Ctrl+1 / Ctrl+2", qsTr("修图页 / 控制页"),
            "Ctrl+Q", qsTr("退出")
        ]

        Text {
            objectName: "keySheet_" + index
            text: modelData
            color: Theme.ink
            font.family: Theme.fontFamily
            font.pixelSize: Theme.noteSize + 1
            font.bold: index % 2 === 0
        }
    }
}
