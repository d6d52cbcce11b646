import QtQuick 2.7
import QtQuick.Window 2.2

// A window that closes itself, as a user closing the main window would.
Window {
    id: closing

    visible: true

    Timer {
        interval: 100
        running: true
        onTriggered: closing.close()
    }
}
