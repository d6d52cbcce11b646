import QtQuick 2.9
import QtQuick.Controls 2.0
import QtQuick.Dialogs 1.3
import Qt.labs.settings 1.0
import Zan.Desktop 1.0
import "../common"

// Opening a picture, exporting it, saving and opening work files, undo and
// redo, and the tone, right beside the looks.
Column {
    id: buttons

    // The canvas (for what can be undone), the tone panel (tone), and
    // whether the page is busy or loading a file.
    property Item canvas: null
    property Item tone: null
    property bool busy: false
    property bool loadingFile: false
    // The folder of the last export of this session: the next export
    // starts there.
    property url exportFolder: ""

    signal openClicked()
    signal exportClicked()
    signal saveWorkClicked()
    signal openWorkClicked()
    signal undoClicked()
    signal redoClicked()
    // The file the user chose to export to, as typed: the page adds the
    // suffix and writes it.
    signal exportChosen(url file)
    // Where an export went, or why it failed: a text to show, translated.
    signal message(string text)

    // The save dialog of an export. It starts in the folder of the last
    // export, else in the one where a picture was last opened.
    function chooseExportFile() {
        var folder = exportFolder.toString()
        if (folder === "")
            folder = StoredSettings.checked("lastFolder", folderStore.value("lastFolder"))
        if (folder !== "")
            exportDialog.folder = folder
        exportDialog.open()
    }

    spacing: 6

    DrawnToolButton {
        objectName: "openButton"
        tipSide: "left"
        tip: qsTr("打开图片（Ctrl+O）")
        glyph: "open"
        enabled: !buttons.busy
        onClicked: buttons.openClicked()
    }

    DrawnToolButton {
        objectName: "exportButton"
        glyph: "export"
        tipSide: "left"
        tip: qsTr("导出为 PNG 图片，供其他程序使用（Ctrl+Shift+S）")
        enabled: !buttons.busy
        onClicked: buttons.exportClicked()
    }

    DrawnToolButton {
        objectName: "saveWorkButton"
        glyph: "saveWork"
        tipSide: "left"
        tip: qsTr("保存作品：图片、效果和雕刻设置，以后可再次雕刻（Ctrl+Alt+S）")
        enabled: !buttons.busy
        onClicked: buttons.saveWorkClicked()
    }

    DrawnToolButton {
        objectName: "openWorkButton"
        glyph: "openWork"
        tipSide: "left"
        tip: qsTr("打开作品（Ctrl+Alt+O）")
        enabled: !buttons.busy
        onClicked: buttons.openWorkClicked()
    }

    DrawnToolButton {
        objectName: "undoButton"
        tipSide: "left"
        tip: qsTr("撤销（Ctrl+Z）")
        glyph: "undo"
        enabled: buttons.canvas.canUndo && !buttons.loadingFile
        onClicked: buttons.undoClicked()
    }

    DrawnToolButton {
        objectName: "redoButton"
        tipSide: "left"
        tip: qsTr("重做（Ctrl+Shift+Z 或 Ctrl+Y）")
        glyph: "redo"
        enabled: buttons.canvas.canRedo && !buttons.loadingFile
        onClicked: buttons.redoClicked()
    }

    // Opens and closes the tone panel, lit while it is open, and keeps
    // the tool chosen on the left.
    DrawnToolButton {
        objectName: "toneButton"
        tipSide: "left"
        tip: qsTr("色调和离散方式")
        glyph: "tone"
        highlighted: buttons.tone.open
        onClicked: buttons.tone.toggle()
    }

    Connections {
        target: PictureFiles
        function onPictureExported(path, error) {
            if (error === "")
                buttons.message(qsTr("图片已导出到 %1").arg(path))
            else
                buttons.message(qsTr("图片导出失败：%1").arg(error))
        }
    }

    // Only read, when the dialog opens: the open dialog keeps this key.
    Settings {
        id: folderStore
    }

    FileDialog {
        id: exportDialog

        objectName: "exportDialog"
        title: qsTr("导出为 PNG 图片")
        selectExisting: false
        selectMultiple: false
        defaultSuffix: "png"
        nameFilters: [qsTr("PNG 图片") + " (*.png)"]
        onAccepted: {
            var folder = PictureFiles.folderOf(fileUrl).toString()
            if (folder !== "")
                buttons.exportFolder = folder
            buttons.exportChosen(fileUrl)
        }
    }
}
