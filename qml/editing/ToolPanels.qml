import QtQuick 2.9
import "../common"

// The panels of the editing page's tools, right of the tool column: the pen,
// the eraser's size, the text, the zoom and the picture's size. Each opens
// by its own tool and stays open until closed; the zoom tells its new scale
// through hint().
Item {
    id: panels

    property string fontFamily: Theme.fontFamily
    // The frame the zoom scales and the picture's size follows, the canvas
    // the size panel resizes, and whether that canvas is busy.
    property Item frame: null
    property Item canvas: null
    property bool busy: false
    property alias penPanel: penPanel
    property alias rubberStyle: rubberStyle
    property alias textPanel: textPanel
    property alias zoomStyle: zoomStyle
    property alias adjustScaleStyle: adjustScaleStyle

    // A tip, translated, for the page to show.
    signal hint(string text)

    PenPanel {
        id: penPanel

        objectName: "penStyle"
        y: 5
        fontFamily: panels.fontFamily
    }

    SliderPanel {
        id: rubberStyle

        objectName: "rubberStyle"
        y: 54
        fontFamily: panels.fontFamily
        text: qsTr("橡皮")
        valueText: slider.value.toFixed(0)
        widestValue: "200"
        slider.objectName: "rubberSlider"
        slider.from: 1
        slider.to: 200
        slider.stepSize: 1
        slider.value: 10
    }

    TextPanel {
        id: textPanel

        objectName: "textStyle"
        y: 102
        fontFamily: panels.fontFamily
    }

    SliderPanel {
        id: zoomStyle

        objectName: "zoomStyle"
        y: 152
        fontFamily: panels.fontFamily
        text: qsTr("缩放")
        valueText: slider.value.toFixed(1)
        widestValue: "2.0"
        slider.objectName: "zoomSlider"
        slider.from: 0.1
        slider.to: 2
        slider.stepSize: 0.05
        slider.value: 1
        slider.onValueChanged: {
            if (panels.frame)
                panels.frame.scale = zoomStyle.slider.value
            panels.hint(qsTr("缩放比例 ") + zoomStyle.slider.value.toFixed(1))
        }
    }

    SizePanel {
        id: adjustScaleStyle

        objectName: "adjustScaleStyle"
        y: 252
        fontFamily: panels.fontFamily
        frameWidth: panels.frame ? panels.frame.width : 0
        frameHeight: panels.frame ? panels.frame.height : 0
        busy: panels.busy
        onResizeRequested: {
            if (!panels.busy)
                panels.canvas.adjustImageScale(widthMm, heightMm, keepRatio)
        }
    }
}
