import QtQuick 2.7
import "../common"

// On the engraving area, over the picture: where each copy of the grid will
// burn (the job's burned area, stepped), and the whole grid in the warning
// colour when it leaves the area. Set to the area's units by the page.
Item {
    id: outlines

    // Engraving pixels to the area's units.
    property real scaleSize: 1
    // Where the picture's top-left corner lies on the area, in its units.
    property real pictureX: 0
    property real pictureY: 0
    property int columns: 1
    property int rows: 1
    // The job's burned area in engraving pixels of its picture, and the
    // step from one copy to the next.
    property rect burned: Qt.rect(0, 0, 0, 0)
    property int stepX: 0
    property int stepY: 0
    property bool fits: true

    visible: columns * rows > 1 && burned.width > 0

    Repeater {
        model: outlines.visible ? outlines.columns * outlines.rows : 0

        Rectangle {
            objectName: "copyOutline"
            x: outlines.pictureX + (outlines.burned.x + (index % outlines.columns) * outlines.stepX) * outlines.scaleSize
            y: outlines.pictureY + (outlines.burned.y + Math.floor(index / outlines.columns) * outlines.stepY) * outlines.scaleSize
            width: outlines.burned.width * outlines.scaleSize
            height: outlines.burned.height * outlines.scaleSize
            color: index === 0 ? "transparent" : "#1A8BC34A"
            border.width: 1
            border.color: outlines.fits ? Theme.accentDark : Theme.warning
        }
    }
}
