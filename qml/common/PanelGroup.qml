import QtQuick 2.9

// The tool panels of one page, of which one at most is open. A panel opens
// and closes itself (BoardButtom) and finds this group among the children
// of its ancestors, so the page only places the group: as its first child,
// filling it, where it lies under everything else. A click that nothing
// above takes, on the page's background, then closes the open panel; so
// does Escape while the page is on show.
Item {
    id: group

    // The page is on show: Escape acts.
    property bool active: true
    // Something besides the panels that Escape puts away (a crop under way):
    // once no panel is open, Escape asks for it through escaped().
    property bool escapeWanted: false
    // The panel open now, if any.
    readonly property Item current: d.current
    // Tells BoardButtom's search that this item is a group.
    readonly property bool isPanelGroup: true

    signal escaped()

    // Called by a panel as it opens: the one open before closes.
    function opening(panel) {
        if (d.current && d.current !== panel)
            d.current.close()
        d.current = panel
    }

    // Called by a panel as it closes.
    function closing(panel) {
        if (d.current === panel)
            d.current = null
    }

    function closeAll() {
        if (d.current)
            d.current.close()
    }

    QtObject {
        id: d

        property Item current: null
    }

    MouseArea {
        objectName: "pageBackground"
        anchors.fill: parent
        enabled: group.current !== null
        onPressed: group.closeAll()
    }

    Shortcut {
        sequence: "Escape"
        // A popup open over the page blocks this shortcut and takes Escape
        // for itself.
        enabled: group.active && (group.current !== null || group.escapeWanted)
        onActivated: {
            if (group.current)
                group.closeAll()
            else
                group.escaped()
        }
    }
}
