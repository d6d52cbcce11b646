import QtQuick 2.7
import "../common"

// One axis of a coordinate tag: its caption and the editable number, in
// millimetres with two decimals. What the user types stays in input.text
// until value changes again.
Row {
    id: axis

    property string caption
    // Said after the number.
    property string unit
    property real value: 0
    property string fontFamily: Theme.fontFamily
    property alias input: input

    spacing: 2

    Text {
        text: axis.caption
        color: "white"
        font.family: axis.fontFamily
        font.pixelSize: Theme.titleSize
    }

    TextInput {
        id: input

        width: Math.max(36, contentWidth + 2)
        color: "white"
        font.family: axis.fontFamily
        font.pixelSize: Theme.titleSize
        selectByMouse: true
        text: axis.value.toFixed(2)
    }

    Text {
        text: axis.unit
        color: "white"
        font.family: axis.fontFamily
        font.pixelSize: Theme.titleSize
    }
}
