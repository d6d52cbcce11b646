import QtQuick 2.7
import QtQuick.Controls 2.2
import "../common"

// How many times a job is burned in a row, for depth: the same job at the
// same place, each pass starting when the engraver reports the end of the
// one before. While a run is on, which pass it is at.
Column {
    id: passCount

    // The page's JobRun.
    property QtObject jobRun: null
    property string fontFamily: Theme.fontFamily

    spacing: 2

    Row {
        spacing: 6

        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("遍数")
            font.family: passCount.fontFamily
            font.pixelSize: Theme.textSize
            color: Theme.ink
        }

        SpinBox {
            id: spin

            objectName: "passesSpin"
            from: 1
            to: 20
            value: passCount.jobRun ? passCount.jobRun.passes : 1
            // The passes of a run are fixed once it has started.
            enabled: !!passCount.jobRun && !passCount.jobRun.active && !passCount.jobRun.resumePending
            hoverEnabled: true
            font.family: passCount.fontFamily
            font.pixelSize: Theme.textSize
            onValueModified: {
                if (passCount.jobRun)
                    passCount.jobRun.passes = value
            }

            ToolTip {
                objectName: "tip"
                visible: spin.hovered
                delay: 500
                closePolicy: Popup.NoAutoClose
                exit: null
                text: qsTr("同一图案在同一位置连续雕刻的遍数（1–20），遍数越多烧得越深")
            }
        }
    }

    Text {
        objectName: "passLabel"
        visible: !!passCount.jobRun && passCount.jobRun.active && passCount.jobRun.passes > 1
        text: passCount.jobRun ? qsTr("第 %1 遍，共 %2 遍").arg(passCount.jobRun.pass).arg(passCount.jobRun.passes) : ""
        font.family: passCount.fontFamily
        font.pixelSize: Theme.captionSize
        color: Theme.caption
    }
}
