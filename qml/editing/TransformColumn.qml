import QtQuick 2.9
import Zan.DrawBoard 1.0

// Turns, mirrors and the negative: one click, one run, asked for through
// transformRequested().
Column {
    id: column

    // While the canvas is busy no run is offered.
    property bool busy: false

    signal transformRequested(int algorithm, real para)

    spacing: 6

    Repeater {
        model: [
            { "name": "rotate", "icon": "spin", "algorithm": DrawBoard.Rotate, "para": 90,
              "tip": qsTr("顺时针旋转 90°") },
            { "name": "mirrorH", "icon": "mirrorH", "algorithm": DrawBoard.HMirror, "para": 0,
              "tip": qsTr("左右镜像") },
            { "name": "mirrorV", "icon": "mirrorV", "algorithm": DrawBoard.VMirror, "para": 0,
              "tip": qsTr("上下镜像") },
            { "name": "negative", "icon": "negative", "algorithm": DrawBoard.Negative, "para": 0,
              "tip": qsTr("反相：黑变白，白变黑") }
        ]

        ToolIconButton {
            objectName: modelData.name
            checkable: false
            autoExclusive: false
            enabled: !column.busy
            iconSource: "qrc:/image/" + modelData.icon + ".png"
            tip: modelData.tip
            tipSide: "right"
            onClicked: column.transformRequested(modelData.algorithm, modelData.para)
        }
    }
}
