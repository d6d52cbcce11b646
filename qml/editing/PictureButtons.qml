import QtQuick 2.9

// Opening a picture, undo and redo, and the tone, right beside the looks.
Column {
    id: buttons

    // The editing page the buttons act on, its canvas and its tone panel (tone).
    property Item page: null
    property Item canvas: null
    property Item tone: null

    spacing: 6

    DrawnToolButton {
        objectName: "openButton"
        glyph: "open"
        enabled: !buttons.page.busy
        onClicked: buttons.page.openFileDialog()
    }

    DrawnToolButton {
        objectName: "undoButton"
        glyph: "undo"
        enabled: buttons.canvas.canUndo && !buttons.page.loadingFile
        onClicked: buttons.page.undo()
    }

    DrawnToolButton {
        objectName: "redoButton"
        glyph: "redo"
        enabled: buttons.canvas.canRedo && !buttons.page.loadingFile
        onClicked: buttons.page.redo()
    }

    // Shows its panel while it is checked, as the tools do, but keeps
    // the tool chosen on the left.
    DrawnToolButton {
        objectName: "toneButton"
        glyph: "tone"
        checkable: true
        onClicked: {
            if (checked)
                buttons.tone.onView()
        }
        onHoveredChanged: {
            if (checked)
                buttons.tone.onView()
        }
    }
}
