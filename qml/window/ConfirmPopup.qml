import QtQuick 2.7
import "../common"

// A question of the main window: a title, a text, a button that confirms
// and one that cancels (and closes). The texts come translated from the
// document that asks.
WindowPopup {
    id: popup

    property string title
    property string message
    property string confirmText
    property string cancelText
    property string confirmName
    property string cancelName

    signal confirm()

    Column {
        width: parent.width
        spacing: 20

        PopupText {
            text: popup.title
            font.pixelSize: Theme.titleSize
        }

        PopupText {
            text: popup.message
        }

        PopupButton {
            objectName: popup.confirmName
            text: popup.confirmText
            onClicked: popup.confirm()
        }

        PopupButton {
            objectName: popup.cancelName
            text: popup.cancelText
            onClicked: popup.close()
        }
    }
}
