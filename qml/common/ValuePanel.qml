import QtQuick 2.7
import ".."

// A tool panel holding one labelled slider, such as the laser power or the
// eraser size: open from onView() until it is closed.
BoardButtom {
    id: panel

    property alias fontFamily: content.fontFamily
    property alias text: content.text
    property alias labelWidth: content.labelWidth
    property alias valueText: content.valueText
    property alias widestValue: content.widestValue
    property alias slider: content.slider
    // Where the row starts and the room between label and slider.
    property real inset: 6
    property alias spacing: content.spacing
    // How wide the row is: a panel may fit itself to it.
    property alias contentWidth: content.implicitWidth

    signal letGo(real position)

    LabelledSlider {
        id: content

        x: panel.inset
        anchors.verticalCenter: parent.verticalCenter
        onLetGo: panel.letGo(position)
    }
}
