import QtQuick 2.7

// The control page's keys, while they are on: arrows move the picture by
// 0.5 mm (with Shift 5 mm), Space plays or pauses. A focused laser marker
// takes the arrows for itself.
Item {
    id: keys

    // Whether the keys may act.
    property bool active: true

    // An arrow asks the picture to move by whole steps in a direction.
    signal stepped(int dx, int dy, int steps)
    // Space asks to play or pause.
    signal playPressed()

    Repeater {
        model: [
            { "keys": "Left", "dx": -1, "dy": 0, "steps": 1 },
            { "keys": "Right", "dx": 1, "dy": 0, "steps": 1 },
            { "keys": "Up", "dx": 0, "dy": -1, "steps": 1 },
            { "keys": "Down", "dx": 0, "dy": 1, "steps": 1 },
            { "keys": "Shift+Left", "dx": -1, "dy": 0, "steps": 10 },
            { "keys": "Shift+Right", "dx": 1, "dy": 0, "steps": 10 },
            { "keys": "Shift+Up", "dx": 0, "dy": -1, "steps": 10 },
            { "keys": "Shift+Down", "dx": 0, "dy": 1, "steps": 10 }
        ]

        Item {
            Shortcut {
                sequence: modelData.keys
                enabled: keys.active
                onActivated: keys.stepped(modelData.dx, modelData.dy, modelData.steps)
            }
        }
    }

    Shortcut {
        sequence: "Space"
        enabled: keys.active
        onActivated: keys.playPressed()
    }
}
