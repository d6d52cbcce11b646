import QtQuick 2.7

// The zoom tool on the board, filling the frame: dragging moves the frame,
// no further than half of it past the page's edges; the wheel zooms by 0.05
// a notch through the zoom slider, which keeps the zoom in its range; a
// double-click shows the picture at its own size, in place.
MouseArea {
    id: area

    property Item frame: null
    property Item page: null
    property Item zoomSlider: null

    hoverEnabled: true
    drag.target: frame
    drag.minimumX: frame ? -frame.width * 0.5 : 0
    drag.maximumX: frame && page ? page.width - frame.width * 0.5 : 0
    drag.minimumY: frame ? -frame.height * 0.5 : 0
    drag.maximumY: frame && page ? page.height - frame.height * 0.5 : 0
    onWheel: zoomSlider.value += wheel.angleDelta.y / 120 / 20
    onDoubleClicked: {
        zoomSlider.value = 1
        frame.scale = 1
    }
}
