import QtQuick 2.7
import QtQuick.Controls 2.0

// A tool button of the editing page: checkable, one of its column,
// highlighted while checked. One that cannot act now shows disabled.
Button {
    property url iconSource

    width: 32
    height: 44
    padding: 0
    topInset: 0
    bottomInset: 0
    checkable: true
    autoExclusive: true
    highlighted: checked
    hoverEnabled: true

    Image {
        anchors.centerIn: parent
        source: parent.iconSource
    }
}
