import QtQuick 2.9

// Opening a picture, undo and redo, and the tone, right beside the looks.
Column {
    id: buttons

    // The canvas (for what can be undone), the tone panel (tone), and
    // whether the page is busy or loading a file.
    property Item canvas: null
    property Item tone: null
    property bool busy: false
    property bool loadingFile: false

    signal openClicked()
    signal undoClicked()
    signal redoClicked()

    spacing: 6

    DrawnToolButton {
        objectName: "openButton"
        glyph: "open"
        enabled: !buttons.busy
        onClicked: buttons.openClicked()
    }

    DrawnToolButton {
        objectName: "undoButton"
        glyph: "undo"
        enabled: buttons.canvas.canUndo && !buttons.loadingFile
        onClicked: buttons.undoClicked()
    }

    DrawnToolButton {
        objectName: "redoButton"
        glyph: "redo"
        enabled: buttons.canvas.canRedo && !buttons.loadingFile
        onClicked: buttons.redoClicked()
    }

    // Opens and closes the tone panel, lit while it is open, and keeps
    // the tool chosen on the left.
    DrawnToolButton {
        objectName: "toneButton"
        glyph: "tone"
        highlighted: buttons.tone.open
        onClicked: buttons.tone.toggle()
    }
}
