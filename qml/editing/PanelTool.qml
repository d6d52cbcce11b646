import QtQuick 2.9

// A tool with a panel: while it is checked, the pointer coming onto it or
// leaving it shows the panel and tells the page through shown().
ToolIconButton {
    id: tool

    property Item panel

    signal shown()

    onHoveredChanged: {
        if (!checked)
            return
        if (panel)
            panel.onView()
        shown()
    }
}
