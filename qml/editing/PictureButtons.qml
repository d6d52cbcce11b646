import QtQuick 2.9
import QtQuick.Controls 2.0
import QtQuick.Dialogs 1.3
import Qt.labs.settings 1.0
import Zan.Desktop 1.0
import "../common"

// Opening a picture, exporting it, undo and redo, and the tone, right
// beside the looks.
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
    signal undoClicked()
    signal redoClicked()
    // The file the user chose to export to, as typed: the page adds the
    // suffix and writes it.
    signal exportChosen(url file)

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
