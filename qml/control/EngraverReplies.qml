import QtQuick 2.7
import Zan.Engraver 1.0

// What the engraver and its link report, turned into the control page's
// state: the status replies (fan, power, depth, framing, the job started,
// paused or stopped), the job published, its progress, the link up or down,
// and the link's troubles, each said on the page's message line.
Item {
    id: replies

    // The control page, and its tool column, clocks and buttons.
    property Item page
    property Item tools
    property Item clocks
    property Item buttons

    function handle(cmd) {
        var value
        switch (EngraverProtocol.statusNumber(cmd)) {
        case EngraverProtocol.FanOn:
            page.infoView(qsTr("风扇已打开……"))
            break
        case EngraverProtocol.FanOff:
            page.infoView(qsTr("风扇已关闭……"))
            break
        case EngraverProtocol.LaserPower:
            value = EngraverProtocol.statusValue(cmd)
            if (!isNaN(value))
                tools.setLaserPower(value * 100)
            break
        case EngraverProtocol.Depth:
            value = EngraverProtocol.statusValue(cmd)
            if (!isNaN(value))
                tools.setDepth(value * 100)
            break
        case EngraverProtocol.FramingOn:
            page.framing = true
            page.infoView(qsTr("已经启动框定位……"))
            break
        case EngraverProtocol.FramingOff:
            page.framing = false
            page.infoView(qsTr("已经停止框定位……"))
            break
        case EngraverProtocol.Started:
            // Only a new job counts from zero: a paused or interrupted one
            // goes on from the time it has spent.
            if (page.jobState.idle) {
                clocks.resetElapsed()
                page.jobProgress = 0
            }
            page.jobState.engraverStarted()
            clocks.started()
            break
        case EngraverProtocol.Paused:
            // A pause reported with no job running changes nothing.
            if (page.jobState.engraverPaused())
                clocks.paused()
            break
        case EngraverProtocol.Stopped:
            // The end of a pass with more to come, or the engraver let go
            // for a job taken up: the run goes on.
            if (page.runDriver.stopReported(page.sentWhole())) {
                page.jobProgress = 0
                break
            }
            // Whether the whole job went out is read before the rewind sets
            // the send position back to the start.
            var ended = page.jobActive
            // A job sent whole reads 100 % until the next one; one cut short
            // goes back to 0.
            if (!page.jobState.idle) {
                var whole = page.sentWhole()
                clocks.stopped(whole)
                page.jobProgress = whole ? 1 : 0
            }
            page.rewindJob()
            page.jobState.engraverStopped()
            page.zeroBurnAccepted = false
            if (page.shared.beginStopFlag)
                page.shared.stopDone()
            if (ended)
                page.jobEnded()
            break
        default:
            break
        }
    }

    Connections {
        target: page.controller

        function onFinishedLoad(xmin, ymin, xmax, ymax) {
            page.publishJob(xmin, ymin, xmax, ymax)
            if (page.jobState.idle)
                page.jobProgress = 0
            if (page.jobBuffer)
                clocks.prepare(page.jobBuffer.size)
        }

        function onCompletePecent(pecent) {
            page.jobProgress = pecent
            clocks.progress(pecent)
        }

        function onToFrontStatus(cmd) {
            replies.handle(cmd)
        }

        function onIncludeBackStatus(type) {
            if (type === 10) {
                buttons.connected = true
                page.infoView(qsTr("连接成功……"))
            } else if (type === 11) {
                buttons.connected = false
                page.infoView(qsTr("已断开连接……"))
                page.linkLost()
            }
        }

        // The engraver has stopped taking bytes for a while: a loose cable
        // or a hung engraver. The link stays up; the user decides.
        function onWriteStalled() {
            page.infoView(qsTr("雕刻机没有接收数据，请检查连接……"))
        }

        // Connect found no engraver: say so, and what to look at. A device
        // the system would not let the program open is named, with the fix.
        function onEngraverNotFound(deniedPort) {
            if (deniedPort === "")
                page.infoView(qsTr("未找到雕刻机，请检查数据线和电源……"))
            else
                page.infoView(qsTr("没有权限打开 %1，请把用户加入 dialout 组后重新登录……").arg(deniedPort))
        }
    }
}
