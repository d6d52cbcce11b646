import QtQuick 2.7
import QtQuick.Controls 2.0
import "."

// A switch drawn plainly: the style's knob needs OpenGL for its shadow.
Switch {
    id: flatSwitch

    indicator: Rectangle {
        x: flatSwitch.leftPadding
        y: (flatSwitch.height - height) / 2
        implicitWidth: 44
        implicitHeight: 22
        radius: 11
        color: flatSwitch.checked ? Theme.accent : Theme.softBorder

        Rectangle {
            x: flatSwitch.checked ? parent.width - width - 2 : 2
            y: 2
            width: 18
            height: 18
            radius: 9
            color: "white"
            border.width: 1
            border.color: flatSwitch.pressed ? Theme.accentDark : Theme.knobBorder

            Behavior on x {
                NumberAnimation { duration: 120 }
            }
        }
    }
}
