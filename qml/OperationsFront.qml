import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Window 2.2
import Zan.Desktop 1.0
import Zan.Engraver 1.0
import "common"
import "control"
import "common/helpers.js" as Helpers

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
    // The published job: its size, how far it has been sent, its picture.
    readonly property QtObject jobBuffer: controller ? controller.jobBuffer : null
    property string fontFamily: Theme.fontFamily
    // The window, asked for attention when a job ends behind other windows:
    // anything with `active` and `alert(msec)`. Null: nobody is told.
    property var hostWindow: null
    // Whether the page's keys (arrows, Space) may act: the window turns them
    // off while one of its popups is open.
    property bool keysEnabled: true

    // The job on the engraver, as its status replies tell it: idle,
    // running, paused, or interrupted when the link went down during a job
    // (play then resumes it, stop starts it over). The buttons, the clock,
    // the marker and the shared running flag all follow it.
    readonly property JobState jobState: JobState {}
    // The run of the job: its passes, and a job cut short by a crash taken
    // up at the next start.
    readonly property JobRun jobRun: runDriver.jobRun
    readonly property JobRunDriver runDriver: JobRunDriver {
        page: operateRoot
        area: carveFrame
        controller: operateRoot.controller
        power: toolColumn.laserPower / 100
        depth: toolColumn.depth / 100
    }
    readonly property bool jobActive: jobState.active
    // The engraver is framing the picture.
    property bool framing: false
    // The engraver reports the job running but has asked for no data for a
    // while: the page says so until that changes, and offers stop and
    // reconnect.
    readonly property bool jobStalled: jobState.running && !!controller && !!controller.dataRequestOverdue
    // The link is up, as the engraver's handshake and goodbye tell it.
    readonly property alias connected: controlButtons.connected
    // The share of the job sent; 1 once a job sent whole has ended.
    property real jobProgress: 0
    // The user chose to start this job with nothing to burn: resuming it
    // does not ask again.
    property bool zeroBurnAccepted: false
    // What the window's status line says of this page.
    readonly property alias pageStatus: pageStatus

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
    readonly property bool typing: Helpers.takesText(Window.activeFocusItem)
    readonly property bool pageKeysOn: visible && keysEnabled && !typing && !zeroBurnQuestion.visible

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
        // Around the whole grid when there are copies.
        send(EngraverProtocol.frameCommand(xImageVertex + carveFrame.pictureLeft(), yImageVertex + carveFrame.pictureTop(),
                                           wImageVertex + copiesControl.extraWidth, hImageVertex + copiesControl.extraHeight))
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
        if (!connected) {
            infoView(qsTr("雕刻机未连接，请先点击连接按钮……"))
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
        if (!connected) {
            infoView(qsTr("雕刻机未连接，请先点击连接按钮……"))
            return
        }
        if (jobState.running) {
            send(EngraverProtocol.pauseCommand)
            return
        }
        if (jobState.idle && !copiesControl.checkFits())
            return
        // Nothing would burn: ask first (once for the job; a resume does
        // not ask again).
        if (!zeroBurnAccepted && !jobRun.resumePending && zeroBurnQuestion.ask(Math.round(toolColumn.laserPower * 10) === 0,
                                                      Math.round(toolColumn.depth * 10) === 0))
            return
        startJob()
    }

    function startJob() {
        // The copies go out in the job's place (the picture alone for one);
        // a job taken up after a restart keeps what it had.
        if (jobState.idle && !runDriver.jobRun.resumePending && !copiesControl.prepareStart())
            return
        runDriver.play(jobState.idle)
    }

    // The link went down. An engraver that has gone cannot report the end of
    // its job, so nothing may keep waiting for that report: the job counts as
    // interrupted, in the paused look, with the time spent so far on show.
    function linkLost() {
        framing = false
        if (!jobState.linkLost())
            return
        jobClocks.interrupted()
        if (shared.beginStopFlag)
            shared.stopDone()
    }

    // The job's bytes have all been sent: a stop that follows ends the job
    // rather than cutting it short.
    function sentWhole() {
        return !!jobBuffer && jobBuffer.size > 0 && jobBuffer.sent >= jobBuffer.size
    }

    // A status reply of the engraver's (see EngraverReplies).
    function handleStatus(cmd) {
        engraverReplies.handle(cmd)
    }

    objectName: "operateRoot"
    anchors.fill: parent
    color: "white"

    // The power and depth panels; under everything else of the page.
    PanelGroup {
        anchors.fill: parent
        active: operateRoot.visible && operateRoot.keysEnabled
    }

    // The running flag the main window and the editing page read.
    Binding {
        target: operateRoot.shared
        property: "startCarveFlag"
        value: operateRoot.jobActive
    }

    // What the engraver and its link report, on this page.
    EngraverReplies {
        id: engraverReplies

        page: operateRoot
        tools: toolColumn
        clocks: jobClocks
        buttons: controlButtons
    }

    Connections {
        target: operateRoot.shared

        // The user confirmed that the running job is to be replaced.
        function onVerifyButton() {
            operateRoot.runDriver.stop()
        }
    }

    PageKeys {
        active: operateRoot.pageKeysOn
        onStepped: operateRoot.stepPictureByKey(dx, dy, steps)
        onPlayPressed: operateRoot.clickPlayButton()
    }

    // Previews are made at the size this page shows them.
    Binding {
        target: operateRoot.jobBuffer
        property: "previewScale"
        value: carveFrame.scaleSize * carveFrame.scale * Screen.devicePixelRatio
        when: operateRoot.jobBuffer !== null
    }

    AreaRoom {
        id: areaRoom

        clocksWidth: jobClocks.fullWidth
        belowHeight: jobProgressBar.implicitHeight
    }

    EngravingArea {
        id: carveFrame

        objectName: "carveFrame"
        x: areaRoom.x
        y: areaRoom.y
        width: 660
        height: 660
        transformOrigin: Item.TopLeft
        scale: areaRoom.width / 660
        fontFamily: operateRoot.fontFamily
        framing: operateRoot.framing
        markerDraggable: !operateRoot.jobActive
        showCoordinates: operateRoot.shared.coordinateDisplayFlag
        showProgress: operateRoot.shared.shadyDisplayFlag
        engraving: operateRoot.jobActive
        progress: operateRoot.jobProgress
        jobX: operateRoot.xImageVertex
        jobY: operateRoot.yImageVertex
        jobWidth: operateRoot.wImageVertex
        jobHeight: operateRoot.hImageVertex
        pictureWidth: operateRoot.jobBuffer ? operateRoot.jobBuffer.pictureWidth : 680
        pictureHeight: operateRoot.jobBuffer ? operateRoot.jobBuffer.pictureHeight : 680
        onMarkerJogged: operateRoot.send(EngraverProtocol.moveCommand(carveFrame.markerTipX(), carveFrame.markerTipY()))
        onMarkerReleased: operateRoot.send(EngraverProtocol.moveCommand(carveFrame.markerTipX(), carveFrame.markerTipY()))
        onPictureReleased: {
            if (operateRoot.framing)
                operateRoot.sendFrame()
        }
        onPictureStepped: operateRoot.sendFrame()
        onCoordinateRefused: operateRoot.infoView(qsTr("输入有误,请重新输入"))
    }

    JobProgress {
        id: jobProgressBar

        x: areaRoom.x
        y: areaRoom.y + areaRoom.height + 8
        width: areaRoom.width
        fontFamily: operateRoot.fontFamily
        value: operateRoot.jobProgress
    }

    // ---- Left: power, depth and fan ----------------------------------------

    ToolColumn {
        id: toolColumn

        anchors.left: parent.left
        anchors.top: parent.top
        anchors.margins: 20
        z: 5
        jobActive: operateRoot.jobActive
        fontFamily: operateRoot.fontFamily
        shared: operateRoot.shared
        controller: operateRoot.controller
        onPresetMessage: operateRoot.infoView(text)
        onLaserLetGo: operateRoot.send(EngraverProtocol.laserPowerCommand(position))
        onDepthLetGo: operateRoot.send(EngraverProtocol.depthCommand(position))
        onFanSwitched: operateRoot.send(on ? EngraverProtocol.fanOnCommand : EngraverProtocol.fanOffCommand)
        onTestCardAsked: testCardPanel.open()
    }

    // Copies in a grid, and the touch-up of the job burned last.
    CopiesControl {
        id: copiesControl

        objectName: "copiesControl"
        anchors.left: toolColumn.left
        anchors.top: toolColumn.bottom
        anchors.topMargin: 16
        z: 5
        page: operateRoot
        area: carveFrame
        jobBuffer: operateRoot.jobBuffer
        fontFamily: operateRoot.fontFamily
    }

    // The power x depth test card; the row burning shows above the passes.
    TestCardPanel {
        id: testCardPanel

        anchors.right: parent.right
        anchors.bottom: passCount.top
        anchors.margins: 20
        page: operateRoot
        presetBar: toolColumn.presetBar
        copiesLayout: copiesControl.layout
        fontFamily: operateRoot.fontFamily
    }

    // Save work and Open work: placement, power, depth and fan.
    WorkPart {
        page: operateRoot
        area: carveFrame
        tools: toolColumn
    }

    // ---- Right: connect, frame, play and stop ------------------------------

    ControlButtons {
        id: controlButtons

        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 20
        jobState: operateRoot.jobState
        framing: operateRoot.framing
        imageLoaded: carveFrame.pictureShown
        onConnectClicked: {
            if (operateRoot.controller)
                operateRoot.controller.connectToBelow(!connected)
        }
        onFrameClicked: operateRoot.clickFrameButton()
        onPlayClicked: operateRoot.clickPlayButton()
        onStopClicked: operateRoot.runDriver.stop()
        onTrueSizeClicked: trueSizeView.show()
    }

    StalledJobNotice {
        objectName: "stalledJobNotice"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        anchors.topMargin: 12
        z: 9
        visible: operateRoot.jobStalled
        fontFamily: operateRoot.fontFamily
        onStopClicked: operateRoot.runDriver.stop()
        onReconnectClicked: {
            if (operateRoot.controller)
                operateRoot.controller.reconnect()
        }
    }

    // ---- Bottom: elapsed time and the message line -------------------------

    JobClocks {
        id: jobClocks

        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 20
        jobState: operateRoot.jobState
        depth: Math.round(toolColumn.depth)
        passes: operateRoot.jobRun.passes
        pass: operateRoot.jobRun.pass
        fontFamily: operateRoot.fontFamily
    }

    PassCount {
        id: passCount

        anchors.right: parent.right
        anchors.bottom: jobClocks.top
        anchors.margins: 20
        jobRun: operateRoot.jobRun
        fontFamily: operateRoot.fontFamily
    }

    PageStatus {
        id: pageStatus

        page: operateRoot
        area: carveFrame
        clocks: jobClocks
    }

    // The job an earlier run left unfinished, shown where it was placed.
    ResumeQuestion {
        jobRun: operateRoot.jobRun
        onTakenUp: {
            operateRoot.placePicture(x * carveFrame.scaleSize, y * carveFrame.scaleSize)
            operateRoot.shared.changeModel()
            operateRoot.infoView(qsTr("已载入未完成的雕刻，连接雕刻机后按开始继续……"))
        }
    }

    ZeroBurnQuestion {
        id: zeroBurnQuestion

        onStartAnyway: {
            operateRoot.zeroBurnAccepted = true
            operateRoot.startJob()
        }
    }

    Toast {
        id: infoRemind

        objectName: "carveinfoRemind"
        z: 10
        fontFamily: operateRoot.fontFamily
    }

    TrueSizeView {
        id: trueSizeView

        shared: operateRoot.shared
    }
}
