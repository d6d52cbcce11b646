import QtQuick 2.7
import "../common/helpers.js" as Helpers

// The square the engraving area fills on the control page: the largest its
// parent has room for, clear of the tool column on the left and of the
// buttons and clocks on the right, with room above for the laser pin and a
// coordinate tag at the area's top edge, and below for the progress bar and
// its label. The area is scaled to it.
Item {
    // The widest the clocks of the right column get.
    property real clocksWidth: 0
    // What goes under the area: the progress bar and its label.
    property real belowHeight: 0

    // The tool column (32 wide at 20 from the edge), the buttons (80 with the
    // true-size button beside them) or the clocks, 16 clear of the area.
    readonly property real leftRoom: 20 + 32 + 16
    readonly property real rightRoom: 20 + Math.max(80, clocksWidth) + 16
    // The pin stands 32 above its tip; a tag is 18 high, 4 above a picture.
    readonly property real topRoom: 34
    readonly property real bottomRoom: 8 + belowHeight + 12
    readonly property real side: Helpers.fittedSide(parent.width, parent.height, leftRoom, rightRoom, topRoom,
                                                    bottomRoom, 200)

    x: leftRoom + (parent.width - leftRoom - rightRoom - width) / 2
    y: topRoom + (parent.height - topRoom - bottomRoom - height) / 2
    width: side
    height: side
}
