import QtQuick 2.9
import QtQuick.Window 2.2
import QtQuick.Dialogs 1.3
import Qt.labs.settings 1.0
import Zan.DrawBoard 1.0
import Zan.Desktop 1.0
import QtQuick.Controls 2.0
import "."
import "helpers.js" as Helpers

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

    // The one way a picture comes in, whether dropped, chosen in the open
    // dialog, pasted or named on the command line: the canvas applies its
    // size cap and refuses what it cannot read, keeping the current picture.
    // Ignored while busy: the run's result would replace it.
    function loadPicture(source) {
        if (busy)
            return
        loadingFile = true
        drawBoard.load(source)
    }

    // Hands a drop to the canvas, which loads the first of several files.
    function dropFiles(drop) {
        if (!drop.hasUrls || drop.urls.length === 0)
            return
        loadPicture(drop.urls)
    }

    function openFileDialog() {
        if (busy)
            return
        if (editingSettings.lastFolder !== "")
            openDialog.folder = editingSettings.lastFolder
        openDialog.open()
    }

    // A file chosen in the open dialog; its folder is where the dialog
    // opens next time, even when the file turns out unreadable.
    function openChosenFile(fileUrl) {
        var folder = PictureFiles.folderOf(fileUrl).toString()
        if (folder !== "")
            editingSettings.lastFolder = folder
        loadPicture(fileUrl)
    }

    // A copied file or picture; nothing happens when the clipboard holds
    // neither.
    function pasteClipboard() {
        if (busy)
            return
        var url = PictureFiles.clipboardPicture()
        if (url.toString() !== "")
            loadPicture(url)
    }

    // The picture named on the command line, if any.
    function openStartupFile(fileUrl) {
        if (fileUrl.toString() !== "")
            loadPicture(fileUrl)
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

    // Keys must not act on the page while the user types: into the text
    // tool's box, a spin box of the size panel or any other editor.
    function typing() {
        var focused = Window.activeFocusItem
        if (!focused)
            return false
        return focused.cursorPosition !== undefined
    }

    // Rotation, mirrors and negative work on the picture as shown.
    function transform(algorithm, para) {
        if (busy)
            return
        if (algorithm === DrawBoard.Rotate && cut.checked)
            cut.checked = false
        drawBoard.process(algorithm, para)
    }

    function savePicture() {
        if (drawBoard.saveImage() === false)
            infoView(QT_TR_NOOP("图片保存失败……"))
        else
            infoView(qsTr("图片已保存到 ") + drawBoard.imageSaveAddr)
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

    // Turns the picture into the engraving job: the preview now, the byte
    // stream in the background; saveDone then hands it over.
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
        cut.checked = false
        if (crop)
            drawBoard.cutImage(crop.x, crop.y, crop.width, crop.height)
    }

    // The box lies in the frame too: the text goes where the box shows it.
    function placeText() {
        if (!drawText.dropFlag)
            return
        drawBoard.drawText(drawText.dragX - drawBoard.x, drawText.dragY - drawBoard.y, drawText.textField.text)
        drawText.dropFlag = false
        drawText.visible = false
    }

    // After each run that changed the picture: centre it, fit it to the page
    // and tell the size panel its new size.
    function pictureChanged() {
        boardFrame.x = (drawimgBoard.width - boardFrame.width) / 2
        boardFrame.y = (drawimgBoard.height - boardFrame.height) / 2
        zoomStyle.slider.value = Helpers.fitZoom(boardFrame.width, boardFrame.height, drawimgBoard.width, drawimgBoard.height)
        boardFrame.scale = zoomStyle.slider.value
        adjustScaleStyle.restrainTerm(boardFrame.width, boardFrame.height)
        if (incompleteFile)
            infoView(QT_TR_NOOP("图片文件不完整，只加载了可读的部分……"))
        else
            infoView(QT_TR_NOOP("处理完成……"))
        incompleteFile = false
    }

    // A tool with a panel: while it is checked, the pointer coming onto it
    // or leaving it shows the panel and tells the page through shown().
    component PanelTool: ToolIconButton {
        property Item panel

        signal shown()

        onHoveredChanged: {
            if (!checked)
                return
            if (panel)
                panel.onView()
            shown()
        }
    }

    // A tool panel of one slider, the eraser's size or the zoom.
    component SliderPanel: ValuePanel {
        spacing: 10
        labelWidth: 40
        slider.width: width - 50
        slider.height: 28
    }

    anchors.fill: parent
    gradient: Theme.panelGradient

    Component.onCompleted: openStartupFile(PictureFiles.startupFile)

    // Where the open dialog was last used, and the tone and dithering,
    // applied to the canvas through its bindings from the start.
    Settings {
        id: editingSettings

        property string lastFolder: ""
        property alias toneBrightness: tonePanel.brightness
        property alias toneContrast: tonePanel.contrast
        property alias toneGamma: tonePanel.gamma
        property alias ditherMethod: tonePanel.method
        property alias ditherSerpentine: tonePanel.serpentine
        property alias halftoneCell: tonePanel.halftoneCell
        property alias dotSize: tonePanel.dotSize
    }

    FileDialog {
        id: openDialog

        objectName: "openDialog"
        title: qsTr("打开图片")
        selectMultiple: false
        nameFilters: [qsTr("图片") + " (" + PictureFiles.patterns + ")", qsTr("所有文件") + " (*)"]
        onAccepted: drawimgBoard.openChosenFile(fileUrl)
    }

    // The page's keys, only while it is on show and never while the user
    // types (see typing()).
    Shortcut {
        enabled: drawimgBoard.visible
        sequence: StandardKey.Open
        onActivated: {
            if (!drawimgBoard.typing())
                drawimgBoard.openFileDialog()
        }
    }

    Shortcut {
        enabled: drawimgBoard.visible
        sequences: [StandardKey.Paste]
        onActivated: {
            if (!drawimgBoard.typing())
                drawimgBoard.pasteClipboard()
        }
    }

    Shortcut {
        enabled: drawimgBoard.visible
        sequence: "Ctrl+Z"
        onActivated: {
            if (!drawimgBoard.typing())
                drawimgBoard.undo()
        }
    }

    Shortcut {
        enabled: drawimgBoard.visible
        sequences: ["Ctrl+Shift+Z", "Ctrl+Y"]
        onActivated: {
            if (!drawimgBoard.typing())
                drawimgBoard.redo()
        }
    }

    // As the Save button, which is not offered while busy.
    Shortcut {
        enabled: drawimgBoard.visible
        sequence: "Ctrl+S"
        onActivated: {
            if (!drawimgBoard.typing() && !drawimgBoard.busy)
                drawimgBoard.savePicture()
        }
    }

    // As the Done button, the confirmation during a job included.
    Shortcut {
        enabled: drawimgBoard.visible
        sequences: ["Return", "Enter"]
        onActivated: {
            if (!drawimgBoard.typing())
                drawimgBoard.finish()
        }
    }

    DropArea {
        id: dropArea

        objectName: "dropArea"
        anchors.fill: parent
        enabled: !drawimgBoard.busy
        onDropped: {
            if (drop.hasUrls)
                drop.acceptProposedAction()
            drawimgBoard.dropFiles(drop)
        }
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
            penSize: penPanel.penSize
            penStyle: penPanel.penStyle
            rubberSize: Math.round(rubberStyle.slider.value)
            textFont: textPanel.textFont
            textSize: textPanel.textSize
            toneBrightness: tonePanel.brightness
            toneContrast: tonePanel.contrast
            toneGamma: tonePanel.gamma
            ditherMethod: tonePanel.method
            ditherSerpentine: tonePanel.serpentine
            halftoneCell: tonePanel.halftoneCell
            dotSize: tonePanel.dotSize
            // Each job Done prepares goes to the engraver controller.
            jobBuffer: (drawimgBoard.controller && drawimgBoard.controller.jobBuffer) || null
            // The canvas takes the mouse only for drawing and erasing.
            enabled: penButton.checked || rubberButton.checked

            Component.onCompleted: drawBoard.init()
            // Every loaded picture goes on to black and white; the page stays
            // busy, as that run starts before the load counts as done.
            onLoadImageDone: {
                effectFrame.start(2)
                drawimgBoard.loadingFile = false
            }
            onLoadIncomplete: drawimgBoard.incompleteFile = true
            onLoadFailed: {
                drawimgBoard.loadingFile = false
                drawimgBoard.infoView(QT_TR_NOOP("无法读取图片……"))
            }
            onPropertyChanged: drawimgBoard.pictureChanged()
            onSaveDone: {
                if (drawimgBoard.controller)
                    drawimgBoard.controller.finishedLoadProcess()
                drawimgBoard.shared.changeModel()
            }
        }

        MouseArea {
            id: dragArea

            objectName: "dragArea"
            anchors.fill: parent
            enabled: zoomButton.checked
            hoverEnabled: true
            drag.target: boardFrame
            drag.minimumX: -boardFrame.width * 0.5
            drag.maximumX: drawimgBoard.width - boardFrame.width * 0.5
            drag.minimumY: -boardFrame.height * 0.5
            drag.maximumY: drawimgBoard.height - boardFrame.height * 0.5
            onWheel: zoomStyle.slider.value += wheel.angleDelta.y / 120 / 20
            onDoubleClicked: {
                zoomStyle.slider.value = 1
                boardFrame.scale = 1
            }
        }

        MouseArea {
            id: textDrag

            objectName: "textDrag"
            anchors.fill: parent
            enabled: textButton.checked
            onClicked: {
                if (drawText.dropFlag)
                    return
                drawText.dropFlag = true
                drawText.x = mouse.x
                drawText.y = mouse.y
                drawText.visible = true
            }
            onDoubleClicked: drawimgBoard.placeText()
        }

        PutText {
            id: drawText

            property bool dropFlag: false

            objectName: "drawText"
            visible: false
            fontFamily: textPanel.textFont
            fontSize: textPanel.textSize
        }

        CropOverlay {
            id: cropOverlay

            anchors.fill: parent
            active: cut.checked
            frameScale: boardFrame.scale
            onCropRequested: drawimgBoard.cutPicture()
        }
    }

    Column {
        id: painterButton

        x: 20
        y: 20
        spacing: 6

        PanelTool {
            id: penButton

            objectName: "penButton"
            iconSource: "qrc:/image/pencil32.png"
            panel: penPanel
            onShown: drawBoard.drawType = DrawBoard.PenType
        }

        PanelTool {
            id: rubberButton

            objectName: "rubberButton"
            iconSource: "qrc:/image/eraser.png"
            panel: rubberStyle
            onShown: drawBoard.drawType = DrawBoard.RubberType
        }

        PanelTool {
            id: textButton

            objectName: "textButton"
            iconSource: "qrc:/image/text.png"
            panel: textPanel
            onShown: drawimgBoard.infoView(QT_TR_NOOP("滚动鼠标滚轮可选择字体……"))
            // A text box left on the board belongs to the text tool only.
            onCheckedChanged: {
                drawText.dropFlag = false
                drawText.visible = false
                drawText.textField.text = qsTr("输入")
            }
        }

        PanelTool {
            id: zoomButton

            objectName: "zoomButton"
            iconSource: "qrc:/image/zoom.png"
            checked: true
            panel: zoomStyle
            onShown: drawimgBoard.infoView(QT_TR_NOOP("滚动鼠标滚轮可缩放大小，双击图片可预览原图大小……"))
        }

        ToolIconButton {
            id: cut

            objectName: "cut"
            iconSource: "qrc:/image/scissors.png"
            onClicked: cropOverlay.open()
        }

        PanelTool {
            objectName: "adjustScale"
            iconSource: "qrc:/image/scale.png"
            panel: adjustScaleStyle
        }
    }

    // Turns, mirrors and the negative: one click, one run.
    Column {
        anchors.top: painterButton.bottom
        anchors.topMargin: 60
        anchors.left: painterButton.left
        spacing: 6

        Repeater {
            model: [
                { "name": "rotate", "icon": "spin", "algorithm": DrawBoard.Rotate, "para": 90 },
                { "name": "mirrorH", "icon": "mirrorH", "algorithm": DrawBoard.HMirror, "para": 0 },
                { "name": "mirrorV", "icon": "mirrorV", "algorithm": DrawBoard.VMirror, "para": 0 },
                { "name": "negative", "icon": "negative", "algorithm": DrawBoard.Negative, "para": 0 }
            ]

            ToolIconButton {
                objectName: modelData.name
                checkable: false
                autoExclusive: false
                enabled: !drawimgBoard.busy
                iconSource: "qrc:/image/" + modelData.icon + ".png"
                onClicked: drawimgBoard.transform(modelData.algorithm, modelData.para)
            }
        }
    }

    // The tools' panels, right of the tool column.
    Item {
        anchors.left: painterButton.right
        anchors.leftMargin: 8
        anchors.top: painterButton.top

        PenPanel {
            id: penPanel

            objectName: "penStyle"
            y: 5
            fontFamily: drawimgBoard.fontFamily
        }

        SliderPanel {
            id: rubberStyle

            objectName: "rubberStyle"
            y: 54
            fontFamily: drawimgBoard.fontFamily
            text: qsTr("橡皮") + slider.value.toFixed(0)
            slider.objectName: "rubberSlider"
            slider.from: 1
            slider.to: 200
            slider.stepSize: 1
            slider.value: 10
        }

        TextPanel {
            id: textPanel

            objectName: "textStyle"
            y: 102
            fontFamily: drawimgBoard.fontFamily
        }

        SliderPanel {
            id: zoomStyle

            objectName: "zoomStyle"
            y: 152
            fontFamily: drawimgBoard.fontFamily
            text: qsTr("缩放") + slider.value.toFixed(1)
            slider.objectName: "zoomSlider"
            slider.from: 0.1
            slider.to: 2
            slider.stepSize: 0.05
            slider.value: 1
            slider.onValueChanged: {
                boardFrame.scale = zoomStyle.slider.value
                drawimgBoard.infoView(qsTr("缩放比例 ") + zoomStyle.slider.value.toFixed(1))
            }
        }

        SizePanel {
            id: adjustScaleStyle

            objectName: "adjustScaleStyle"
            y: 252
            fontFamily: drawimgBoard.fontFamily
            frameWidth: boardFrame.width
            frameHeight: boardFrame.height
            busy: drawimgBoard.busy
            onResizeRequested: {
                if (!drawimgBoard.busy)
                    drawBoard.adjustImageScale(widthMm, heightMm)
            }
        }
    }

    // Opening a picture, undo and redo, and the tone, right beside the looks.
    Column {
        id: pictureButtons

        anchors.right: effectFrame.left
        anchors.rightMargin: 10
        anchors.top: effectFrame.top
        spacing: 6

        DrawnToolButton {
            objectName: "openButton"
            glyph: "open"
            enabled: !drawimgBoard.busy
            onClicked: drawimgBoard.openFileDialog()
        }

        DrawnToolButton {
            objectName: "undoButton"
            glyph: "undo"
            enabled: drawBoard.canUndo && !drawimgBoard.loadingFile
            onClicked: drawimgBoard.undo()
        }

        DrawnToolButton {
            objectName: "redoButton"
            glyph: "redo"
            enabled: drawBoard.canRedo && !drawimgBoard.loadingFile
            onClicked: drawimgBoard.redo()
        }

        // Shows its panel while it is checked, as the tools do, but keeps
        // the tool chosen on the left.
        DrawnToolButton {
            objectName: "toneButton"
            glyph: "tone"
            checkable: true
            onClicked: {
                if (checked)
                    tonePanel.onView()
            }
            onHoveredChanged: {
                if (checked)
                    tonePanel.onView()
            }
        }
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
        onRun: {
            infoRemind.show(tip)
            drawBoard.process(algorithm, threshold)
        }
    }

    // Save, clear and Done, each with its tip while the pointer is on it.
    Column {
        anchors.right: parent.right
        anchors.rightMargin: 18
        anchors.top: effectFrame.bottom
        anchors.topMargin: 30
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
                available: !drawimgBoard.busy
                fontFamily: drawimgBoard.fontFamily
                borderHoveredColor: "white"
                buttonIcon: "qrc:/image/" + modelData.icon + ".png"
                circleTextAlias.text: modelData.text
                circleTextAlias.font.bold: true
                buttonClicked.onClicked: drawimgBoard[modelData.action]()
                buttonClicked.onEntered: drawimgBoard.infoView(modelData.tip)
            }
        }
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
