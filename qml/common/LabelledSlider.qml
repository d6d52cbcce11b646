import QtQuick 2.7
import QtQuick.Controls 2.0
import "."

// A label beside a slider, both centred on the row. Users bind the label's
// text and set the slider up through the slider alias; letGo tells where the
// slider was released, for settings too slow or too costly to follow a drag.
Row {
    id: row

    property string fontFamily: Theme.fontFamily
    property alias text: label.text
    property alias labelWidth: label.width
    property alias slider: slider

    signal letGo(real position)

    spacing: 8

    Text {
        id: label

        anchors.verticalCenter: parent.verticalCenter
        font.family: row.fontFamily
        font.pixelSize: Theme.textSize
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
