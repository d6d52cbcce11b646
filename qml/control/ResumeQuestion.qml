import QtQuick 2.7
import "../window"

// Asked at start when the program, or the computer, stopped in the middle
// of a job: the job can be taken up again where the engraver left it, at
// the same place, or let go. Closing the question lets it go too.
ConfirmPopup {
    id: question

    // The page's JobRun: asked at once whether a job is left unfinished.
    property QtObject jobRun: null
    property bool answered: false

    // The job has been taken up and published, placed at (x, y) engraving
    // pixels; play continues it.
    signal takenUp(int x, int y)

    objectName: "resumeQuestion"
    title: qsTr("未完成的雕刻")
    message: qsTr("上次的雕刻在 %1% 处中断了。要在原来的位置继续雕刻吗？").arg(jobRun ? Math.floor(jobRun.resumeShare * 100) : 0)
    confirmText: qsTr("继续雕刻")
    cancelText: qsTr("放弃")
    confirmName: "resumeContinueButton"
    cancelName: "resumeDiscardButton"
    onOpened: answered = false
    onConfirm: {
        answered = true
        close()
        jobRun.takeUpJobLater()
    }
    onClosed: {
        if (!answered)
            jobRun.discardJob()
    }
    Component.onCompleted: {
        if (jobRun && jobRun.unfinishedJob())
            open()
    }

    // The job is read and its preview drawn off the window's thread.
    Connections {
        target: question.jobRun

        function onJobTakenUp(ok) {
            if (ok)
                question.takenUp(question.jobRun.resumeX, question.jobRun.resumeY)
        }
    }
}
