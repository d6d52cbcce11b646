import QtQuick 2.9
import QtQuick.Window 2.2
import "../common/helpers.js" as Helpers

// The editing page's keys, only while the page is on show and never while
// the user types. Each key says what it asks for; the page acts on it.
Item {
    id: keys

    // The page is on show.
    property bool active: false
    // The canvas is busy: Save and export are not offered, as their buttons.
    property bool busy: false

    signal openRequested()
    signal pasteRequested()
    signal undoRequested()
    signal redoRequested()
    signal saveRequested()
    signal exportRequested()
    signal saveWorkRequested()
    signal openWorkRequested()
    signal finishRequested()

    // Asked here rather than in PageKey: an inline component does not see
    // the document's script imports.
    function typing() {
        return Helpers.takesText(Window.activeFocusItem)
    }

    // One key of the page: its action runs unless the user is typing.
    component PageKey: Shortcut {
        property var action

        enabled: keys.active
        onActivated: {
            if (!keys.typing())
                action()
        }
    }

    PageKey {
        sequence: StandardKey.Open
        action: function() { keys.openRequested() }
    }

    PageKey {
        sequences: [StandardKey.Paste]
        action: function() { keys.pasteRequested() }
    }

    PageKey {
        sequence: "Ctrl+Z"
        action: function() { keys.undoRequested() }
    }

    PageKey {
        sequences: ["Ctrl+Shift+Z", "Ctrl+Y"]
        action: function() { keys.redoRequested() }
    }

    PageKey {
        sequence: "Ctrl+S"
        action: function() {
            if (!keys.busy)
                keys.saveRequested()
        }
    }

    PageKey {
        sequence: "Ctrl+Shift+S"
        action: function() {
            if (!keys.busy)
                keys.exportRequested()
        }
    }

    PageKey {
        sequence: "Ctrl+Alt+S"
        action: function() {
            if (!keys.busy)
                keys.saveWorkRequested()
        }
    }

    PageKey {
        sequence: "Ctrl+Alt+O"
        action: function() { keys.openWorkRequested() }
    }

    // As the Done button, the confirmation during a job included.
    PageKey {
        sequences: ["Return", "Enter"]
        action: function() { keys.finishRequested() }
    }
}
