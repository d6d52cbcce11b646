import QtQuick 2.7
import QtQuick.Controls 2.2
import "../common"

// A tool button of the editing page: checkable, one of its column,
// highlighted while checked. One that cannot act now shows disabled. Its
// tip says what it does, and its key where it has one, when the pointer
// rests on it.
Button {
    id: button

    property url iconSource
    property string tip
    // Where the tip shows: "right" or "left" of the button, beside a column
    // of them, else above it.
    property string tipSide

    width: 32
    height: 44
    padding: 0
    topInset: 0
    bottomInset: 0
    checkable: true
    autoExclusive: true
    highlighted: checked
    hoverEnabled: true

    Image {
        anchors.centerIn: parent
        source: parent.iconSource
    }

    ToolTip {
        objectName: "tip"
        x: button.tipSide === "right" ? button.width + 6 : button.tipSide === "left" ? -width - 6 : (button.width - width) / 2
        y: button.tipSide === "" ? -height - 4 : (button.height - height) / 2
        // Shown only while the pointer rests on the button, so nothing
        // else may close it (Escape, a press elsewhere); it goes with its
        // page, and at once: a tip still fading out takes the clicks under
        // it.
        visible: button.visible && button.hovered && button.tip !== ""
        closePolicy: Popup.NoAutoClose
        exit: null
        delay: Theme.tipDelay
        text: button.tip
        font.family: Theme.fontFamily
        font.pixelSize: Theme.textSize
    }
}
