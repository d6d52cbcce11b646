import QtQuick 2.7

// Asked when the window is closed during a job: quitting stops it. Once the
// user confirms, the engraver is told to stop and let go, and quitReady
// follows when the link is closed. Should the controller never say so, the
// fallback follows anyway: quitting must not hang on an engraver that has
// gone silent.
ConfirmPopup {
    id: quitDialog

    // The engraver controller that is told to stop.
    property QtObject controller
    // The user confirmed quitting during a job: the next close goes through.
    property bool confirmed: false

    // The window may close now.
    signal quitReady()

    function quitStoppingJob() {
        close()
        if (confirmed)
            return
        confirmed = true
        quitFallback.start()
        controller.stopAndDisconnect()
    }

    function finishQuit() {
        quitFallback.stop()
        quitReady()
    }

    title: qsTr("提示")
    message: qsTr("正在雕刻，退出将停止雕刻。确定退出吗？")
    confirmText: qsTr("退出")
    cancelText: qsTr("取消")
    confirmName: "quitOkButton"
    cancelName: "quitCancelButton"
    onConfirm: quitStoppingJob()

    Connections {
        target: quitDialog.controller

        function onLinkClosed() {
            if (quitDialog.confirmed)
                quitDialog.finishQuit()
        }
    }

    Timer {
        id: quitFallback

        objectName: "quitFallback"
        interval: 4000
        onTriggered: quitDialog.finishQuit()
    }
}
