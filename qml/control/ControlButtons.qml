import QtQuick 2.7
import QtQuick.Controls 2.2

// The right column of the control page: connect, and below it framing, play
// and stop, with the true-size view beside framing. The buttons only show
// the engraver's state and ask for commands; the page sends them.
Item {
    id: buttons

    // The link to the engraver is up.
    property alias connected: connectButton.connectFlag
    // The job on the engraver, the page's JobState (none: the idle look).
    property QtObject jobState: null
    readonly property bool jobActive: !!jobState && jobState.active
    readonly property bool jobRunning: !!jobState && jobState.running
    readonly property bool jobIdle: !jobState || jobState.idle
    // The engraver is framing the picture.
    property bool framing: false
    // A job has been published: it can be played and looked at.
    property bool imageLoaded: false

    signal connectClicked()
    signal frameClicked()
    signal playClicked()
    signal stopClicked()
    signal trueSizeClicked()

    width: connectButton.width

    LitIconButton {
        id: connectButton

        property bool connectFlag: false

        objectName: "connectButton"
        width: 45
        height: 57
        anchors.right: parent.right
        anchors.top: parent.top
        lit: connectFlag
        iconSource: "qrc:/image/usb.png"
        hoverEnabled: true
        onClicked: buttons.connectClicked()

        ToolTip {
            objectName: "tip"
            visible: parent.visible && parent.hovered
            delay: 500
            closePolicy: Popup.NoAutoClose
            exit: null
            text: connectButton.connectFlag ? qsTr("断开雕刻机") : qsTr("连接雕刻机")
        }
    }

    Column {
        id: buttonColumn

        anchors.top: connectButton.bottom
        anchors.topMargin: 24
        anchors.horizontalCenter: connectButton.horizontalCenter
        spacing: 10

        LitIconButton {
            id: locImageButton

            readonly property bool locImageFlag: buttons.framing

            objectName: "locImageButton"
            width: 40
            height: 52
            enabled: !buttons.jobActive
            lit: locImageFlag
            iconSource: "qrc:/image/target.png"
            hoverEnabled: true
            onClicked: buttons.frameClicked()

            ToolTip {
                objectName: "tip"
                visible: parent.visible && parent.hovered
                delay: 500
                closePolicy: Popup.NoAutoClose
                exit: null
                text: qsTr("定位：激光沿图片的外框走一圈")
            }
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
                anchors.topMargin: buttons.jobIdle ? 0 : 60
                width: parent.width
                height: parent.height
                rotation: buttons.jobRunning ? 90 : 0
                background: Item {}
                iconSource: "qrc:/image/stop.png"
                hoverEnabled: true
                onClicked: buttons.stopClicked()

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

                ToolTip {
                    objectName: "tip"
                    visible: parent.visible && parent.hovered
                    delay: 500
                    closePolicy: Popup.NoAutoClose
                    exit: null
                    text: qsTr("停止雕刻")
                }
            }

            LitIconButton {
                id: playButton

                // Play is offered (rather than pause) whenever no job is running.
                readonly property bool toggle: !buttons.jobRunning
                readonly property bool imageLoaded: buttons.imageLoaded

                objectName: "playButton"
                anchors.fill: parent
                restColor: "white"
                iconSource: toggle ? "qrc:/image/play.png" : "qrc:/image/pause.png"
                hoverEnabled: true
                onClicked: buttons.playClicked()

                ToolTip {
                    objectName: "tip"
                    visible: parent.visible && parent.hovered
                    delay: 500
                    closePolicy: Popup.NoAutoClose
                    exit: null
                    text: playButton.toggle ? qsTr("开始雕刻（空格）") : qsTr("暂停雕刻（空格）")
                }
            }
        }
    }

    // The job at true size, beside framing, offered once there is a job to
    // show.
    IconButton {
        objectName: "trueSizeButton"
        width: 28
        height: 36
        anchors.right: buttonColumn.left
        anchors.rightMargin: 8
        y: buttonColumn.y + locImageButton.y + (locImageButton.height - height) / 2
        enabled: playButton.imageLoaded
        iconSource: "qrc:/image/zoom.png"
        hoverEnabled: true
        onClicked: buttons.trueSizeClicked()

        ToolTip {
            objectName: "tip"
            visible: parent.visible && parent.hovered
            delay: 500
            closePolicy: Popup.NoAutoClose
            exit: null
            text: qsTr("按实际大小查看要雕刻的点")
        }
    }
}
