import QtQuick 2.7
import QtQuick.Layouts 1.1
import ".."
import "../common"

// The text tool's panel: the size of the text and its font, the font list
// wide enough for most names of families.
BoardButtom {
    id: panel

    property string fontFamily: Theme.fontFamily
    // The size as the slider shows it, from 8 at its left end.
    property int textSize: 12
    readonly property alias textFont: fontList.listFontFamily

    width: 240
    height: 280

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 8
        spacing: 8

        LabelledSlider {
            id: sizeRow

            fontFamily: panel.fontFamily
            text: qsTr("大小")
            valueText: panel.textSize
            widestValue: "200"
            slider.objectName: "textSizeSlider"
            slider.width: 145
            slider.height: 20
            slider.from: 8
            slider.to: 200
            slider.stepSize: 1
            slider.value: 12
            slider.onPositionChanged: panel.textSize = Math.round(sizeRow.slider.visualPosition
                                                                  * (sizeRow.slider.to - sizeRow.slider.from)) + 8
        }

        FontList {
            id: fontList

            objectName: "textFontList"
            fontFamily: panel.fontFamily
            Layout.preferredWidth: 220
            Layout.preferredHeight: 220
            Layout.alignment: Qt.AlignHCenter
        }
    }
}
