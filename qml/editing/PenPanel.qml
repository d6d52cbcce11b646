import QtQuick 2.7
import Zan.DrawBoard 1.0
import ".."
import "../common"

// The pen's panel: the kind of stroke, one of four, and its size in pixels.
BoardButtom {
    id: panel

    property string fontFamily: Theme.fontFamily
    property int penStyle: DrawBoard.Solid
    readonly property int penSize: Math.round(sizeRow.slider.value)

    height: 100

    Column {
        anchors.fill: parent
        anchors.margins: 8
        spacing: 12

        Row {
            spacing: 8

            Text {
                width: 20
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("类型")
                font.family: panel.fontFamily
                font.pixelSize: Theme.textSize
            }

            Repeater {
                model: [
                    { "icon": "pen3", "style": DrawBoard.Solid },
                    { "icon": "pen2", "style": DrawBoard.Fur },
                    { "icon": "pen1", "style": DrawBoard.RandomCircle },
                    { "icon": "pen4", "style": DrawBoard.Net }
                ]

                ToolIconButton {
                    width: 36
                    height: 48
                    checked: index === 0
                    iconSource: "qrc:/image/" + modelData.icon + ".png"
                    onClicked: panel.penStyle = modelData.style
                }
            }
        }

        LabelledSlider {
            id: sizeRow

            fontFamily: panel.fontFamily
            labelWidth: 40
            text: qsTr("大小") + slider.value.toFixed(0)
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
