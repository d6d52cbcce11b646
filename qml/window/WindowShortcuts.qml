import QtQuick 2.7

// The main window's own keys: Ctrl+1 and Ctrl+2 show the pages, as their
// menu entries do, and Ctrl+Q closes the window.
Item {
    id: windowShortcuts

    // The menu entry at index was asked for.
    signal menuRequested(int index)
    // The window was asked to close.
    signal closeRequested()

    Shortcut {
        sequence: "Ctrl+1"
        onActivated: windowShortcuts.menuRequested(0)
    }

    Shortcut {
        sequence: "Ctrl+2"
        onActivated: windowShortcuts.menuRequested(1)
    }

    Shortcut {
        sequence: "Ctrl+Q"
        onActivated: windowShortcuts.closeRequested()
    }
}
