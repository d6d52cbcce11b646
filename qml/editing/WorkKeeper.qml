import QtQuick 2.9
import QtQuick.Dialogs 1.3
import Qt.labs.settings 1.0
import Zan.Desktop 1.0

// Save work and Open work. A work file keeps what it takes to burn the same
// job again: the edited picture, its look with the threshold, the tone and
// the dithering, and the control page's part (where the picture goes on the
// engraving area, power, depth and fan), which the page's shared state
// holds. Opening one loads its picture as a new picture (the history starts
// anew with it); once it is on the canvas, restore() sets the tone and runs
// the look, and the control page takes its part. A file that cannot be read
// is named with the reason, and nothing on show changes. The dialogs start
// in the folder of the session's last work file, else where a picture was
// last opened.
Item {
    id: keeper

    // The page (its busy and loadingFile), the canvas, the tone panel and
    // the look column.
    property Item page: null
    property Item canvas: null
    property Item tone: null
    property Item looks: null
    // The settings of a work whose picture is being loaded; null when none.
    property var pending: null
    // Said once the work's picture shows in its look; then emptied.
    property string openedNote: ""
    property url workFolder: ""

    // A text to show, translated.
    signal message(string text)

    function startFolder() {
        var folder = workFolder.toString()
        return folder !== "" ? folder : StoredSettings.checked("lastFolder", folderStore.value("lastFolder"))
    }

    function chooseSaveFile() {
        if (page.busy)
            return
        if (startFolder() !== "")
            saveDialog.folder = startFolder()
        saveDialog.open()
    }

    function chooseOpenFile() {
        if (page.busy)
            return
        if (startFolder() !== "")
            openDialog.folder = startFolder()
        openDialog.open()
    }

    function remember(fileUrl) {
        var folder = PictureFiles.folderOf(fileUrl).toString()
        if (folder !== "")
            workFolder = folder
    }

    function save(fileUrl) {
        var engraver = page.shared.controlWork
        if (page.busy || !WorkFiles.save(canvas, fileUrl, engraver ? engraver : {}))
            message(qsTr("现在无法保存作品……"))
    }

    // A work file chosen, dropped or named on the command line.
    function open(source) {
        if (page.busy)
            return
        pending = null
        page.loadingFile = true
        if (!WorkFiles.open(canvas, source)) {
            page.loadingFile = false
            message(qsTr("无法读取作品文件……"))
        }
    }

    // The work's picture is on the canvas: its tone, dithering and look,
    // then the control page's part. False when no work was waiting.
    function restore() {
        var work = pending
        if (!work)
            return false
        pending = null
        tone.setAll(work.brightness, work.contrast, work.gamma, work.ditherMethod, work.serpentine,
                    work.halftoneCell, work.dotSize)
        looks.start(looks.lookOf(work.look), work.threshold)
        // While a job runs, the control page keeps its power, depth and fan.
        if (work.engraver)
            page.shared.workOpened(work.engraver)
        if (work.engraver && page.shared.startCarveFlag)
            openedNote = qsTr("已打开作品 %1；雕刻进行中，功率、深度和风扇未改变").arg(work.path)
        else
            openedNote = qsTr("已打开作品 %1").arg(work.path)
        return true
    }

    // Says that a work was opened, once its picture shows in its look;
    // false when there is nothing to say.
    function sayOpened() {
        if (openedNote === "")
            return false
        message(openedNote)
        openedNote = ""
        return true
    }

    function refusal(problem, detail) {
        switch (problem) {
        case WorkFiles.TooLarge: return qsTr("作品文件太大，无法打开……")
        case WorkFiles.NotWorkFile: return qsTr("这不是作品文件……")
        case WorkFiles.Damaged: return qsTr("作品文件已损坏，无法打开……")
        case WorkFiles.NewerVersion: return qsTr("这个作品文件由更新版本的程序保存，请升级后再打开……")
        case WorkFiles.BadValue: return qsTr("作品文件中的 %1 无效，无法打开……").arg(detail)
        case WorkFiles.BadPicture: return qsTr("作品文件中的图片无法读取……")
        case WorkFiles.TimedOut: return qsTr("作品文件读取超时，已放弃……")
        default: return qsTr("无法读取作品文件：%1").arg(detail)
        }
    }

    Connections {
        target: WorkFiles

        function onWorkSaved(path, error) {
            if (error === "")
                keeper.message(qsTr("作品已保存到 %1").arg(path))
            else
                keeper.message(qsTr("作品保存失败：%1").arg(error))
        }

        function onWorkOpened(path, work) {
            work.path = path
            keeper.pending = work
        }

        function onWorkRefused(path, problem, detail) {
            keeper.page.loadingFile = false
            keeper.message(keeper.refusal(problem, detail))
        }
    }

    // The picture did not make it onto the canvas: its settings go too.
    Connections {
        target: keeper.canvas

        function onLoadFailed() {
            keeper.pending = null
        }
    }

    // Only read, when a dialog opens: the open dialog of pictures keeps it.
    Settings {
        id: folderStore
    }

    FileDialog {
        id: saveDialog

        objectName: "saveWorkDialog"
        title: qsTr("保存作品")
        selectExisting: false
        selectMultiple: false
        defaultSuffix: "vandra"
        nameFilters: [qsTr("作品文件") + " (" + WorkFiles.pattern + ")"]
        onAccepted: {
            keeper.remember(fileUrl)
            keeper.save(fileUrl)
        }
    }

    FileDialog {
        id: openDialog

        objectName: "openWorkDialog"
        title: qsTr("打开作品")
        selectMultiple: false
        nameFilters: [qsTr("作品文件") + " (" + WorkFiles.pattern + ")", qsTr("所有文件") + " (*)"]
        onAccepted: {
            keeper.remember(fileUrl)
            keeper.open(fileUrl)
        }
    }
}
