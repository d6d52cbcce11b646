import QtQuick 2.7
import "../window"

// Asked before a job starts with the laser power or the depth at 0: the
// engraver would go over the whole job and burn nothing. The user may know
// better (the engraver keeps a power the page was never told of), so the
// job can still be started.
ConfirmPopup {
    id: question

    property bool laserOff: false
    property bool depthOff: false

    // The user chose to start all the same.
    signal startAnyway()

    // Asks about the settings given; true when there is something to ask.
    function ask(laserAtZero, depthAtZero) {
        if (!laserAtZero && !depthAtZero)
            return false
        laserOff = laserAtZero
        depthOff = depthAtZero
        open()
        return true
    }

    objectName: "zeroBurnQuestion"
    title: qsTr("提示")
    message: laserOff && depthOff ? qsTr("激光功率和雕刻深度都为 0，什么也不会烧出来。仍然开始吗？")
        : laserOff ? qsTr("激光功率为 0，什么也不会烧出来。仍然开始吗？")
        : qsTr("雕刻深度为 0，什么也不会烧出来。仍然开始吗？")
    confirmText: qsTr("仍然开始")
    cancelText: qsTr("取消")
    confirmName: "zeroBurnStartButton"
    cancelName: "zeroBurnCancelButton"
    onConfirm: {
        close()
        startAnyway()
    }
}
