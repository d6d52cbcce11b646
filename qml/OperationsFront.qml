import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Controls.Material 2.0
import Qt.labs.settings 1.0
import Zan.Engraver 1.0
import "."

// The control page: the engraving area to scale with the published picture,
// the laser marker, connect, framing, start/pause/stop, power, depth, fan,
// progress and elapsed time. The page only mirrors the engraver: its job and
// framing states change when the engraver's status replies arrive, never when
// a command is sent.
Rectangle {
    id: operateRoot

    // What the page takes from the main window: the state it shares with the
    // editing page, the engraver controller and the window's font.
    property QtObject shared: SharedState {}
    property QtObject controller: null
    property string fontFamily: Theme.fontFamily

    property int loadFlag: 0
    property int xImageVertex: 0
    property int yImageVertex: 0
    property int wImageVertex: 0
    property int hImageVertex: 0
    property real mmPerPix: 0.05
    property real mmCarveWidth: carveFrame.carveWidth * mmPerPix

    // Where the picture and the marker were last placed. Their x and y
    // animate, so a command sent right after a move must use the target, not
    // the value the animation has reached.
    property real pictureX: 0
    property real pictureY: 0
    property real markerX: 0
    property real markerY: 10
    property bool markerDraggable: true

    // A job was running when the link went down: play resumes it, stop
    // starts it over.
    property bool interrupted: false

    // The message most recently shown; kept for the message line and for tests.
    property string lastMessage: ""

    // One step of the positioning menu in screen units: 0.5 mm.
    readonly property real stepSize: 0.5 / mmPerPix * carveFrame.scaleSize

    objectName: "operateRoot"
    anchors.fill: parent

    // ---- Pure helpers ------------------------------------------------------

    // A typed coordinate in millimetres; NaN for anything that is not a number.
    function typedMillimetres(text) {
        var trimmed = String(text).trim()
        if (trimmed.length === 0)
            return NaN
        return Number(trimmed)
    }

    // ---- Page actions ------------------------------------------------------

    // Commands are written, and status replies read, by EngraverProtocol:
    // the same code that the controller and its tests run.
    function send(command) {
        if (controller)
            controller.serialWriteData(command)
    }

    function infoView(str) {
        lastMessage = str
        infoText.text = str
        hideInfo.stop()
        showInfo.restart()
        infoTimer.restart()
    }

    // The picture's top-left corner on the area, in engraving pixels.
    function pictureLeft() {
        return pictureX / carveFrame.scaleSize
    }

    function pictureTop() {
        return pictureY / carveFrame.scaleSize
    }

    function placePicture(x, y) {
        pictureX = x
        pictureY = y
        operateImageFrame.x = x
        operateImageFrame.y = y
    }

    function placeMarker(x, y) {
        markerX = x
        markerY = y
        carveLocation.x = x
        carveLocation.y = y
    }

    // A drag moves the item itself, with its animation off: where it lies is
    // where it was put.
    function keepDraggedPicture() {
        pictureX = operateImageFrame.x
        pictureY = operateImageFrame.y
    }

    function keepDraggedMarker() {
        markerX = carveLocation.x
        markerY = carveLocation.y
    }

    function sendFrame() {
        send(EngraverProtocol.frameCommand(xImageVertex + pictureLeft(), yImageVertex + pictureTop(),
                                           wImageVertex, hImageVertex))
    }

    function publishJob(xmin, ymin, xmax, ymax) {
        operateImage.source = "image://screen/image1" + loadFlag
        placePicture((carveFrame.width - operateImageFrame.width) / 2,
                     (carveFrame.height - operateImageFrame.height) / 2)
        playButton.imageLoaded = true
        operateImageFrame.visible = true
        imageCoordinate.opacity = 1
        loadFlag += 1
        var w = xmax - xmin
        var h = ymax - ymin
        // A job that burns a single row or column keeps the previous burned
        // area (an empty job, with its inverted bounds, does not).
        if (w === 0 || h === 0)
            return
        xImageVertex = xmin
        yImageVertex = ymin
        wImageVertex = w
        hImageVertex = h
    }

    function clickFrameButton() {
        if (!playButton.imageLoaded) {
            infoView(qsTr("请先加载图像……"))
            return
        }
        if (!locImageButton.locImageFlag) {
            sendFrame()
        } else {
            send(EngraverProtocol.moveCommand(pictureLeft(), pictureTop()))
            imageLocMenu.visible = false
        }
    }

    function clickPlayButton() {
        if (!playButton.imageLoaded) {
            infoView(qsTr("请先加载图像……"))
            return
        }
        if (locImageButton.locImageFlag) {
            infoView(qsTr("正在框定位，请先停止框定位再开始打印……"))
            return
        }
        if (playButton.toggle && !operateRoot.shared.readStartCarveFlag() && !interrupted) {
            // A job started from idle always starts at its first byte, even
            // if a line gone wild asked for data in between.
            if (controller)
                controller.clearIndex()
        }
        if (playButton.toggle)
            send(EngraverProtocol.startCommand(pictureLeft(), pictureTop(), operateRoot.shared.readCarveMode()))
        else
            send(EngraverProtocol.pauseCommand)
    }

    function clickConnectButton() {
        if (controller)
            controller.connectToBelow(!connectButton.connectFlag)
    }

    // A click on the picture: apply the typed millimetres, each field on its
    // own; a rejected field reports the error and leaves its axis alone.
    function applyPictureCoordinates() {
        var picturePixelsW = operateImage.sourceSize.width
        var picturePixelsH = operateImage.sourceSize.height
        var x = typedMillimetres(imageXField.text)
        var y = typedMillimetres(imageYField.text)
        var newX = pictureX
        var newY = pictureY
        if (x >= 0 && x <= (carveFrame.carveWidth - picturePixelsW) * mmPerPix)
            newX = x / mmPerPix * carveFrame.scaleSize
        else
            infoView(qsTr("输入有误,请重新输入"))
        if (y >= 0 && y <= (carveFrame.carveHeight - picturePixelsH) * mmPerPix)
            newY = y / mmPerPix * carveFrame.scaleSize
        else
            infoView(qsTr("输入有误,请重新输入"))
        placePicture(newX, newY)
    }

    // A click on the marker: typed millimetres move its tip; anything outside
    // the area is ignored without a message.
    function applyMarkerCoordinates() {
        var x = typedMillimetres(markerXField.text)
        var y = typedMillimetres(markerYField.text)
        var newX = markerX
        var newY = markerY
        if (x >= 0 && x <= mmCarveWidth)
            newX = x / mmPerPix * carveFrame.scaleSize - carveLocation.width / 2
        if (y >= 0 && y <= mmCarveWidth)
            newY = y / mmPerPix * carveFrame.scaleSize - carveLocation.height
        placeMarker(newX, newY)
    }

    function markerTipX() {
        return (markerX + carveLocation.width / 2) / carveFrame.scaleSize
    }

    function markerTipY() {
        return (markerY + carveLocation.height) / carveFrame.scaleSize
    }

    // Positioning menu: dx, dy are -1, 0 or 1 steps of 0.5 mm.
    function stepPicture(dx, dy) {
        var maxX = carveFrame.width - operateImageFrame.width
        var maxY = carveFrame.height - operateImageFrame.height
        if ((dx < 0 && pictureX > 0) || (dx > 0 && pictureX < maxX)
                || (dy < 0 && pictureY > 0) || (dy > 0 && pictureY < maxY))
            placePicture(pictureX + dx * stepSize, pictureY + dy * stepSize)
        sendFrame()
    }

    function openLocMenu(x, y) {
        imageLocMenu.x = Math.max(0, Math.min(x, carveFrame.width - imageLocMenu.width))
        imageLocMenu.y = Math.max(0, Math.min(y, carveFrame.height - imageLocMenu.height))
        imageLocMenu.visible = true
    }

    function stopClock() {
        if (carveTiming.running)
            carveTiming.catchUp(Date.now())
        carveTiming.stop()
    }

    function startClock(fromZero) {
        if (!fromZero && carveTiming.running)
            return
        if (fromZero) {
            carveTiming.carveSecond = 0
            carveTiming.carveMinute = 0
            carveTiming.carveHourse = 0
        }
        carveTiming.begin()
        carveTiming.restart()
    }

    // The link went down. An engraver that has gone cannot report the end of
    // its job, so nothing may keep waiting for that report: the job counts as
    // interrupted, in the paused look. After reconnecting, play resumes from
    // where the transfer stopped and stop starts the job over.
    function linkLost() {
        locImageButton.locImageFlag = false
        if (!operateRoot.shared.readStartCarveFlag())
            return
        interrupted = true
        // The time spent so far stays on show and goes on when play resumes.
        stopClock()
        playButton.toggle = true
        stopButton.turned = false
        locImageButton.enabled = true
        markerDraggable = true
        operateRoot.shared.setStartCarveFlag(false)
        if (operateRoot.shared.beginStopFlag)
            operateRoot.shared.stopDone()
    }

    function handleStatus(cmd) {
        var value
        switch (EngraverProtocol.statusNumber(cmd)) {
        case EngraverProtocol.FanOn:
            infoView(qsTr("风扇已打开……"))
            break
        case EngraverProtocol.FanOff:
            infoView(qsTr("风扇已关闭……"))
            break
        case EngraverProtocol.LaserPower:
            value = EngraverProtocol.statusValue(cmd)
            if (!isNaN(value))
                laserSlider.value = value * 100
            break
        case EngraverProtocol.Depth:
            value = EngraverProtocol.statusValue(cmd)
            if (!isNaN(value))
                speedSlider.value = value * 100
            break
        case EngraverProtocol.FramingOn:
            locImageButton.locImageFlag = true
            infoView(qsTr("已经启动框定位……"))
            break
        case EngraverProtocol.FramingOff:
            locImageButton.locImageFlag = false
            infoView(qsTr("已经停止框定位……"))
            break
        case EngraverProtocol.Started:
            // Counts from zero only for a new job: a paused job still holds
            // the running flag, an interrupted one is marked as such.
            startClock(!operateRoot.shared.readStartCarveFlag() && !interrupted)
            playButton.toggle = false
            stopButton.restOffset = 60
            stopButton.turned = true
            locImageButton.enabled = false
            operateRoot.shared.setStartCarveFlag(true)
            markerDraggable = false
            interrupted = false
            break
        case EngraverProtocol.Paused:
            playButton.toggle = true
            stopButton.turned = false
            stopClock()
            break
        case EngraverProtocol.Stopped:
            stopClock()
            if (controller)
                controller.clearIndex()
            stopButton.restOffset = 0
            stopButton.turned = false
            playButton.toggle = true
            locImageButton.enabled = true
            markerDraggable = true
            carveProgress.value = 0
            operateRoot.shared.setStartCarveFlag(false)
            interrupted = false
            if (operateRoot.shared.beginStopFlag)
                operateRoot.shared.stopDone()
            break
        default:
            break
        }
    }

    color: "white"

    Component.onDestruction: settings.fanValue = fanButton.checked ? 1 : 0

    Settings {
        id: settings

        property int fanValue: 10
    }

    Connections {
        target: operateRoot.controller

        function onFinishedLoad(xmin, ymin, xmax, ymax) {
            operateRoot.publishJob(xmin, ymin, xmax, ymax)
        }

        function onCompletePecent(pecent) {
            carveProgress.value = pecent
        }

        function onToFrontStatus(cmd) {
            operateRoot.handleStatus(cmd)
        }

        function onIncludeBackStatus(type) {
            if (type === 10) {
                connectButton.connectFlag = true
                operateRoot.infoView(qsTr("连接成功……"))
            } else if (type === 11) {
                connectButton.connectFlag = false
                operateRoot.infoView(qsTr("已断开连接……"))
                operateRoot.linkLost()
            }
        }

        // The engraver has stopped taking bytes for a while: a loose cable
        // or a hung engraver. The link stays up; the user decides.
        function onWriteStalled() {
            operateRoot.infoView(qsTr("雕刻机没有接收数据，请检查连接……"))
        }
    }

    Connections {
        target: operateRoot.shared

        // The user confirmed that the running job is to be replaced.
        function onVerifyButton() {
            operateRoot.send(EngraverProtocol.stopCommand)
        }
    }

    // ---- Engraving area ----------------------------------------------------

    Item {
        id: carveFrame

        property int carveWidth: 1600
        property int carveHeight: 1600
        readonly property real scaleSize: height / carveWidth

        objectName: "carveFrame"
        width: 660
        height: 660
        anchors.centerIn: parent
        scale: operateRoot.height / 700

        Rectangle {
            width: parent.width
            height: 2
            anchors.top: parent.top
            color: "grey"
        }

        Rectangle {
            width: parent.width
            height: 2
            anchors.bottom: parent.bottom
            color: "grey"
        }

        // Left click anywhere on the area closes the positioning menu; a
        // right click opens it while framing.
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton | Qt.RightButton
            onClicked: {
                if (mouse.button === Qt.RightButton) {
                    if (locImageButton.locImageFlag)
                        operateRoot.openLocMenu(mouse.x, mouse.y)
                } else {
                    imageLocMenu.visible = false
                }
            }
        }

        Rectangle {
            id: operateImageFrame

            objectName: "operateImageFrame"
            visible: false
            width: operateImage.sourceSize.width * carveFrame.scaleSize + 4
            height: operateImage.sourceSize.height * carveFrame.scaleSize + 4
            color: "transparent"
            border.width: 2
            border.color: "#50000000"
            radius: 3

            Behavior on x {
                enabled: !imageDragArea.drag.active
                NumberAnimation { duration: 500 }
            }
            Behavior on y {
                enabled: !imageDragArea.drag.active
                NumberAnimation { duration: 500 }
            }

            Image {
                id: operateImage

                objectName: "operateImage"
                anchors.fill: parent
                anchors.margins: 2
                source: "image://screen"
                mipmap: true
                smooth: true
            }

            MouseArea {
                id: imageDragArea

                objectName: "imageDragArea"
                anchors.fill: parent
                drag.target: operateImageFrame
                drag.minimumX: 0
                drag.maximumX: carveFrame.width - operateImageFrame.width
                drag.minimumY: 0
                drag.maximumY: carveFrame.height - operateImageFrame.height
                // Qt emits released while the drag is still active and ends
                // the drag only after it, so the release takes the place
                // where the picture was let go itself; the end of the drag
                // covers a drag that is cancelled without a release.
                drag.onActiveChanged: {
                    if (!drag.active)
                        operateRoot.keepDraggedPicture()
                }
                onReleased: {
                    if (drag.active)
                        operateRoot.keepDraggedPicture()
                    if (locImageButton.locImageFlag)
                        operateRoot.sendFrame()
                }
                onClicked: {
                    imageXField.focus = false
                    imageYField.focus = false
                    imageLocMenu.visible = false
                    operateRoot.applyPictureCoordinates()
                }
            }

            // Progress on the picture: the row the engraver has reached.
            Rectangle {
                objectName: "progressLine"
                visible: operateRoot.shared.shadyDisplayFlag
                opacity: operateRoot.shared.startCarveFlag ? 1 : 0
                x: operateRoot.xImageVertex * carveFrame.scaleSize
                y: (operateRoot.yImageVertex + operateRoot.hImageVertex * carveProgress.value) * carveFrame.scaleSize
                width: operateRoot.wImageVertex * carveFrame.scaleSize + 5
                height: 2 / carveFrame.scale
                radius: 1 / carveFrame.scale
                color: "#50000000"
            }
        }

        // The picture's position in millimetres, editable.
        Rectangle {
            id: imageCoordinate

            objectName: "imageCoordinate"
            x: operateImageFrame.x
            y: operateImageFrame.y - height - 4
            width: imageCoordinateRow.width + 6
            height: 18
            opacity: 0
            visible: operateRoot.shared.coordinateDisplayFlag
            color: "#A0A0A0"

            Row {
                id: imageCoordinateRow

                x: 3
                anchors.verticalCenter: parent.verticalCenter
                spacing: 2

                Text {
                    text: "x:"
                    color: "white"
                    font.family: operateRoot.fontFamily
                    font.pixelSize: 16
                }
                TextInput {
                    id: imageXField

                    objectName: "imageXField"
                    width: Math.max(36, contentWidth + 2)
                    color: "white"
                    font.family: operateRoot.fontFamily
                    font.pixelSize: 16
                    selectByMouse: true
                    text: (operateImageFrame.x / carveFrame.scaleSize * operateRoot.mmPerPix).toFixed(2)
                }
                Text {
                    text: "y:"
                    color: "white"
                    font.family: operateRoot.fontFamily
                    font.pixelSize: 16
                }
                TextInput {
                    id: imageYField

                    objectName: "imageYField"
                    width: Math.max(36, contentWidth + 2)
                    color: "white"
                    font.family: operateRoot.fontFamily
                    font.pixelSize: 16
                    selectByMouse: true
                    text: (operateImageFrame.y / carveFrame.scaleSize * operateRoot.mmPerPix).toFixed(2)
                }
            }
        }

        // The laser head: the pin's tip is the laser position.
        Image {
            id: carveLocation

            objectName: "carveLocation"
            width: 32
            height: 32
            x: 0
            y: 10
            source: "qrc:/image/pin.png"
            smooth: true

            Behavior on x {
                enabled: !markerDragArea.drag.active
                NumberAnimation { duration: 500 }
            }
            Behavior on y {
                enabled: !markerDragArea.drag.active
                NumberAnimation { duration: 500 }
            }

            MouseArea {
                id: markerDragArea

                objectName: "markerDragArea"
                anchors.fill: parent
                drag.target: operateRoot.markerDraggable ? carveLocation : null
                drag.minimumX: -carveLocation.width / 2
                drag.maximumX: carveFrame.width - carveLocation.width / 2
                drag.minimumY: -carveLocation.height
                drag.maximumY: carveFrame.height - carveLocation.height
                // As with the picture: released comes before the drag ends.
                drag.onActiveChanged: {
                    if (!drag.active)
                        operateRoot.keepDraggedMarker()
                }
                onReleased: {
                    if (drag.active)
                        operateRoot.keepDraggedMarker()
                    operateRoot.send(EngraverProtocol.moveCommand(operateRoot.markerTipX(), operateRoot.markerTipY()))
                }
                onClicked: operateRoot.applyMarkerCoordinates()
            }
        }

        Rectangle {
            id: markerCoordinate

            objectName: "markerCoordinate"
            x: carveLocation.x
            y: carveLocation.y <= 0 ? carveLocation.y + carveLocation.height - height
                                    : carveLocation.y - height - 4
            width: markerCoordinateRow.width + 6
            height: 18
            visible: operateRoot.shared.coordinateDisplayFlag
            color: "#A0A0A0"

            Row {
                id: markerCoordinateRow

                x: 3
                anchors.verticalCenter: parent.verticalCenter
                spacing: 2

                Text {
                    text: "x:"
                    color: "white"
                    font.family: operateRoot.fontFamily
                    font.pixelSize: 16
                }
                TextInput {
                    id: markerXField

                    objectName: "markerXField"
                    width: Math.max(36, contentWidth + 2)
                    color: "white"
                    font.family: operateRoot.fontFamily
                    font.pixelSize: 16
                    selectByMouse: true
                    text: ((carveLocation.x + carveLocation.width / 2) / carveFrame.scaleSize
                           * operateRoot.mmPerPix).toFixed(2)
                }
                Text {
                    text: "y:"
                    color: "white"
                    font.family: operateRoot.fontFamily
                    font.pixelSize: 16
                }
                TextInput {
                    id: markerYField

                    objectName: "markerYField"
                    width: Math.max(36, contentWidth + 2)
                    color: "white"
                    font.family: operateRoot.fontFamily
                    font.pixelSize: 16
                    selectByMouse: true
                    text: ((carveLocation.y + carveLocation.height) / carveFrame.scaleSize
                           * operateRoot.mmPerPix).toFixed(2)
                }
            }
        }

        Rectangle {
            id: imageLocMenu

            objectName: "imageLocMenu"
            width: 80
            height: 160
            visible: false
            radius: 3
            border.width: 1
            border.color: "#87C34A"
            gradient: Gradient {
                GradientStop { position: 0.0; color: "#F4F4F4" }
                GradientStop { position: 1.0; color: "#E0E0E0" }
            }

            // Keeps clicks on the menu's background from reaching the area.
            MouseArea {
                anchors.fill: parent
                acceptedButtons: Qt.LeftButton | Qt.RightButton
            }

            Column {
                anchors.centerIn: parent
                spacing: 4

                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: qsTr("图片定位")
                    font.family: operateRoot.fontFamily
                    font.pixelSize: 12
                }

                Repeater {
                    model: [
                        { "name": "left", "dx": -1, "dy": 0 },
                        { "name": "right", "dx": 1, "dy": 0 },
                        { "name": "up", "dx": 0, "dy": -1 },
                        { "name": "down", "dx": 0, "dy": 1 }
                    ]

                    Rectangle {
                        objectName: "locMenu_" + modelData.name
                        width: 70
                        height: 30
                        radius: 3
                        color: stepArea.pressed ? "#C5E1A5" : (stepArea.containsMouse ? "#F8F8F8" : "#EEEEEE")
                        border.width: 1
                        border.color: "#BDBDBD"

                        Text {
                            anchors.centerIn: parent
                            font.family: operateRoot.fontFamily
                            font.pixelSize: 12
                            text: modelData.name === "left" ? qsTr("左移0.5mm")
                                : modelData.name === "right" ? qsTr("右移0.5mm")
                                : modelData.name === "up" ? qsTr("上移0.5mm")
                                : qsTr("下移0.5mm")
                        }

                        MouseArea {
                            id: stepArea

                            anchors.fill: parent
                            hoverEnabled: true
                            onClicked: operateRoot.stepPicture(modelData.dx, modelData.dy)
                        }
                    }
                }
            }
        }

        ProgressBar {
            id: carveProgress

            objectName: "carveProgress"
            width: parent.width
            y: parent.height + 8
            from: 0
            to: 1
            value: 0
        }

        Text {
            objectName: "progressLabel"
            x: Math.min(carveProgress.value * carveProgress.width, carveProgress.width - width)
            y: carveProgress.y - height - 2
            text: qsTr("完成度") + Math.round(carveProgress.value * 100) + "%"
            font.family: operateRoot.fontFamily
            font.pixelSize: 11
            color: "#393939"
        }
    }

    // ---- Left: power, depth and fan ----------------------------------------

    Column {
        id: toolColumn

        anchors.left: parent.left
        anchors.top: parent.top
        anchors.margins: 20
        spacing: 6

        ToolButton {
            id: laserButton

            objectName: "laserButton"
            width: 32
            height: 44
            padding: 0
            contentItem: Image {
                source: "qrc:/image/idea.png"
                fillMode: Image.PreserveAspectFit
                smooth: true
            }
            onHoveredChanged: if (hovered) laserStyle.onView()
            onClicked: laserStyle.onView()
        }

        ToolButton {
            id: speedButton

            objectName: "speedButton"
            width: 32
            height: 44
            padding: 0
            contentItem: Image {
                source: "qrc:/image/racing.png"
                fillMode: Image.PreserveAspectFit
                smooth: true
            }
            onHoveredChanged: if (hovered) speedStyle.onView()
            onClicked: speedStyle.onView()
        }

        ToolButton {
            id: fanButton

            // Set from the stored value once the page is complete, so that
            // restoring it does not count as the user switching the fan.
            property bool restored: false

            objectName: "fanButton"
            width: 32
            height: 44
            padding: 0
            checkable: true
            background: Rectangle {
                radius: 3
                color: fanButton.checked ? "#C5E1A5" : (fanButton.hovered ? "#EEEEEE" : "transparent")
            }
            contentItem: Image {
                id: fanIcon

                source: "qrc:/image/airscrew.png"
                fillMode: Image.PreserveAspectFit
                smooth: true

                RotationAnimation on rotation {
                    id: fanTurning

                    from: 360
                    to: 0
                    duration: 1000
                    loops: Animation.Infinite
                    running: fanButton.checked && operateRoot.shared.startCarveFlag
                    onRunningChanged: if (!running) fanIcon.rotation = 0
                }
            }
            onCheckedChanged: {
                if (restored)
                    operateRoot.send(checked ? EngraverProtocol.fanOnCommand : EngraverProtocol.fanOffCommand)
            }
            Component.onCompleted: {
                checked = settings.fanValue !== 0
                restored = true
            }
        }
    }

    BoardButtom {
        id: laserStyle

        objectName: "laserStyle"
        width: 300
        height: 40
        anchors.left: toolColumn.right
        anchors.leftMargin: 10
        anchors.top: toolColumn.top
        anchors.topMargin: 2
        z: 5

        Row {
            anchors.centerIn: parent
            spacing: 4

            Text {
                width: 48
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("激光") + Math.round(laserSlider.position * 100) + "%"
                font.family: operateRoot.fontFamily
                font.pixelSize: 12
            }
            Slider {
                id: laserSlider

                objectName: "laserSlider"
                width: 240
                height: 36
                anchors.verticalCenter: parent.verticalCenter
                from: 0
                to: 100
                stepSize: 0.1
                value: 0
                onPressedChanged: {
                    if (!pressed)
                        operateRoot.send(EngraverProtocol.laserPowerCommand(position))
                }
            }
        }
    }

    BoardButtom {
        id: speedStyle

        objectName: "speedStyle"
        width: 300
        height: 40
        anchors.left: toolColumn.right
        anchors.leftMargin: 10
        anchors.top: toolColumn.top
        anchors.topMargin: 52
        z: 5

        Row {
            anchors.centerIn: parent
            spacing: 4

            Text {
                width: 68
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("雕刻深度") + Math.round(speedSlider.position * 100) + "%"
                font.family: operateRoot.fontFamily
                font.pixelSize: 12
            }
            Slider {
                id: speedSlider

                objectName: "speedSlider"
                width: 220
                height: 36
                anchors.verticalCenter: parent.verticalCenter
                from: 0
                to: 100
                stepSize: 0.1
                value: 0
                onPressedChanged: {
                    if (!pressed)
                        operateRoot.send(EngraverProtocol.depthCommand(position))
                }
            }
        }
    }

    // ---- Right: connect, frame, play and stop ------------------------------

    ToolButton {
        id: connectButton

        property bool connectFlag: false

        objectName: "connectButton"
        width: 45
        height: 57
        padding: 2
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 20
        background: Rectangle {
            radius: 3
            color: connectButton.connectFlag ? "#C5E1A5" : (connectButton.hovered ? "#EEEEEE" : "transparent")
        }
        contentItem: Image {
            source: "qrc:/image/usb.png"
            fillMode: Image.PreserveAspectFit
            smooth: true
        }
        onClicked: operateRoot.clickConnectButton()
    }

    ToolButton {
        id: locImageButton

        property bool locImageFlag: false

        objectName: "locImageButton"
        width: 40
        height: 52
        padding: 2
        anchors.top: connectButton.bottom
        anchors.topMargin: 24
        anchors.horizontalCenter: connectButton.horizontalCenter
        opacity: enabled ? 1 : 0.4
        background: Rectangle {
            radius: 3
            color: locImageButton.locImageFlag ? "#C5E1A5" : (locImageButton.hovered ? "#EEEEEE" : "transparent")
        }
        contentItem: Image {
            source: "qrc:/image/target.png"
            fillMode: Image.PreserveAspectFit
            smooth: true
        }
        onClicked: operateRoot.clickFrameButton()
    }

    // The stop button hangs from the play button's top edge: at rest it lies
    // beneath the play button, hidden, until the first job starts.
    ToolButton {
        id: stopButton

        property real restOffset: 0
        property bool turned: false

        objectName: "stopButton"
        width: 40
        height: 52
        padding: 2
        anchors.top: playButton.top
        anchors.topMargin: restOffset
        anchors.horizontalCenter: playButton.horizontalCenter
        rotation: turned ? 90 : 0
        background: Item {}
        contentItem: Image {
            source: "qrc:/image/stop.png"
            fillMode: Image.PreserveAspectFit
            smooth: true
        }
        onClicked: operateRoot.send(EngraverProtocol.stopCommand)

        Behavior on anchors.topMargin {
            NumberAnimation {
                duration: 300
                easing.type: Easing.InBack
                easing.amplitude: 2.0
                easing.period: 1.5
            }
        }
        Behavior on rotation {
            NumberAnimation {
                duration: 300
                easing.type: Easing.InOutElastic
                easing.amplitude: 2.0
                easing.period: 1.5
            }
        }
    }

    ToolButton {
        id: playButton

        property bool toggle: true
        property bool imageLoaded: false

        objectName: "playButton"
        width: 40
        height: 52
        padding: 2
        anchors.top: locImageButton.bottom
        anchors.topMargin: 10
        anchors.horizontalCenter: connectButton.horizontalCenter
        background: Rectangle {
            radius: 3
            color: playButton.hovered ? "#EEEEEE" : "white"
        }
        contentItem: Image {
            source: playButton.toggle ? "qrc:/image/play.png" : "qrc:/image/pause.png"
            fillMode: Image.PreserveAspectFit
            smooth: true
        }
        onClicked: operateRoot.clickPlayButton()
    }

    // ---- Bottom right: elapsed time ----------------------------------------

    Timer {
        id: carveTiming

        property int carveSecond: 0
        property int carveMinute: 0
        property int carveHourse: 0
        // When the clock was last started (ms since the epoch) and how many
        // seconds it has counted since then.
        property real runStart: 0
        property int runSeconds: 0

        function begin() {
            runStart = Date.now()
            runSeconds = 0
        }

        // Adds the whole seconds that have passed since the clock was last
        // started. Qt Quick drives its timers from the animation clock, which
        // runs ahead of real time where frames are not paced by the display
        // (virtual displays, some remote sessions); the elapsed engraving
        // time must follow the real clock.
        function catchUp(now) {
            var due = Math.floor((now - runStart) / 1000)
            while (runSeconds < due) {
                tick()
                runSeconds += 1
            }
        }

        function tick() {
            carveSecond += 1
            if (carveSecond >= 60) {
                carveSecond = 0
                carveMinute += 1
                if (carveMinute >= 60) {
                    carveMinute = 0
                    carveHourse += 1
                }
            }
        }

        objectName: "carveTiming"
        // Polled more often than once a second so that the shown seconds
        // turn over close to the real second boundaries.
        interval: 250
        repeat: true
        onTriggered: catchUp(Date.now())
    }

    Row {
        x: parent.width - 160
        y: parent.height - 40
        spacing: 12

        Repeater {
            model: 4

            Rectangle {
                width: index === 0 ? 35 : 25
                height: 30
                radius: 3
                border.width: 2
                border.color: "white"
                gradient: Gradient {
                    GradientStop { position: 0.0; color: "#F4F4F4" }
                    GradientStop { position: 1.0; color: "#E0E0E0" }
                }

                Text {
                    objectName: ["timeLabel", "hourText", "minuteText", "secondText"][index]
                    anchors.centerIn: parent
                    font.family: operateRoot.fontFamily
                    font.pixelSize: 12
                    text: index === 0 ? qsTr("用时")
                        : index === 1 ? String(carveTiming.carveHourse)
                        : index === 2 ? String(carveTiming.carveMinute)
                        : String(carveTiming.carveSecond)
                }
            }
        }
    }

    // ---- Bottom left: the message line -------------------------------------

    Rectangle {
        id: carveinfoRemind

        objectName: "carveinfoRemind"
        width: infoText.width + 8
        height: 24
        z: 10
        anchors.left: parent.left
        anchors.leftMargin: 10
        anchors.bottom: parent.bottom
        anchors.bottomMargin: -24
        radius: 3
        border.width: 2
        border.color: "lightgrey"
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#F4F4F4" }
            GradientStop { position: 1.0; color: "#E0E0E0" }
        }

        Text {
            id: infoText

            objectName: "infoText"
            anchors.centerIn: parent
            font.family: operateRoot.fontFamily
            font.pixelSize: 14
        }

        NumberAnimation {
            id: showInfo

            target: carveinfoRemind
            property: "anchors.bottomMargin"
            to: -2
            duration: 100
        }

        NumberAnimation {
            id: hideInfo

            target: carveinfoRemind
            property: "anchors.bottomMargin"
            to: -24
            duration: 500
        }

        Timer {
            id: infoTimer

            interval: 2500
            onTriggered: hideInfo.restart()
        }
    }
}
