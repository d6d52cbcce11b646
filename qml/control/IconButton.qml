import QtQuick 2.7
import QtQuick.Controls 2.2
import "../common"

// A flat button showing one icon, scaled to fit. One that cannot act now
// fades out.
ToolButton {
    id: button

    property url iconSource

    padding: 2
    opacity: enabled ? 1 : Theme.disabledOpacity
    contentItem: Image {
        source: button.iconSource
        fillMode: Image.PreserveAspectFit
        smooth: true
    }
}
