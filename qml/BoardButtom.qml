import QtQuick 2.7
import "common"

// A tool panel that shows itself on onView() and fades away on its own:
// 500 ms after it was shown, or 100 ms after the pointer left it across its
// edge. It stays fully visible while the pointer is over it.
Rectangle {
    id: boardButtom

    // Last pointer position inside the panel, to tell a leave across the
    // edge from a leave onto one of the user's controls inside it.
    property real lastMouseX: 0
    property real lastMouseY: 0

    function onView() {
        if (fadeAnimation.running)
            fadeAnimation.stop()
        opacity = 1
        visible = true
        fadeCountdown.interval = 500
        fadeCountdown.restart()
    }

    width: 220
    height: 40
    visible: false
    opacity: 0
    radius: 3
    border.width: 1
    border.color: Theme.line
    gradient: Theme.panelGradient

    Timer {
        id: fadeCountdown

        interval: 500
        repeat: false
        onTriggered: {
            // A fade paused by the pointer is started afresh from full opacity.
            if (fadeAnimation.running)
                fadeAnimation.stop()
            fadeAnimation.start()
        }
    }

    NumberAnimation {
        id: fadeAnimation

        target: boardButtom
        property: "opacity"
        to: 0
        duration: 300
        onRunningChanged: {
            if (running)
                boardButtom.visible = true
        }
        // Stopped early (pointer came back, onView) the panel stays; only a
        // finished fade hides it.
        onStopped: {
            if (boardButtom.opacity <= 0)
                boardButtom.visible = false
        }
    }

    MouseArea {
        id: boardArea

        anchors.fill: parent
        hoverEnabled: true
        onEntered: {
            // A pointer may jump straight onto a control inside without a
            // move in between: its entry point counts as the last position.
            boardButtom.lastMouseX = mouseX
            boardButtom.lastMouseY = mouseY
            boardButtom.opacity = 1
            if (fadeAnimation.running)
                fadeAnimation.pause()
            fadeCountdown.stop()
        }
        onPositionChanged: {
            boardButtom.lastMouseX = mouse.x
            boardButtom.lastMouseY = mouse.y
        }
        onExited: {
            var nearEdge = boardButtom.lastMouseX < 18 || boardButtom.lastMouseX > boardButtom.width - 18
                    || boardButtom.lastMouseY < 15 || boardButtom.lastMouseY > boardButtom.height - 15
            if (nearEdge) {
                fadeCountdown.interval = 100
                fadeCountdown.restart()
            }
        }
    }
}
