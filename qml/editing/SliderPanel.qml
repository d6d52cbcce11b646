import QtQuick 2.9
import "../common"

// A tool panel of one slider, the eraser's size or the zoom.
ValuePanel {
    spacing: 10
    labelWidth: 40
    slider.width: width - 50
    slider.height: 28
}
