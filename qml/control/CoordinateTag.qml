import QtQuick 2.7
import "../common"

// A place in millimetres over the engraving area, "x: … mm y: … mm", each
// number editable: see AxisField.
Rectangle {
    id: tag

    property string fontFamily: Theme.fontFamily
    property alias xValue: xAxis.value
    property alias yValue: yAxis.value
    property alias xField: xAxis.input
    property alias yField: yAxis.input

    width: row.width + 6
    height: 18
    color: Theme.tag

    Row {
        id: row

        x: 3
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8

        AxisField {
            id: xAxis

            caption: "x:"
            unit: "mm"
            fontFamily: tag.fontFamily
        }

        AxisField {
            id: yAxis

            caption: "y:"
            unit: "mm"
            fontFamily: tag.fontFamily
        }
    }
}
