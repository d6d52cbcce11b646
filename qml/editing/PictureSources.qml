import QtQuick 2.9
import QtQuick.Dialogs 1.3
import Qt.labs.settings 1.0
import Zan.Desktop 1.0

// Where the editing page's pictures come from: a drop on the page
// (filesDropped), the open dialog, which starts in the folder last used,
// the clipboard and the command line. Each says which picture was chosen
// (pictureChosen), or that the clipboard holds picture bytes
// (clipboardPicture); the page loads it.
Item {
    id: sources

    // While the page is busy no picture is taken.
    property bool busy: false

    signal pictureChosen(url source)
    signal clipboardPicture()
    // Files dropped on the page; the page loads the first.
    signal filesDropped(var drop)

    function openFileDialog() {
        if (busy)
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
        sources.pictureChosen(fileUrl)
    }

    // A copied file, or a copied picture, whose bytes the canvas decodes as
    // it would a file's; nothing happens when the clipboard holds neither.
    function pasteClipboard() {
        if (busy)
            return
        var url = PictureFiles.clipboardFile()
        if (url.toString() !== "")
            sources.pictureChosen(url)
        else
            sources.clipboardPicture()
    }

    // The picture named on the command line, if any.
    function openStartupFile(fileUrl) {
        if (fileUrl.toString() !== "")
            sources.pictureChosen(fileUrl)
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

    DropArea {
        objectName: "dropArea"
        anchors.fill: parent
        enabled: !sources.busy
        onDropped: {
            if (drop.hasUrls)
                drop.acceptProposedAction()
            sources.filesDropped(drop)
        }
    }
}
