import QtQuick 2.9

// A tool with a panel. A click that takes the tool up opens the panel and
// tells the page through chosen(); a click on the tool already chosen opens
// or closes its panel. Each click that opens the panel tells shown().
// Putting the tool down closes the panel. The pointer passing over the
// button changes nothing.
ToolIconButton {
    id: tool

    property Item panel

    signal chosen()
    signal shown()

    onToggled: {
        if (checked)
            chosen()
    }
    onClicked: {
        if (!panel)
            return
        panel.toggle()
        if (panel.open)
            shown()
    }
    onCheckedChanged: {
        if (!checked && panel)
            panel.close()
    }
}
