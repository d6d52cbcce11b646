import QtQuick 2.9
import QtQuick.Dialogs 1.3
import Qt.labs.settings 1.0
import Zan.Desktop 1.0

// Where the editing page's pictures come from besides a drop: the open
// dialog, which starts in the folder last used, the clipboard and the
// command line. Each hands its picture to the page's loadPicture().
Item {
    id: sources

    // The editing page the pictures go to.
    property Item page: null

    function openFileDialog() {
        if (page.busy)
            return
        if (folderSettings.lastFolder !== "")
            openDialog.folder = folderSettings.lastFolder
        openDialog.open()
    }

    // A file chosen in the open dialog; its folder is where the dialog
    // opens next time, even when the file turns out unreadable.
    function openChosenFile(fileUrl) {
        var folder = PictureFiles.folderOf(fileUrl).toString()
        if (folder !== "")
            folderSettings.lastFolder = folder
        page.loadPicture(fileUrl)
    }

    // A copied file, or a copied picture, whose bytes the canvas decodes as
    // it would a file's; nothing happens when the clipboard holds neither.
    function pasteClipboard() {
        if (page.busy)
            return
        var url = PictureFiles.clipboardFile()
        if (url.toString() !== "")
            page.loadPicture(url)
        else
            page.pastePicture()
    }

    // The picture named on the command line, if any.
    function openStartupFile(fileUrl) {
        if (fileUrl.toString() !== "")
            page.loadPicture(fileUrl)
    }

    // Where the open dialog was last used, checked once as stored: anything
    // but the URL of a local folder is taken for none.
    Settings {
        id: folderSettings

        property string lastFolder: ""

        Component.onCompleted: lastFolder = StoredSettings.checked("lastFolder", value("lastFolder"))
    }

    FileDialog {
        id: openDialog

        objectName: "openDialog"
        title: qsTr("打开图片")
        selectMultiple: false
        nameFilters: [qsTr("图片") + " (" + PictureFiles.patterns + ")", qsTr("所有文件") + " (*)"]
        onAccepted: sources.openChosenFile(fileUrl)
    }
}
