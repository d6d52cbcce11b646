import QtQuick 2.7
import "../common"

// The small grey captions of the window's bars and menu.
Text {
    color: Theme.caption
    font.family: Theme.fontFamily
    font.pixelSize: Theme.captionSize
    font.bold: true
}
