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
            { "name": "rotate", "icon": "spin", "algorithm": DrawBoard.Rotate, "para": 90 },
            { "name": "mirrorH", "icon": "mirrorH", "algorithm": DrawBoard.HMirror, "para": 0 },
            { "name": "mirrorV", "icon": "mirrorV", "algorithm": DrawBoard.VMirror, "para": 0 },
            { "name": "negative", "icon": "negative", "algorithm": DrawBoard.Negative, "para": 0 }
        ]

        ToolIconButton {
            objectName: modelData.name
            checkable: false
            autoExclusive: false
            enabled: !column.busy
            iconSource: "qrc:/image/" + modelData.icon + ".png"
            onClicked: column.transformRequested(modelData.algorithm, modelData.para)
        }
    }
}
