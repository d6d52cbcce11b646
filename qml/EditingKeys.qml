import QtQuick 2.9

// The editing page's keys, only while the page is on show and never while
// the user types (see the page's typing()).
Item {
    id: keys

    // The editing page the keys act on.
    property Item page: null

    Shortcut {
        enabled: keys.page && keys.page.visible
        sequence: StandardKey.Open
        onActivated: {
            if (!keys.page.typing())
                keys.page.openFileDialog()
        }
    }

    Shortcut {
        enabled: keys.page && keys.page.visible
        sequences: [StandardKey.Paste]
        onActivated: {
            if (!keys.page.typing())
                keys.page.pasteClipboard()
        }
    }

    Shortcut {
        enabled: keys.page && keys.page.visible
        sequence: "Ctrl+Z"
        onActivated: {
            if (!keys.page.typing())
                keys.page.undo()
        }
    }

    Shortcut {
        enabled: keys.page && keys.page.visible
        sequences: ["Ctrl+Shift+Z", "Ctrl+Y"]
        onActivated: {
            if (!keys.page.typing())
                keys.page.redo()
        }
    }

    // As the Save button, which is not offered while busy.
    Shortcut {
        enabled: keys.page && keys.page.visible
        sequence: "Ctrl+S"
        onActivated: {
            if (!keys.page.typing() && !keys.page.busy)
                keys.page.savePicture()
        }
    }

    // As the Done button, the confirmation during a job included.
    Shortcut {
        enabled: keys.page && keys.page.visible
        sequences: ["Return", "Enter"]
        onActivated: {
            if (!keys.page.typing())
                keys.page.finish()
        }
    }
}
