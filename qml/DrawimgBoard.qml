import QtQuick 2.7
import QtQuick.Window 2.2
import Zan.DrawBoard 1.0
import QtQuick.Controls 2.0
import QtQuick.Layouts 1.1
import "."

// The editing page: one canvas in a movable, zoomable frame, the tools and
// their panels around it, the three effects and the way to the engraver.
// Every image algorithm runs on the canvas's thread pool; the busy indicator
// is on from the start of a run until the canvas reports its end, and while
// it is on the page starts no other run.
Rectangle {
    id: drawimgBoard

    // What the page takes from the main window: the state it shares with the
    // control page, the engraver controller and the window's font.
    property QtObject shared: SharedState {}
    property QtObject controller: null
    property string fontFamily: Theme.fontFamily

    // The picture being loaded came from a file that ends early; said once
    // its first look is on screen, so that no progress tip hides it.
    property bool incompleteFile: false

    objectName: "drawimgBoard"

    // Shows the tip str (translated here, so callers pass QT_TR_NOOP texts)
    // in the toast at the bottom-left corner for 2.5 s.
    function infoView(str) {
        infoRemind.infoView(str)
    }

    // Hands a drop to the canvas, which loads the first of several files.
    // A drop during a run is ignored: the run's result would replace it.
    function dropFiles(drop) {
        if (!drop.hasUrls || drop.urls.length === 0 || busy.running)
            return
        busy.running = true
        drawBoard.load(drop.urls)
    }

    // Black and white at the default threshold; also the look every freshly
    // loaded picture gets.
    function selectBinarize() {
        if (busy.running)
            return
        infoView(QT_TR_NOOP("正在进行二值化处理……"))
        effectFrame.buttonSelect = 2
        drawBoard.process(DrawBoard.Binarize, 128)
        effectSlider.value = 128
        busy.running = true
    }

    function selectGrey() {
        // A run under way would show its result after this one's; the label
        // and the picture must never disagree.
        if (busy.running)
            return
        infoView(QT_TR_NOOP("正在加载原图……"))
        effectFrame.buttonSelect = 1
        effectSlider.value = 255
        drawBoard.process(DrawBoard.GreyFilter, 255)
        busy.running = true
    }

    function selectDithering() {
        // The choice is kept even while busy: releasing the slider later
        // starts the dithering with the slider's value.
        effectFrame.buttonSelect = 3
        if (busy.running)
            return
        infoView(QT_TR_NOOP("正在进行离散化处理……"))
        busy.running = true
        drawBoard.process(DrawBoard.Floyd, 120)
        effectSlider.value = 120
    }

    function applyEffectThreshold() {
        if (busy.running)
            return
        switch (effectFrame.buttonSelect) {
        case 1:
            infoView(QT_TR_NOOP("正在进行过滤处理……"))
            busy.running = true
            drawBoard.process(DrawBoard.GreyFilter, effectSlider.value)
            break
        case 2:
            infoView(QT_TR_NOOP("正在进行二值化处理……"))
            busy.running = true
            drawBoard.process(DrawBoard.Binarize, effectSlider.value)
            break
        case 3:
            infoView(QT_TR_NOOP("正在进行离散化处理……"))
            busy.running = true
            drawBoard.process(DrawBoard.Floyd, effectSlider.value)
            break
        default:
            console.log("default")
        }
    }

    // Rotation, mirrors and negative work on the picture as shown.
    function transform(algorithm, para) {
        if (busy.running)
            return
        if (algorithm === DrawBoard.Rotate && cut.checked)
            cut.checked = false
        drawBoard.process(algorithm, para)
        busy.running = true
    }

    function savePicture() {
        if (drawBoard.saveImage() === false)
            infoView(QT_TR_NOOP("图片保存失败……"))
        else
            infoView(qsTr("图片已保存到 ") + drawBoard.imageSaveAddr)
    }

    function clearPicture() {
        if (busy.running)
            return
        drawBoard.clear()
        infoView(QT_TR_NOOP("清除完成"))
    }

    function finish() {
        if (busy.running)
            return
        if (!drawimgBoard.shared.readStartCarveFlag())
            pdone()
        else
            drawimgBoard.shared.open()
    }

    // Turns the picture into the engraving job: the preview now, the byte
    // stream in the background; saveDone then hands it over.
    function pdone() {
        drawimgBoard.shared.setCarveMode(effectFrame.buttonSelect === 1 ? 1 : 2)
        drawBoard.done()
        drawBoard.process(DrawBoard.SaveByte, effectSlider.value)
        busy.running = true
    }

    // The crop rectangle at 0.8 of the frame, centred, its handle in the
    // bottom-right corner.
    function cutInit() {
        cutRectOutside.width = boardFrame.width * 0.8
        cutRectOutside.height = boardFrame.height * 0.8
        cutRectOutside.x = (boardFrame.width - cutRectOutside.width) / 2
        cutRectOutside.y = (boardFrame.height - cutRectOutside.height) / 2
        placeCutHandle()
    }

    function placeCutHandle() {
        cutDragSize.x = cutRectOutside.x + cutRectOutside.width - cutDragSize.width
        cutDragSize.y = cutRectOutside.y + cutRectOutside.height - cutDragSize.height
    }

    // The rectangle lies in the frame, whose border surrounds the canvas;
    // the crop is what the user sees of the picture under the rectangle,
    // never the border around it.
    function cutPicture() {
        if (busy.running)
            return
        var left = Math.max(0, Math.round(cutRectOutside.x - drawBoard.x))
        var top = Math.max(0, Math.round(cutRectOutside.y - drawBoard.y))
        var right = Math.min(drawBoard.width, Math.round(cutRectOutside.x + cutRectOutside.width - drawBoard.x))
        var bottom = Math.min(drawBoard.height, Math.round(cutRectOutside.y + cutRectOutside.height - drawBoard.y))
        cut.checked = false
        if (right <= left || bottom <= top)
            return
        drawBoard.cutImage(left, top, right - left, bottom - top)
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
        console.log("size", boardFrame.width, boardFrame.height)
        if (boardFrame.width > drawimgBoard.width || boardFrame.height > drawimgBoard.height)
            zoomSlider.value = Math.min(drawimgBoard.height / boardFrame.height, drawimgBoard.width / boardFrame.width)
        else
            zoomSlider.value = 1
        boardFrame.scale = zoomSlider.value
        adjustScaleStyle.restrainTerm(boardFrame.width, boardFrame.height)
        busy.running = false
        if (incompleteFile)
            infoView(QT_TR_NOOP("图片文件不完整，只加载了可读的部分……"))
        else
            infoView(QT_TR_NOOP("处理完成……"))
        incompleteFile = false
    }

    // A tool button: checkable, one of its column, highlighted while checked.
    component ToolIconButton: Button {
        property url iconSource

        width: 32
        height: 44
        padding: 0
        topInset: 0
        bottomInset: 0
        checkable: true
        autoExclusive: true
        highlighted: checked
        hoverEnabled: true

        Image {
            anchors.centerIn: parent
            source: parent.iconSource
        }
    }

    component PanelText: Text {
        font.family: Theme.fontFamily
        font.pixelSize: 12
    }

    anchors.fill: parent
    gradient: Gradient {
        GradientStop { position: 0.0; color: "#F4F4F4" }
        GradientStop { position: 1.0; color: "#E0E0E0" }
    }

    DropArea {
        id: dropArea

        objectName: "dropArea"
        anchors.fill: parent
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
        border.color: "#50000000"

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
            penSize: 10
            penColor: "black"
            rubberSize: 10
            textFont: textFontList.listFontFamily
            textSize: textSizeSlider.value2
            // Each job Done prepares goes to the engraver controller.
            jobBuffer: (drawimgBoard.controller && drawimgBoard.controller.jobBuffer) || null
            // The canvas takes the mouse only for drawing and erasing.
            enabled: penButton.checked || rubberButton.checked

            Component.onCompleted: drawBoard.init()
            onLoadImageDone: {
                busy.running = false
                drawimgBoard.selectBinarize()
            }
            onLoadIncomplete: drawimgBoard.incompleteFile = true
            onLoadFailed: {
                busy.running = false
                drawimgBoard.infoView(QT_TR_NOOP("无法读取图片……"))
            }
            onPropertyChanged: drawimgBoard.pictureChanged()
            onSaveDone: {
                busy.running = false
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
            onWheel: zoomSlider.value += wheel.angleDelta.y / 120 / 20
            onDoubleClicked: {
                zoomSlider.value = 1
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
            fontFamily: textFontList.listFontFamily
            fontSize: textSizeSlider.value2
        }

        Rectangle {
            id: cutRectOutside

            objectName: "cutRectOutside"
            visible: cutArea.enabled
            color: "transparent"
            border.width: 2 / boardFrame.scale
            border.color: Qt.rgba(0, 0, 0, 0.4)

            MouseArea {
                id: cutArea

                objectName: "cutArea"
                anchors.fill: parent
                enabled: cut.checked
                hoverEnabled: true
                drag.target: cutRectOutside
                drag.minimumX: 0
                drag.maximumX: boardFrame.width - cutRectOutside.width
                drag.minimumY: 0
                drag.maximumY: boardFrame.height - cutRectOutside.height
                onPositionChanged: drawimgBoard.placeCutHandle()
                onDoubleClicked: drawimgBoard.cutPicture()
            }
        }

        Rectangle {
            id: cutDragSize

            objectName: "cutDragSize"
            visible: cutRectOutside.visible
            width: 15 / boardFrame.scale
            height: width
            color: "green"

            onXChanged: {
                if (cutSizeArea.drag.active)
                    cutRectOutside.width = x - cutRectOutside.x + width
            }
            onYChanged: {
                if (cutSizeArea.drag.active)
                    cutRectOutside.height = y - cutRectOutside.y + height
            }

            MouseArea {
                id: cutSizeArea

                anchors.fill: parent
                cursorShape: Qt.SizeAllCursor
                drag.target: cutDragSize
                drag.minimumX: cutRectOutside.x
                drag.maximumX: boardFrame.width - cutDragSize.width
                drag.minimumY: cutRectOutside.y
                drag.maximumY: boardFrame.height - cutDragSize.height
            }
        }
    }

    Column {
        id: painterButton

        x: 20
        y: 20
        spacing: 6

        ToolIconButton {
            id: penButton

            objectName: "penButton"
            iconSource: "qrc:/image/pencil32.png"
            onHoveredChanged: {
                if (!checked)
                    return
                penStyle.onView()
                drawBoard.drawType = DrawBoard.PenType
            }
        }

        ToolIconButton {
            id: rubberButton

            objectName: "rubberButton"
            iconSource: "qrc:/image/eraser.png"
            onHoveredChanged: {
                if (!checked)
                    return
                rubberStyle.onView()
                drawBoard.drawType = DrawBoard.RubberType
            }
        }

        ToolIconButton {
            id: textButton

            objectName: "textButton"
            iconSource: "qrc:/image/text.png"
            onHoveredChanged: {
                if (!checked)
                    return
                textStyle.onView()
                drawimgBoard.infoView(QT_TR_NOOP("滚动鼠标滚轮可选择字体……"))
            }
            // A text box left on the board belongs to the text tool only.
            onCheckedChanged: {
                drawText.dropFlag = false
                drawText.visible = false
                drawText.textField.text = qsTr("输入")
            }
        }

        ToolIconButton {
            id: zoomButton

            objectName: "zoomButton"
            iconSource: "qrc:/image/zoom.png"
            checked: true
            onHoveredChanged: {
                if (!checked)
                    return
                zoomStyle.onView()
                drawimgBoard.infoView(QT_TR_NOOP("滚动鼠标滚轮可缩放大小，双击图片可预览原图大小……"))
            }
        }

        ToolIconButton {
            id: cut

            objectName: "cut"
            iconSource: "qrc:/image/scissors.png"
            onClicked: drawimgBoard.cutInit()
        }

        ToolIconButton {
            id: adjustScale

            objectName: "adjustScale"
            iconSource: "qrc:/image/scale.png"
            onHoveredChanged: {
                if (checked)
                    adjustScaleStyle.onView()
            }
        }
    }

    Column {
        anchors.top: painterButton.bottom
        anchors.topMargin: 60
        anchors.left: painterButton.left
        spacing: 6

        ToolIconButton {
            id: rotate

            objectName: "rotate"
            checkable: false
            autoExclusive: false
            iconSource: "qrc:/image/spin.png"
            onClicked: drawimgBoard.transform(DrawBoard.Rotate, 90)
        }

        ToolIconButton {
            id: mirrorH

            objectName: "mirrorH"
            checkable: false
            autoExclusive: false
            iconSource: "qrc:/image/mirrorH.png"
            onClicked: drawimgBoard.transform(DrawBoard.HMirror, 0)
        }

        ToolIconButton {
            id: mirrorV

            objectName: "mirrorV"
            checkable: false
            autoExclusive: false
            iconSource: "qrc:/image/mirrorV.png"
            onClicked: drawimgBoard.transform(DrawBoard.VMirror, 0)
        }

        ToolIconButton {
            id: negative

            objectName: "negative"
            checkable: false
            autoExclusive: false
            iconSource: "qrc:/image/negative.png"
            onClicked: drawimgBoard.transform(DrawBoard.Negative, 0)
        }
    }

    BoardButtom {
        id: penStyle

        objectName: "penStyle"
        anchors.left: painterButton.right
        anchors.leftMargin: 8
        anchors.top: painterButton.top
        anchors.topMargin: 5
        height: 100

        Column {
            anchors.fill: parent
            anchors.margins: 8
            spacing: 12

            Row {
                id: penTypeRow

                spacing: 8

                PanelText {
                    width: 20
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("类型")
                }

                ToolIconButton {
                    id: pen3

                    width: 36
                    height: 48
                    checked: true
                    iconSource: "qrc:/image/pen3.png"
                    onClicked: drawBoard.penStyle = DrawBoard.Solid
                }

                ToolIconButton {
                    id: pen2

                    width: 36
                    height: 48
                    iconSource: "qrc:/image/pen2.png"
                    onClicked: drawBoard.penStyle = DrawBoard.Fur
                }

                ToolIconButton {
                    id: pen1

                    width: 36
                    height: 48
                    iconSource: "qrc:/image/pen1.png"
                    onClicked: drawBoard.penStyle = DrawBoard.RandomCircle
                }

                ToolIconButton {
                    id: pen4

                    width: 36
                    height: 48
                    iconSource: "qrc:/image/pen4.png"
                    onClicked: drawBoard.penStyle = DrawBoard.Net
                }
            }

            Row {
                id: penSizeRow

                spacing: 8

                PanelText {
                    width: 40
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("大小") + penSizeSlider.value.toFixed(0)
                }

                Slider {
                    id: penSizeSlider

                    objectName: "penSizeSlider"
                    width: 145
                    height: 20
                    from: 1
                    to: 200
                    stepSize: 1
                    value: 10
                    onValueChanged: drawBoard.penSize = Math.round(value)
                }
            }
        }
    }

    BoardButtom {
        id: rubberStyle

        objectName: "rubberStyle"
        anchors.left: painterButton.right
        anchors.leftMargin: 8
        anchors.top: painterButton.top
        anchors.topMargin: 54

        Row {
            anchors.fill: parent
            anchors.margins: 6
            spacing: 10

            PanelText {
                id: rubberlabel

                width: 40
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("橡皮") + rubberSlider.value.toFixed(0)
            }

            Slider {
                id: rubberSlider

                objectName: "rubberSlider"
                width: rubberStyle.width - 50
                height: 28
                from: 1
                to: 200
                stepSize: 1
                value: 10
                onValueChanged: drawBoard.rubberSize = Math.round(value)
            }
        }
    }

    BoardButtom {
        id: textStyle

        objectName: "textStyle"
        anchors.left: painterButton.right
        anchors.leftMargin: 8
        anchors.top: painterButton.top
        anchors.topMargin: 102
        height: 240

        ColumnLayout {
            anchors.fill: parent
            anchors.margins: 8
            spacing: 8

            Row {
                id: textSizeRow

                spacing: 8

                PanelText {
                    width: 40
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("大小") + textSizeSlider.value2
                }

                Slider {
                    id: textSizeSlider

                    property int distance: to - from
                    property int value2: 12

                    objectName: "textSizeSlider"
                    width: 145
                    height: 20
                    from: 8
                    to: 200
                    stepSize: 1
                    value: 12
                    onPositionChanged: value2 = Math.round(visualPosition * distance) + 8
                }
            }

            FontList {
                id: textFontList

                objectName: "textFontList"
                Layout.preferredWidth: 180
                Layout.preferredHeight: 180
                Layout.alignment: Qt.AlignHCenter
            }
        }
    }

    BoardButtom {
        id: zoomStyle

        objectName: "zoomStyle"
        anchors.left: painterButton.right
        anchors.leftMargin: 8
        anchors.top: painterButton.top
        anchors.topMargin: 152

        Row {
            anchors.fill: parent
            anchors.margins: 6
            spacing: 10

            PanelText {
                id: zoomlabel

                width: 40
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("缩放") + zoomSlider.value.toFixed(1)
            }

            Slider {
                id: zoomSlider

                objectName: "zoomSlider"
                width: zoomStyle.width - 50
                height: 28
                from: 0.1
                to: 2
                stepSize: 0.05
                value: 1
                onValueChanged: {
                    boardFrame.scale = value
                    drawimgBoard.infoView(qsTr("缩放比例 ") + value.toFixed(1))
                }
            }
        }
    }

    BoardButtom {
        id: adjustScaleStyle

        // Width to height of the picture; the two spin boxes keep it.
        property real proportionlocker: boardFrame.width / boardFrame.height
        // Set while one spin box follows the other, so that the follower's
        // rounding never rewrites the value the user chose.
        property bool following: false

        // w and h: the frame's size in pixels. The longer side may reach
        // 80 mm and the shorter side no less than 5 mm.
        function restrainTerm(w, h) {
            proportionlocker = w / h
            following = true
            if (w > h) {
                widthSpinBox.to = 80
                heightSpinBox.from = 5
                widthSpinBox.from = Math.ceil(5 * proportionlocker)
                heightSpinBox.to = Math.floor(80 / proportionlocker)
            } else {
                heightSpinBox.to = 80
                widthSpinBox.from = 5
                heightSpinBox.from = Math.ceil(5 / proportionlocker)
                widthSpinBox.to = Math.floor(80 * proportionlocker)
            }
            widthSpinBox.value = Math.round(w * 0.075)
            heightSpinBox.value = Math.round(h * 0.075)
            following = false
        }

        function follow(spinBox, value) {
            if (following)
                return
            following = true
            spinBox.value = Math.round(value)
            following = false
        }

        objectName: "adjustScaleStyle"
        anchors.left: painterButton.right
        anchors.leftMargin: 8
        anchors.top: painterButton.top
        anchors.topMargin: 252
        height: 140

        ColumnLayout {
            anchors.fill: parent
            anchors.margins: 8
            spacing: 8

            Row {
                spacing: 50

                PanelText {
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("更改图像大小")
                }

                Button {
                    id: adjustScaleSave

                    objectName: "adjustScaleSave"
                    height: 30
                    text: qsTr("保存")
                    font.family: drawimgBoard.fontFamily
                    font.bold: true
                    font.pixelSize: 12
                    onClicked: {
                        if (!busy.running)
                            drawBoard.adjustImageScale(widthSpinBox.value, heightSpinBox.value)
                    }
                }
            }

            Row {
                spacing: 10

                PanelText {
                    width: 40
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("宽度(mm)")
                }

                SpinBox {
                    id: widthSpinBox

                    objectName: "widthSpinBox"
                    width: 160
                    height: 40
                    editable: true
                    from: 5
                    to: 80
                    value: boardFrame.width * 1.5 * 0.05
                    font.family: drawimgBoard.fontFamily
                    onValueChanged: adjustScaleStyle.follow(heightSpinBox, value / adjustScaleStyle.proportionlocker)
                }
            }

            Row {
                spacing: 10

                PanelText {
                    width: 40
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("高度(mm)")
                }

                SpinBox {
                    id: heightSpinBox

                    objectName: "heightSpinBox"
                    width: 160
                    height: 40
                    editable: true
                    from: 5
                    to: 80
                    value: boardFrame.height * 1.5 * 0.05
                    font.family: drawimgBoard.fontFamily
                    onValueChanged: adjustScaleStyle.follow(widthSpinBox, value * adjustScaleStyle.proportionlocker)
                }
            }
        }
    }

    Rectangle {
        id: effectFrame

        // 1 grey, 2 black and white, 3 dithering.
        property int buttonSelect: 1

        objectName: "effectFrame"
        anchors.right: parent.right
        anchors.rightMargin: 14
        anchors.top: parent.top
        anchors.topMargin: 28
        width: 50
        height: 320
        radius: 25
        border.width: 2
        border.color: "white"
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#F4F4F4" }
            GradientStop { position: 1.0; color: "#E0E0E0" }
        }

        Column {
            anchors.fill: parent
            anchors.margins: 4
            spacing: 10

            CircleButton {
                id: greyButton

                objectName: "greyButton"
                width: 42
                height: 42
                circleTextAlias.text: qsTr("灰度")
                circleTextAlias.color: effectFrame.buttonSelect === 1 ? "limegreen" : "black"
                buttonClicked.onClicked: drawimgBoard.selectGrey()
            }

            CircleButton {
                id: binarizeButton

                objectName: "binarizeButton"
                width: 42
                height: 42
                circleTextAlias.text: qsTr("黑白")
                circleTextAlias.color: effectFrame.buttonSelect === 2 ? "limegreen" : "black"
                buttonClicked.onClicked: drawimgBoard.selectBinarize()
            }

            CircleButton {
                id: ditheringButton

                objectName: "ditheringButton"
                width: 42
                height: 42
                circleTextAlias.text: qsTr("离散")
                circleTextAlias.color: effectFrame.buttonSelect === 3 ? "limegreen" : "black"
                buttonClicked.onClicked: drawimgBoard.selectDithering()
            }

            Slider {
                id: effectSlider

                // 100% at threshold 0, 0% at 255.
                property int filterValue: Math.round((1 - position) * 100)

                objectName: "effectSlider"
                width: 150
                height: 30
                from: 0
                to: 255
                stepSize: 1
                value: 60
                // Upright, 0 at the top.
                transform: Rotation {
                    origin.x: 20
                    origin.y: 15
                    angle: 90
                }
                // The effects are slow on large pictures: act on release only.
                onPressedChanged: {
                    if (!pressed)
                        drawimgBoard.applyEffectThreshold()
                }

                Text {
                    x: 10
                    text: effectSlider.filterValue + "%"
                    font.family: drawimgBoard.fontFamily
                    font.pixelSize: 10
                }
            }
        }
    }

    Column {
        anchors.right: parent.right
        anchors.rightMargin: 18
        anchors.top: effectFrame.bottom
        anchors.topMargin: 30
        spacing: 10

        CircleButton {
            id: saveButton

            objectName: "saveButton"
            width: 42
            height: 42
            borderHoveredColor: "white"
            buttonIcon: "qrc:/image/save.png"
            circleTextAlias.text: qsTr("保存")
            circleTextAlias.font.bold: true
            buttonClicked.onClicked: drawimgBoard.savePicture()
            buttonClicked.onEntered: drawimgBoard.infoView(QT_TR_NOOP("点击将保存现有的图片到电脑……"))
        }

        CircleButton {
            id: clearButton

            objectName: "clearButton"
            width: 42
            height: 42
            borderHoveredColor: "white"
            buttonIcon: "qrc:/image/delete.png"
            circleTextAlias.text: qsTr("清除")
            circleTextAlias.font.bold: true
            buttonClicked.onClicked: drawimgBoard.clearPicture()
            buttonClicked.onEntered: drawimgBoard.infoView(QT_TR_NOOP("点击将清除所有内容……"))
        }

        CircleButton {
            id: doneButton

            objectName: "doneButton"
            width: 42
            height: 42
            borderHoveredColor: "white"
            buttonIcon: "qrc:/image/done.png"
            circleTextAlias.text: qsTr("完成")
            circleTextAlias.font.bold: true
            buttonClicked.onClicked: drawimgBoard.finish()
            buttonClicked.onEntered: drawimgBoard.infoView(QT_TR_NOOP("点击完成操作并跳转到控制界面……"))
        }
    }

    Rectangle {
        id: infoRemind

        function infoView(str) {
            infoText.text = qsTr(str)
            infofadedown.stop()
            infofadeup.start()
            infoFadeTime.restart()
        }

        objectName: "infoRemind"
        z: 1
        anchors.left: parent.left
        anchors.leftMargin: 10
        anchors.bottom: parent.bottom
        anchors.bottomMargin: -24
        width: infoText.width + 8
        height: 24
        radius: 3
        border.width: 2
        border.color: "lightgray"
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#F4F4F4" }
            GradientStop { position: 1.0; color: "#E0E0E0" }
        }

        Component.onCompleted: infofadedown.start()

        Text {
            id: infoText

            objectName: "infoText"
            anchors.centerIn: parent
            font.family: drawimgBoard.fontFamily
            font.pixelSize: 14
        }

        NumberAnimation {
            id: infofadeup

            target: infoRemind
            property: "anchors.bottomMargin"
            to: -2
            duration: 100
        }

        NumberAnimation {
            id: infofadedown

            target: infoRemind
            property: "anchors.bottomMargin"
            to: -24
            duration: 500
        }

        Timer {
            id: infoFadeTime

            interval: 2500
            onTriggered: {
                infofadeup.stop()
                infofadedown.start()
            }
        }
    }

    BusyIndicator {
        id: busy

        objectName: "busy"
        anchors.centerIn: parent
        running: false
    }
}
