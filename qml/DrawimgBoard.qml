import QtQuick 2.9
import QtQuick.Window 2.2
import Zan.DrawBoard 1.0
import Zan.Desktop 1.0
import QtQuick.Controls 2.0
import "common"
import "editing"
import "common/helpers.js" as Helpers

// The editing page: one canvas in a movable, zoomable frame, the tools and
// their panels around it, the three effects and the way to the engraver.
// Every image algorithm runs on the canvas's thread pool. The page is busy
// while the canvas is (a run under way or waiting) and while a dropped file
// is read: the busy indicator shows it, and every action the canvas would
// refuse meanwhile is offered no more.
Rectangle {
    id: drawimgBoard

    // What the page takes from the main window: the state it shares with the
    // control page, the engraver controller and the window's font.
    property QtObject shared: SharedState {}
    property QtObject controller: null
    property string fontFamily: Theme.fontFamily

    // From a drop until the dropped picture is on show, or refused.
    property bool loadingFile: false
    readonly property bool busy: drawBoard.busy || loadingFile
    // The picture being loaded came from a file that ends early; said once
    // its first look is on screen, so that no progress tip hides it.
    property bool incompleteFile: false

    objectName: "drawimgBoard"

    // Shows the tip str (translated here, so callers pass QT_TR_NOOP texts)
    // in the toast at the bottom-left corner for 2.5 s.
    function infoView(str) {
        infoRemind.show(qsTr(str))
    }

    // The chosen look again, at the threshold slider's value.
    function applyEffectThreshold() {
        effectFrame.applyThreshold()
    }

    // The one way a picture or a work file comes in, whether dropped, chosen
    // in the open dialog, pasted or named on the command line: the canvas
    // applies its size cap and refuses what it cannot read, keeping the
    // current picture. Ignored while busy: the run's result would replace it.
    function loadPicture(source) {
        if (busy)
            return
        if (WorkFiles.isWorkFile(source))
            return workKeeper.open(source)
        loadingFile = true
        drawBoard.load(source)
    }

    // A picture copied to the clipboard, decoded by the canvas as a file.
    function pastePicture() {
        if (busy)
            return
        loadingFile = true
        if (!PictureFiles.pasteInto(drawBoard))
            loadingFile = false
    }

    // Hands a drop to the canvas, which loads the first of several files.
    function dropFiles(drop) {
        if (!drop.hasUrls || drop.urls.length === 0)
            return
        loadPicture(drop.urls)
    }

    // The open dialog and the command line, as in PictureSources.
    function openFileDialog() {
        sources.openFileDialog()
    }

    function openChosenFile(fileUrl) {
        sources.openChosenFile(fileUrl)
    }

    function openStartupFile(fileUrl) {
        sources.openStartupFile(fileUrl)
    }

    // Undo and redo put a whole earlier picture back: the canvas says so
    // with propertyChanged, and the page fits it as after any change.
    function undo() {
        if (!busy && drawBoard.canUndo)
            drawBoard.undo()
    }

    function redo() {
        if (!busy && drawBoard.canRedo)
            drawBoard.redo()
    }

    // The look on show again, with the tone and dithering set now. Unlike
    // the effect column's own runs, this one starts while the canvas is
    // busy too: a look waiting behind the running one is replaced by the
    // newer request, so following a dragged slider costs one run at most.
    function rerunLook() {
        var chosen = effectFrame.looks[effectFrame.buttonSelect]
        if (loadingFile || !chosen)
            return
        drawBoard.process(chosen.algorithm, effectFrame.slider.value)
    }

    // Rotation, mirrors and negative work on the picture as shown.
    function transform(algorithm, para) {
        if (busy)
            return
        if (algorithm === DrawBoard.Rotate && paintTools.cropping)
            paintTools.cropping = false
        drawBoard.process(algorithm, para)
    }

    // Save names the whole file it wrote, so the user can find it.
    function savePicture() {
        if (drawBoard.saveImage() === false)
            infoView(QT_TR_NOOP("图片保存失败……"))
        else
            infoRemind.show(qsTr("图片已保存到 %1").arg(PictureFiles.savedFile(drawBoard)))
    }

    // Export for other programs: the save dialog first, then exportTo.
    function exportPicture() {
        if (!busy)
            pictureButtons.chooseExportFile()
    }

    // Writes the picture on show as Done would engrave it, in the background:
    // one bit a pixel for the black-and-white and dithered looks (black
    // where the laser burns at the threshold set), 8-bit grey for the grey
    // look. pictureExported then says where it went, or why it did not.
    function exportTo(fileUrl) {
        if (busy || !PictureFiles.exportPicture(drawBoard, fileUrl, effectFrame.buttonSelect === 1,
                                                effectFrame.slider.value))
            infoView(QT_TR_NOOP("现在无法导出图片……"))
    }

    function clearPicture() {
        if (busy)
            return
        drawBoard.clear()
        infoView(QT_TR_NOOP("清除完成"))
    }

    function finish() {
        if (busy)
            return
        if (!shared.readStartCarveFlag())
            pdone()
        else
            shared.open()
    }

    // Turns the picture into the engraving job: the byte stream and its
    // preview are made in the background; saveDone then hands them over.
    function pdone() {
        shared.setCarveMode(effectFrame.buttonSelect === 1 ? 1 : 2)
        drawBoard.done()
        drawBoard.process(DrawBoard.SaveByte, effectFrame.slider.value)
    }

    // The crop is what the user sees of the picture under the rectangle,
    // never the frame's border around it.
    function cutPicture() {
        if (busy)
            return
        var crop = Helpers.cropOf(cropOverlay.rect, drawBoard.x, drawBoard.y, drawBoard.width, drawBoard.height)
        paintTools.cropping = false
        if (crop)
            drawBoard.cutImage(crop.x, crop.y, crop.width, crop.height)
    }

    // After each run that changed the picture: centre it, fit it to the page
    // and tell the size panel its new size.
    function pictureChanged() {
        boardFrame.x = (drawimgBoard.width - boardFrame.width) / 2
        boardFrame.y = (drawimgBoard.height - boardFrame.height) / 2
        panels.zoomStyle.slider.value = Helpers.fitZoom(boardFrame.width, boardFrame.height, drawimgBoard.width, drawimgBoard.height)
        boardFrame.scale = panels.zoomStyle.slider.value
        panels.adjustScaleStyle.restrainTerm(boardFrame.width, boardFrame.height)
        if (incompleteFile)
            infoView(QT_TR_NOOP("图片文件不完整，只加载了可读的部分……"))
        else if (!workKeeper.sayOpened())
            infoView(QT_TR_NOOP("处理完成……"))
        incompleteFile = false
    }

    anchors.fill: parent
    gradient: Theme.panelGradient

    Component.onCompleted: openStartupFile(PictureFiles.startupFile)

    // The tools' panels; under everything else of the page. Escape puts
    // away the crop too, once no panel is open.
    PanelGroup {
        id: panelGroup

        anchors.fill: parent
        active: drawimgBoard.visible
        escapeWanted: paintTools.cropping
        onEscaped: paintTools.cropping = false
    }

    // The tone, the dithering and the last look, kept for the next start.
    EditingSettings {
        id: editingSettings

        tonePanel: tonePanel
    }

    LookLink {
        shared: drawimgBoard.shared
        tonePanel: tonePanel
        effects: effectFrame
        keptSettings: editingSettings
        loadingFile: drawimgBoard.loadingFile
    }

    PictureSources {
        id: sources

        anchors.fill: parent
        busy: drawimgBoard.busy
        onPictureChosen: drawimgBoard.loadPicture(source)
        onClipboardPicture: drawimgBoard.pastePicture()
        onFilesDropped: drawimgBoard.dropFiles(drop)
    }

    WorkKeeper {
        id: workKeeper

        objectName: "workKeeper"
        page: drawimgBoard
        canvas: drawBoard
        tone: tonePanel
        looks: effectFrame
        onMessage: infoRemind.show(text)
    }

    EditingKeys {
        active: drawimgBoard.visible
        busy: drawimgBoard.busy
        onOpenRequested: drawimgBoard.openFileDialog()
        onPasteRequested: sources.pasteClipboard()
        onUndoRequested: drawimgBoard.undo()
        onRedoRequested: drawimgBoard.redo()
        onSaveRequested: drawimgBoard.savePicture()
        onExportRequested: drawimgBoard.exportPicture()
        onSaveWorkRequested: workKeeper.chooseSaveFile()
        onOpenWorkRequested: workKeeper.chooseOpenFile()
        // While cropping, Enter applies the crop rather than Done.
        onFinishRequested: paintTools.cropping ? drawimgBoard.cutPicture() : drawimgBoard.finish()
    }

    Connections {
        target: drawimgBoard.shared
        function onStopDone() {
            drawimgBoard.pdone()
        }
    }

    Rectangle {
        id: boardFrame

        objectName: "boardFrame"
        x: (drawimgBoard.width - width) / 2
        y: (drawimgBoard.height - height) / 2
        width: drawBoard.width + 4
        height: drawBoard.height + 4
        radius: 3
        border.width: 2
        border.color: Theme.frameBorder

        Behavior on x { NumberAnimation { duration: 200 } }
        Behavior on y { NumberAnimation { duration: 200 } }
        Behavior on scale { NumberAnimation { duration: 200 } }

        DrawBoard {
            id: drawBoard

            objectName: "drawBoard"
            x: 2
            y: 2
            width: 680
            height: 680
            penColor: "black"
            penSize: panels.penPanel.penSize
            penStyle: panels.penPanel.penStyle
            rubberSize: Math.round(panels.rubberStyle.slider.value)
            textFont: panels.textPanel.textFont
            textSize: panels.textPanel.textSize
            toneBrightness: tonePanel.brightness
            toneContrast: tonePanel.contrast
            toneGamma: tonePanel.gamma
            ditherMethod: tonePanel.method
            ditherSerpentine: tonePanel.serpentine
            halftoneCell: tonePanel.halftoneCell
            dotSize: tonePanel.dotSize
            toneResponse: drawimgBoard.shared.toneResponse
            // Each job Done prepares goes to the engraver controller.
            jobBuffer: (drawimgBoard.controller && drawimgBoard.controller.jobBuffer) || null
            // The canvas takes the mouse only for drawing and erasing.
            enabled: paintTools.drawing

            Component.onCompleted: drawBoard.init()
            // Every loaded picture goes on to the look chosen last (black and
            // white at 128 the first time), a work file's to its own; the
            // page stays busy, as that run starts before the load counts as
            // done.
            onLoadImageDone: {
                if (!workKeeper.restore())
                    effectFrame.start(editingSettings.lastLook, editingSettings.lastThreshold)
                drawimgBoard.loadingFile = false
            }
            onLoadIncomplete: drawimgBoard.incompleteFile = true
            // givenUp: the load took too long (a file that never ends
            // arriving) and the canvas stopped waiting for it.
            onLoadFailed: function (givenUp) {
                drawimgBoard.loadingFile = false
                drawimgBoard.infoView(givenUp ? QT_TR_NOOP("图片加载超时，已放弃……") : QT_TR_NOOP("无法读取图片……"))
            }
            onPropertyChanged: drawimgBoard.pictureChanged()
            // The lit look button and the threshold slider show the look of
            // the picture on show, after undo and redo too.
            onLookChanged: effectFrame.lookShown(drawBoard.lookThreshold)
            onSaveDone: {
                if (drawimgBoard.controller)
                    drawimgBoard.controller.finishedLoadProcess()
                drawimgBoard.shared.changeModel()
            }
        }

        ZoomDragArea {
            objectName: "dragArea"
            anchors.fill: parent
            enabled: paintTools.zooming
            frame: boardFrame
            page: drawimgBoard
            zoomSlider: panels.zoomStyle.slider
        }

        TextPlacer {
            id: textPlacer

            anchors.fill: parent
            active: paintTools.texting
            canvas: drawBoard
            fontFamily: panels.textPanel.textFont
            fontSize: panels.textPanel.textSize
        }

        CropOverlay {
            id: cropOverlay

            anchors.fill: parent
            active: paintTools.cropping
            frameScale: boardFrame.scale
            page: drawimgBoard
            fontFamily: drawimgBoard.fontFamily
            onCropRequested: drawimgBoard.cutPicture()
            onCancelRequested: paintTools.cropping = false
        }
    }

    PaintTools {
        id: paintTools

        x: 20
        y: 20
        toolPanels: panels
        onDrawTypeChosen: drawBoard.drawType = drawType
        onTextShown: drawimgBoard.infoView(QT_TR_NOOP("滚动鼠标滚轮可选择字体……"))
        onZoomShown: drawimgBoard.infoView(QT_TR_NOOP("滚动鼠标滚轮可缩放大小，双击图片可预览原图大小……"))
        // A text box left on the board belongs to the text tool only.
        onTextToolToggled: textPlacer.reset()
        // Cropping is a tool too: the panel open before closes.
        onCropRequested: {
            panelGroup.closeAll()
            cropOverlay.open()
        }
    }

    TransformColumn {
        anchors.top: paintTools.bottom
        anchors.topMargin: 60
        anchors.left: paintTools.left
        busy: drawimgBoard.busy
        onTransformRequested: drawimgBoard.transform(algorithm, para)
    }

    // The tools' panels, right of the tool column.
    ToolPanels {
        id: panels

        anchors.left: paintTools.right
        anchors.leftMargin: 8
        anchors.top: paintTools.top
        fontFamily: drawimgBoard.fontFamily
        frame: boardFrame
        canvas: drawBoard
        busy: drawimgBoard.busy
        onHint: infoRemind.show(text)
    }

    PictureButtons {
        id: pictureButtons

        anchors.right: effectFrame.left
        anchors.rightMargin: 10
        anchors.top: effectFrame.top
        canvas: drawBoard
        tone: tonePanel
        busy: drawimgBoard.busy
        loadingFile: drawimgBoard.loadingFile
        onOpenClicked: drawimgBoard.openFileDialog()
        onExportClicked: drawimgBoard.exportPicture()
        onSaveWorkClicked: workKeeper.chooseSaveFile()
        onOpenWorkClicked: workKeeper.chooseOpenFile()
        onExportChosen: drawimgBoard.exportTo(file)
        onMessage: infoRemind.show(text)
        onUndoClicked: drawimgBoard.undo()
        onRedoClicked: drawimgBoard.redo()
    }

    TonePanel {
        id: tonePanel

        objectName: "tonePanel"
        anchors.right: pictureButtons.left
        anchors.rightMargin: 8
        anchors.top: pictureButtons.top
        z: 1
        fontFamily: drawimgBoard.fontFamily
        onToneMoved: drawimgBoard.rerunLook()
        // Only the dithered look uses these.
        onDitherMoved: {
            if (effectFrame.buttonSelect === 3)
                drawimgBoard.rerunLook()
        }
    }

    EffectColumn {
        id: effectFrame

        objectName: "effectFrame"
        anchors.right: parent.right
        anchors.rightMargin: 14
        anchors.top: parent.top
        anchors.topMargin: 28
        fontFamily: drawimgBoard.fontFamily
        busy: drawimgBoard.busy
        shownAlgorithm: drawBoard.look
        onRun: {
            infoRemind.show(tip)
            drawBoard.process(algorithm, threshold)
            editingSettings.lastLook = effectFrame.lookOf(algorithm)
            editingSettings.lastThreshold = threshold
        }
    }

    FinishColumn {
        anchors.right: parent.right
        anchors.rightMargin: 18
        anchors.top: effectFrame.bottom
        anchors.topMargin: 30
        fontFamily: drawimgBoard.fontFamily
        busy: drawimgBoard.busy
        onHint: infoRemind.show(text)
        onSaveClicked: drawimgBoard.savePicture()
        onClearClicked: drawimgBoard.clearPicture()
        onDoneClicked: drawimgBoard.finish()
    }

    Toast {
        id: infoRemind

        objectName: "infoRemind"
        z: 1
        fontFamily: drawimgBoard.fontFamily
    }

    BusyIndicator {
        objectName: "busy"
        anchors.centerIn: parent
        running: drawimgBoard.busy
    }
}
