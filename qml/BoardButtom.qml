import QtQuick 2.7
import "common"

// A tool panel: it opens on onView() and stays open until it is closed,
// by close() or by its page (PanelGroup: another panel opening, Escape, a
// click on the page's background). A closed panel is not visible, so it
// takes no click meant for what lies under it.
Rectangle {
    id: boardButtom

    // Whether the panel is open; visible follows it.
    property bool open: false
    // The page's PanelGroup, found on first use.
    property Item group: null

    function findGroup() {
        for (var ancestor = parent; ancestor && !group; ancestor = ancestor.parent) {
            for (var i = 0; i < ancestor.children.length; ++i) {
                if (ancestor.children[i].isPanelGroup === true) {
                    group = ancestor.children[i]
                    break
                }
            }
        }
        return group
    }

    function onView() {
        if (findGroup())
            group.opening(boardButtom)
        open = true
    }

    function close() {
        open = false
        if (findGroup())
            group.closing(boardButtom)
    }

    function toggle() {
        if (open)
            close()
        else
            onView()
    }

    width: 220
    height: 40
    visible: open
    radius: 3
    border.width: 1
    border.color: Theme.line
    gradient: Theme.panelGradient

    // A click on the panel between its controls stays on the panel rather
    // than reaching the picture under it.
    MouseArea {
        anchors.fill: parent
    }
}
