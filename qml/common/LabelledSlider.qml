import QtQuick 2.7
import QtQuick.Controls 2.0
import "."

// A label beside a slider, both centred on the row. Users bind the label's
// text and set the slider up through the slider alias; letGo tells where the
// slider was released, for settings too slow or too costly to follow a drag.
// The label is as wide as its text unless labelWidth sets it. A value shown
// apart (valueText) follows the label in the room its widest text takes
// (widestValue), so that the slider stays where it is as the value changes.
Row {
    id: row

    property string fontFamily: Theme.fontFamily
    property alias text: label.text
    property real labelWidth: -1
    property alias valueText: valueLabel.text
    property string widestValue: ""
    property alias slider: slider

    signal letGo(real position)

    spacing: 8

    Text {
        id: label

        width: row.labelWidth >= 0 ? row.labelWidth : implicitWidth
        anchors.verticalCenter: parent.verticalCenter
        font.family: row.fontFamily
        font.pixelSize: Theme.textSize
    }

    Text {
        id: valueLabel

        width: Math.max(implicitWidth, Math.ceil(widest.advanceWidth))
        visible: text !== ""
        anchors.verticalCenter: parent.verticalCenter
        font.family: row.fontFamily
        font.pixelSize: Theme.textSize
    }

    TextMetrics {
        id: widest

        font: valueLabel.font
        text: row.widestValue
    }

    Slider {
        id: slider

        anchors.verticalCenter: parent.verticalCenter
        onPressedChanged: {
            if (!pressed)
                row.letGo(position)
        }
    }
}
