import QtQuick 2.7
import QtQuick.Controls 2.2
import "../common"

// The upload's progress under the engraving area: the bar, and below it
// "完成度" with the percentage, which moves along with the bar's end but
// never past either end of it. A job that has ended whole reads 100 %.
Item {
    id: progress

    property string fontFamily: Theme.fontFamily
    property alias value: carveProgress.value

    implicitHeight: carveProgress.height + 2 + progressLabel.height

    ProgressBar {
        id: carveProgress

        objectName: "carveProgress"
        width: parent.width
        from: 0
        to: 1
        value: 0
    }

    Text {
        id: progressLabel

        objectName: "progressLabel"
        x: Math.max(0, Math.min(carveProgress.visualPosition * carveProgress.width - width / 2,
                                carveProgress.width - width))
        y: carveProgress.height + 2
        text: qsTr("完成度") + Math.round(carveProgress.value * 100) + "%"
        font.family: progress.fontFamily
        font.pixelSize: Theme.captionSize
        color: Theme.ink
    }
}
