import QtQuick 2.7
import QtQuick.Controls 2.0
import "../common"

// A paragraph of a popup, wrapped to its width.
Label {
    width: parent.width
    wrapMode: Text.Wrap
    font.family: Theme.fontFamily
    font.pixelSize: Theme.textSize
    font.bold: true
}
