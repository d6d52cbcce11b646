import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Window 2.2
import Qt.labs.settings 1.0
import Zan.Desktop 1.0
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
    // The window, asked for attention when a job ends behind other windows:
    // anything with `active` and `alert(msec)`. Null: nobody is told.
    property var hostWindow: null
    // Whether the page's keys (arrows, Space) may act: the window turns them
    // off while one of its popups is open.
    property bool keysEnabled: true

    // The job on the engraver, as its status replies tell it: "idle",
    // "running", "paused", or "interrupted" when the link went down during a
    // job (play then resumes it, stop starts it over). The buttons, the clock,
    // the marker and the shared running flag all follow it.
    property string jobState: "idle"
    readonly property bool jobActive: jobState === "running" || jobState === "paused"
    // The engraver is framing the picture.
    property bool framing: false

    property int loadFlag: 0
    property int xImageVertex: 0
    property int yImageVertex: 0
    property int wImageVertex: 0
    property int hImageVertex: 0
    property alias pictureX: carveFrame.pictureX
    property alias pictureY: carveFrame.pictureY

    // The message most recently shown; kept for the message line and for tests.
    property string lastMessage: ""

    // The item with the keyboard focus takes text: the page's keys leave it
    // alone (Up and Down would otherwise slip past a coordinate field).
    readonly property bool typing: {
        var item = Window.activeFocusItem
        return item !== null && item !== undefined && item.cursorPosition !== undefined
    }
    readonly property bool pageKeysOn: visible && keysEnabled && !typing

    // Commands are written, and status replies read, by EngraverProtocol:
    // the same code that the controller and its tests run.
    function send(command) {
        if (controller)
            controller.serialWriteData(command)
    }

    // The next data request starts from the job's first byte.
    function rewindJob() {
        if (controller)
            controller.clearIndex()
    }

    function infoView(str) {
        lastMessage = str
        infoRemind.show(str)
    }

    function placePicture(x, y) {
        carveFrame.placePicture(x, y)
    }

    function markerTipX() {
        return carveFrame.markerTipX()
    }

    function sendFrame() {
        send(EngraverProtocol.frameCommand(xImageVertex + carveFrame.pictureLeft(), yImageVertex + carveFrame.pictureTop(),
                                           wImageVertex, hImageVertex))
    }

    function publishJob(xmin, ymin, xmax, ymax) {
        carveFrame.showPicture("image://screen/image1" + loadFlag)
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
        if (!carveFrame.pictureShown) {
            infoView(qsTr("请先加载图像……"))
            return
        }
        if (!framing) {
            sendFrame()
        } else {
            send(EngraverProtocol.moveCommand(carveFrame.pictureLeft(), carveFrame.pictureTop()))
            carveFrame.closeMenu()
        }
    }

    // Moves the picture by whole steps of 0.5 mm from the keyboard; while
    // framing, the engraver frames the new place, as after a menu step.
    function stepPictureByKey(dx, dy, steps) {
        if (!carveFrame.pictureShown || jobActive)
            return
        carveFrame.movePicture(dx, dy, steps)
        if (framing)
            sendFrame()
    }

    // A job has ended on the engraver: the window asks for attention when
    // the user is elsewhere.
    function jobEnded() {
        if (hostWindow && !hostWindow.active)
            hostWindow.alert(0)
    }

    function clickPlayButton() {
        if (!carveFrame.pictureShown) {
            infoView(qsTr("请先加载图像……"))
            return
        }
        if (framing) {
            infoView(qsTr("正在框定位，请先停止框定位再开始打印……"))
            return
        }
        if (jobState === "running") {
            send(EngraverProtocol.pauseCommand)
            return
        }
        // A job started from idle always starts at its first byte, even if a
        // line gone wild asked for data in between.
        if (jobState === "idle")
            rewindJob()
        send(EngraverProtocol.startCommand(carveFrame.pictureLeft(), carveFrame.pictureTop(), shared.readCarveMode()))
    }

    // The link went down. An engraver that has gone cannot report the end of
    // its job, so nothing may keep waiting for that report: the job counts as
    // interrupted, in the paused look, with the time spent so far on show.
    function linkLost() {
        framing = false
        if (!jobActive)
            return
        jobState = "interrupted"
        jobTimer.interrupted()
        if (shared.beginStopFlag)
            shared.stopDone()
    }

    // The job's bytes have all been sent: a stop that follows ends the job
    // rather than cutting it short.
    function sentWhole() {
        var buffer = controller ? controller.jobBuffer : null
        return !!buffer && buffer.size > 0 && buffer.sent >= buffer.size
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
                laserStyle.slider.value = value * 100
            break
        case EngraverProtocol.Depth:
            value = EngraverProtocol.statusValue(cmd)
            if (!isNaN(value))
                speedStyle.slider.value = value * 100
            break
        case EngraverProtocol.FramingOn:
            framing = true
            infoView(qsTr("已经启动框定位……"))
            break
        case EngraverProtocol.FramingOff:
            framing = false
            infoView(qsTr("已经停止框定位……"))
            break
        case EngraverProtocol.Started:
            // Only a new job counts from zero: a paused or interrupted one
            // goes on from the time it has spent.
            if (jobState === "idle")
                clock.reset()
            jobState = "running"
            jobTimer.started()
            break
        case EngraverProtocol.Paused:
            if (jobState === "running") {
                jobState = "paused"
                jobTimer.paused()
            }
            break
        case EngraverProtocol.Stopped:
            // Whether the whole job went out is read before the rewind sets
            // the send position back to the start.
            var ended = jobActive
            jobTimer.stopped(sentWhole())
            rewindJob()
            carveFrame.progress = 0
            jobState = "idle"
            if (shared.beginStopFlag)
                shared.stopDone()
            if (ended)
                jobEnded()
            break
        default:
            break
        }
    }

    // A button of the left column that shows its panel.
    component PanelButton: IconButton {
        property Item panel

        width: 32
        height: 44
        padding: 0
        onHoveredChanged: if (hovered) panel.onView()
        onClicked: panel.onView()
    }

    // Laser power and depth: a percentage sent when the slider is let go.
    component MachinePanel: ValuePanel {
        width: 300
        height: 40
        inset: 4
        spacing: 4
        slider.height: 36
        slider.from: 0
        slider.to: 100
        slider.stepSize: 0.1
        slider.value: 0
    }

    objectName: "operateRoot"
    anchors.fill: parent
    color: "white"

    Component.onDestruction: settings.fanValue = fanButton.checked ? 1 : 0

    Settings {
        id: settings

        property int fanValue: 10
    }

    // The running flag the main window and the editing page read.
    Binding {
        target: operateRoot.shared
        property: "startCarveFlag"
        value: operateRoot.jobActive
    }

    Connections {
        target: operateRoot.controller

        function onFinishedLoad(xmin, ymin, xmax, ymax) {
            operateRoot.publishJob(xmin, ymin, xmax, ymax)
            var buffer = operateRoot.controller.jobBuffer
            if (buffer)
                jobTimer.prepare(buffer.size)
        }

        function onCompletePecent(pecent) {
            carveFrame.progress = pecent
            jobTimer.progress(pecent)
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

        // Connect found no engraver: say so, and what to look at. A device
        // the system would not let the program open is named, with the fix.
        function onEngraverNotFound(deniedPort) {
            if (deniedPort === "")
                operateRoot.infoView(qsTr("未找到雕刻机，请检查数据线和电源……"))
            else
                operateRoot.infoView(qsTr("没有权限打开 %1，请把用户加入 dialout 组后重新登录……").arg(deniedPort))
        }
    }

    Connections {
        target: operateRoot.shared

        // The user confirmed that the running job is to be replaced.
        function onVerifyButton() {
            operateRoot.send(EngraverProtocol.stopCommand)
        }
    }

    // The time left, measured while the job runs and estimated from earlier
    // jobs at the same depth before it starts; what the last job took.
    JobTimer {
        id: jobTimer

        depth: Math.round(speedStyle.slider.value)
    }

    // A job left running must not be cut short by the desktop going to sleep.
    SleepInhibitor {
        objectName: "sleepInhibitor"
        active: operateRoot.jobActive
        reason: qsTr("正在雕刻")
    }

    // The page's keys, while it is on show and no text is being typed:
    // arrows move the picture by 0.5 mm (with Shift 5 mm), Space plays or
    // pauses. A focused laser marker takes the arrows for itself.
    Repeater {
        model: [
            { "keys": "Left", "dx": -1, "dy": 0, "steps": 1 },
            { "keys": "Right", "dx": 1, "dy": 0, "steps": 1 },
            { "keys": "Up", "dx": 0, "dy": -1, "steps": 1 },
            { "keys": "Down", "dx": 0, "dy": 1, "steps": 1 },
            { "keys": "Shift+Left", "dx": -1, "dy": 0, "steps": 10 },
            { "keys": "Shift+Right", "dx": 1, "dy": 0, "steps": 10 },
            { "keys": "Shift+Up", "dx": 0, "dy": -1, "steps": 10 },
            { "keys": "Shift+Down", "dx": 0, "dy": 1, "steps": 10 }
        ]

        Item {
            Shortcut {
                sequence: modelData.keys
                enabled: operateRoot.pageKeysOn
                onActivated: operateRoot.stepPictureByKey(modelData.dx, modelData.dy, modelData.steps)
            }
        }
    }

    Shortcut {
        sequence: "Space"
        enabled: operateRoot.pageKeysOn
        onActivated: operateRoot.clickPlayButton()
    }

    EngravingArea {
        id: carveFrame

        objectName: "carveFrame"
        width: 660
        height: 660
        anchors.centerIn: parent
        scale: operateRoot.height / 700
        fontFamily: operateRoot.fontFamily
        framing: operateRoot.framing
        markerDraggable: !operateRoot.jobActive
        showCoordinates: operateRoot.shared.coordinateDisplayFlag
        showProgress: operateRoot.shared.shadyDisplayFlag
        engraving: operateRoot.jobActive
        jobX: operateRoot.xImageVertex
        jobY: operateRoot.yImageVertex
        jobWidth: operateRoot.wImageVertex
        jobHeight: operateRoot.hImageVertex
        onMarkerJogged: operateRoot.send(EngraverProtocol.moveCommand(carveFrame.markerTipX(), carveFrame.markerTipY()))
        onMarkerReleased: operateRoot.send(EngraverProtocol.moveCommand(carveFrame.markerTipX(), carveFrame.markerTipY()))
        onPictureReleased: {
            if (operateRoot.framing)
                operateRoot.sendFrame()
        }
        onPictureStepped: operateRoot.sendFrame()
        onCoordinateRefused: operateRoot.infoView(qsTr("输入有误,请重新输入"))
    }

    // ---- Left: power, depth and fan ----------------------------------------

    Column {
        id: toolColumn

        anchors.left: parent.left
        anchors.top: parent.top
        anchors.margins: 20
        spacing: 6

        PanelButton {
            objectName: "laserButton"
            iconSource: "qrc:/image/idea.png"
            panel: laserStyle
        }

        PanelButton {
            objectName: "speedButton"
            iconSource: "qrc:/image/racing.png"
            panel: speedStyle
        }

        LitIconButton {
            id: fanButton

            // Set from the stored value once the page is complete, so that
            // restoring it does not count as the user switching the fan.
            property bool restored: false

            objectName: "fanButton"
            width: 32
            height: 44
            padding: 0
            checkable: true
            lit: checked
            iconSource: "qrc:/image/airscrew.png"
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

    // The fan turns while it is on during a job.
    RotationAnimation {
        target: fanButton.contentItem
        property: "rotation"
        from: 360
        to: 0
        duration: 1000
        loops: Animation.Infinite
        running: fanButton.checked && operateRoot.jobActive
        onRunningChanged: if (!running) fanButton.contentItem.rotation = 0
    }

    Item {
        anchors.left: toolColumn.right
        anchors.leftMargin: 10
        anchors.top: toolColumn.top
        anchors.topMargin: 2
        z: 5

        MachinePanel {
            id: laserStyle

            objectName: "laserStyle"
            fontFamily: operateRoot.fontFamily
            labelWidth: 48
            text: qsTr("激光") + Math.round(slider.position * 100) + "%"
            slider.objectName: "laserSlider"
            slider.width: 240
            onLetGo: operateRoot.send(EngraverProtocol.laserPowerCommand(position))
        }

        MachinePanel {
            id: speedStyle

            objectName: "speedStyle"
            y: 50
            fontFamily: operateRoot.fontFamily
            labelWidth: 68
            text: qsTr("雕刻深度") + Math.round(slider.position * 100) + "%"
            slider.objectName: "speedSlider"
            slider.width: 220
            onLetGo: operateRoot.send(EngraverProtocol.depthCommand(position))
        }
    }

    // ---- Right: connect, frame, play and stop ------------------------------

    LitIconButton {
        id: connectButton

        property bool connectFlag: false

        objectName: "connectButton"
        width: 45
        height: 57
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 20
        lit: connectFlag
        iconSource: "qrc:/image/usb.png"
        onClicked: {
            if (operateRoot.controller)
                operateRoot.controller.connectToBelow(!connectFlag)
        }
    }

    Column {
        anchors.top: connectButton.bottom
        anchors.topMargin: 24
        anchors.horizontalCenter: connectButton.horizontalCenter
        spacing: 10

        LitIconButton {
            id: locImageButton

            readonly property bool locImageFlag: operateRoot.framing

            objectName: "locImageButton"
            width: 40
            height: 52
            enabled: !operateRoot.jobActive
            lit: locImageFlag
            iconSource: "qrc:/image/target.png"
            onClicked: operateRoot.clickFrameButton()
        }

        // The stop button hangs from the play button's top edge: at rest it
        // lies beneath the play button, hidden, until the first job starts;
        // it turns while the job runs.
        Item {
            width: 40
            height: 52

            IconButton {
                id: stopButton

                objectName: "stopButton"
                anchors.top: parent.top
                anchors.topMargin: operateRoot.jobState === "idle" ? 0 : 60
                width: parent.width
                height: parent.height
                rotation: operateRoot.jobState === "running" ? 90 : 0
                background: Item {}
                iconSource: "qrc:/image/stop.png"
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

            LitIconButton {
                id: playButton

                // Play is offered (rather than pause) whenever no job is running.
                readonly property bool toggle: operateRoot.jobState !== "running"

                objectName: "playButton"
                anchors.fill: parent
                restColor: "white"
                iconSource: toggle ? "qrc:/image/play.png" : "qrc:/image/pause.png"
                onClicked: operateRoot.clickPlayButton()
            }
        }
    }

    // ---- Bottom: elapsed time and the message line -------------------------

    // Left of the elapsed time: the time still to go (the estimate before
    // play), or once a job has ended what it took, until the next one starts.
    TimeLeftClock {
        id: leftClock

        readonly property bool showTaken: operateRoot.jobState === "idle" && jobTimer.secondsTaken >= 0

        objectName: "leftClock"
        x: parent.width - 320
        y: parent.height - 40
        fontFamily: operateRoot.fontFamily
        visible: showTaken || operateRoot.jobState !== "idle" || jobTimer.secondsLeft >= 0
        label: showTaken ? qsTr("耗时") : qsTr("剩余")
        seconds: showTaken ? jobTimer.secondsTaken : jobTimer.secondsLeft
        running: operateRoot.jobState === "running"
    }

    ElapsedClock {
        id: clock

        x: parent.width - 160
        y: parent.height - 40
        fontFamily: operateRoot.fontFamily
        running: operateRoot.jobState === "running"
    }

    Toast {
        id: infoRemind

        objectName: "carveinfoRemind"
        z: 10
        fontFamily: operateRoot.fontFamily
    }
}
