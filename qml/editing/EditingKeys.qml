import QtQuick 2.9

// The editing page's keys, only while the page is on show and never while
// the user types (see the page's typing()).
Item {
    id: keys

    // The editing page the keys act on.
    property Item page: null

    // One key of the page: its action runs unless the user is typing.
    component PageKey: Shortcut {
        property var action

        enabled: keys.page && keys.page.visible
        onActivated: {
            if (!keys.page.typing())
                action()
        }
    }

    PageKey {
        sequence: StandardKey.Open
        action: function() { keys.page.openFileDialog() }
    }

    PageKey {
        sequences: [StandardKey.Paste]
        action: function() { keys.page.pasteClipboard() }
    }

    PageKey {
        sequence: "Ctrl+Z"
        action: function() { keys.page.undo() }
    }

    PageKey {
        sequences: ["Ctrl+Shift+Z", "Ctrl+Y"]
        action: function() { keys.page.redo() }
    }

    // As the Save button, which is not offered while busy.
    PageKey {
        sequence: "Ctrl+S"
        action: function() {
            if (!keys.page.busy)
                keys.page.savePicture()
        }
    }

    // As the Done button, the confirmation during a job included.
    PageKey {
        sequences: ["Return", "Enter"]
        action: function() { keys.page.finish() }
    }
}
