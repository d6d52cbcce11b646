import QtQuick 2.7
import "../common/helpers.js" as Helpers

// What the control page knows, said in three short parts for the window's
// status line: the link (not connected, searching, connected to which
// port), the engraver's state, and the job (its size and its times). It
// reads the page, its engraving area and its clocks; the line reads it
// whichever page is on show.
QtObject {
    property Item page: null
    property Item area: null
    property Item clocks: null
    readonly property QtObject controller: page ? page.controller : null

    // The link: up (as the engraver's handshake and goodbye say), a search
    // under way, the port it is up on, the engraver on it taking no bytes.
    readonly property bool connected: !!page && page.connected
    readonly property bool searching: !!controller && !!controller.searching
    readonly property string portName: controller && controller.portName ? controller.portName : ""
    readonly property bool silent: !!controller && !!controller.engraverSilent
    // The job on the engraver (the page's JobState), framing, and a running
    // job that has stopped asking for data.
    readonly property QtObject jobState: page ? page.jobState : null
    readonly property bool framing: !!page && page.framing
    readonly property bool stalled: !!page && page.jobStalled
    // The published job: its size in millimetres, the share sent, and its
    // times in seconds (-1 where there is none).
    readonly property bool published: !!area && area.pictureShown
    readonly property real widthMm: area ? area.pictureWidth * area.mmPerPix : 0
    readonly property real heightMm: area ? area.pictureHeight * area.mmPerPix : 0
    readonly property real progress: page ? page.jobProgress : 0
    readonly property bool endedWhole: !!clocks && clocks.endedWhole
    readonly property int elapsedSeconds: clocks ? clocks.elapsedSeconds : -1
    readonly property int estimateSeconds: clocks ? clocks.estimateSeconds : -1
    readonly property int leftSeconds: clocks ? clocks.leftSeconds : -1

    readonly property bool jobIdle: !jobState || jobState.idle

    readonly property string linkText: searching ? qsTr("正在查找雕刻机……")
        : !connected ? qsTr("未连接")
        : portName !== "" ? qsTr("已连接 %1").arg(portName)
        : qsTr("已连接")

    // Something the user must look at: the line shows it in its warning colour.
    readonly property bool stateAlert: (connected && silent) || stalled || (!!jobState && jobState.interrupted)

    readonly property string stateText: connected && silent ? qsTr("无响应：雕刻机不接收数据")
        : stalled ? qsTr("停滞：雕刻机不再请求数据")
        : !jobState ? ""
        : jobState.interrupted ? qsTr("已中断")
        : jobState.running ? qsTr("正在雕刻") + " " + Math.round(progress * 100) + "%"
        : jobState.paused ? qsTr("已暂停") + " " + Math.round(progress * 100) + "%"
        : framing ? qsTr("正在框定位")
        : connected ? qsTr("空闲")
        : ""

    readonly property string jobText: {
        if (!published)
            return qsTr("没有作业")
        var parts = [Helpers.millimetres(widthMm) + " × " + Helpers.millimetres(heightMm) + " mm"]
        if (!jobIdle) {
            parts.push(qsTr("剩余 %1").arg(Helpers.clockText(leftSeconds)))
        } else {
            if (endedWhole && elapsedSeconds >= 0)
                parts.push(qsTr("耗时 %1").arg(Helpers.clockText(elapsedSeconds)))
            if (estimateSeconds >= 0)
                parts.push(qsTr("预计 %1").arg(Helpers.clockText(estimateSeconds)))
        }
        return parts.join(" · ")
    }
}
