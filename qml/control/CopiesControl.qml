import QtQuick 2.7
import Zan.Engraver 1.0
import "../common"

// Copies and touch-up on the control page: the buttons and the copies panel
// (placed by the page), the copies' outlines and the touch-up over the
// engraving area. A job started from its beginning goes out as the grid of
// copies (prepareStart); the touch-up burns part of the job burned last,
// started where that job was.
CopiesTools {
    id: control

    // The control page, its engraving area and the published job.
    property Item page: null
    property Item area: null
    property QtObject jobBuffer: null
    // The grid, the single job and the job burned last.
    readonly property JobLayout layout: JobLayout {
        jobBuffer: control.jobBuffer
        columns: control.columns
        rows: control.rows
        gap: control.gap
    }

    // How far the grid reaches beyond the first copy, in engraving pixels.
    readonly property int extraWidth: (columns - 1) * layout.stepX
    readonly property int extraHeight: (rows - 1) * layout.stepY

    // The picture's top-left corner on the area, in whole engraving pixels,
    // as the start command sends it.
    function startX() {
        return Math.round(area.pictureLeft())
    }

    function startY() {
        return Math.round(area.pictureTop())
    }

    // Before a job starts from its beginning: whether the grid fits on the
    // area where the picture is; the page is told what would when not.
    function checkFits() {
        var x = startX(), y = startY()
        if (layout.fits(x, y))
            return true
        page.infoView(qsTr("副本放不下：在此位置最多可排 %1 列 × %2 行")
                      .arg(layout.fittingColumns(x, y)).arg(layout.fittingRows(x, y)))
        return false
    }

    // The job is about to start from its beginning: the buffer gets the grid
    // (or the single picture). False when it does not fit.
    function prepareStart() {
        touchingUp = false
        return checkFits() && layout.prepareStart(startX(), startY())
    }

    function toggleTouchUp() {
        if (touchingUp) {
            touchingUp = false
            return
        }
        if (!layout.hasLastJob || !page.jobState.idle)
            return
        if (page.framing) {
            page.infoView(qsTr("正在框定位，请先停止框定位再开始打印……"))
            return
        }
        touchingUp = true
    }

    // Burns the last job's pixels inside the rectangle (engraving pixels of
    // the area) where they were burned, with the power and depth now set.
    function burnTouchUp(x, y, width, height) {
        if (!page.connected) {
            page.infoView(qsTr("雕刻机未连接，请先点击连接按钮……"))
            return
        }
        if (page.framing) {
            page.infoView(qsTr("正在框定位，请先停止框定位再开始打印……"))
            return
        }
        if (!page.jobState.idle)
            return
        if (layout.prepareTouchUp(x, y, width, height) === 0) {
            page.infoView(qsTr("框选的区域里没有上次雕刻的像素"))
            return
        }
        touchingUp = false
        page.rewindJob()
        page.send(EngraverProtocol.startCommand(layout.lastStart.x, layout.lastStart.y,
                                                page.shared.readCarveMode()))
    }

    touchUpAvailable: layout.hasLastJob && !!page && page.jobState.idle
    onTouchUpClicked: toggleTouchUp()

    // Leaves the touch-up when a job is under way again.
    onTouchUpAvailableChanged: {
        if (!touchUpAvailable)
            touchingUp = false
    }

    CopiesOutlines {
        parent: control.area
        anchors.fill: parent
        scaleSize: control.area ? control.area.scaleSize : 1
        // The picture sits inside its frame's 2-unit border.
        pictureX: control.area ? control.area.pictureX + 2 : 0
        pictureY: control.area ? control.area.pictureY + 2 : 0
        columns: control.columns
        rows: control.rows
        burned: control.layout.burned
        stepX: control.layout.stepX
        stepY: control.layout.stepY
        // Read again whenever the grid, the job or the place changes.
        fits: control.area && control.layout.stepX + control.layout.stepY + control.columns + control.rows > 0
              ? control.layout.fits(Math.round(control.area.pictureX / control.area.scaleSize),
                                    Math.round(control.area.pictureY / control.area.scaleSize))
              : true
    }

    TouchUpOverlay {
        objectName: "touchUpOverlay"
        parent: control.area
        anchors.fill: parent
        z: 20
        active: control.touchingUp
        fontFamily: control.fontFamily
        scaleSize: control.area ? control.area.scaleSize : 1
        lastArea: control.layout.lastArea
        onBurnClicked: control.burnTouchUp(x, y, width, height)
        onCancelled: control.touchingUp = false
    }
}
