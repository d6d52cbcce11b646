import QtQuick 2.7
import Zan.DrawBoard 1.0
import ".."
import "../common"

// The pen's panel: the kind of stroke, one of four, and its size in pixels.
// As wide as its rows take.
BoardButtom {
    id: panel

    property string fontFamily: Theme.fontFamily
    property int penStyle: DrawBoard.Solid
    readonly property int penSize: Math.round(sizeRow.slider.value)

    width: Math.max(220, rows.implicitWidth + 2 * rows.anchors.margins)
    height: 100

    Column {
        id: rows

        anchors.fill: parent
        anchors.margins: 8
        spacing: 12

        Row {
            spacing: 8

            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("类型")
                font.family: panel.fontFamily
                font.pixelSize: Theme.textSize
            }

            Repeater {
                model: [
                    { "icon": "pen3", "style": DrawBoard.Solid, "tip": qsTr("实线") },
                    { "icon": "pen2", "style": DrawBoard.Fur, "tip": qsTr("毛刷：笔迹旁带细丝") },
                    { "icon": "pen1", "style": DrawBoard.RandomCircle, "tip": qsTr("随机圆圈") },
                    { "icon": "pen4", "style": DrawBoard.Net, "tip": qsTr("网状：笔迹之间连线") }
                ]

                ToolIconButton {
                    objectName: "pen_" + modelData.icon
                    width: 36
                    height: 48
                    checked: index === 0
                    iconSource: "qrc:/image/" + modelData.icon + ".png"
                    tip: modelData.tip
                    onClicked: panel.penStyle = modelData.style
                }
            }
        }

        LabelledSlider {
            id: sizeRow

            fontFamily: panel.fontFamily
            text: qsTr("大小")
            valueText: slider.value.toFixed(0)
            widestValue: "200"
            slider.objectName: "penSizeSlider"
            slider.width: 145
            slider.height: 20
            slider.from: 1
            slider.to: 200
            slider.stepSize: 1
            slider.value: 10
        }
    }
}
