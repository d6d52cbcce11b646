import QtQuick 2.9
import "../common"

// A tool panel of one slider, the eraser's size or the zoom, as wide as its
// name, its value and the slider take.
ValuePanel {
    width: contentWidth + 2 * inset
    slider.width: 145
    slider.height: 28
}
