import QtQuick 2.7
import "../common"

// The status line in the window's header, whichever page is on show: the
// link, the engraver's state and the job, from the control page's status.
// Each part keeps its whole text; only the job's, the last, gives way
// (elided) on a window too narrow for the three.
Item {
    id: line

    // The control page's PageStatus; null shows nothing.
    property QtObject status: null
    readonly property string linkText: status ? status.linkText : ""
    readonly property string stateText: status ? status.stateText : ""
    readonly property string jobText: status ? status.jobText : ""
    // The whole line as one text.
    readonly property string text: [linkText, stateText, jobText].filter(function(part) {
        return part !== ""
    }).join(separator)
    // The width the line needs to show every part whole.
    readonly property real naturalWidth: linkCaption.implicitWidth + stateCaption.implicitWidth
                                         + jobCaption.implicitWidth
                                         + (stateCaption.visible ? stateGap.implicitWidth : 0)
                                         + (jobCaption.visible ? jobGap.implicitWidth : 0)
    readonly property bool fits: naturalWidth <= width
    readonly property string separator: "  ·  "

    clip: true

    Row {
        height: parent.height

        Caption {
            id: linkCaption

            objectName: "statusLink"
            anchors.verticalCenter: parent.verticalCenter
            color: Theme.statusText
            text: line.linkText
        }

        Caption {
            id: stateGap

            anchors.verticalCenter: parent.verticalCenter
            visible: stateCaption.visible
            text: line.separator
        }

        Caption {
            id: stateCaption

            objectName: "statusState"
            anchors.verticalCenter: parent.verticalCenter
            visible: text !== ""
            color: line.status && line.status.stateAlert ? Theme.statusAlert : Theme.statusText
            text: line.stateText
        }

        Caption {
            id: jobGap

            anchors.verticalCenter: parent.verticalCenter
            visible: jobCaption.visible
            text: line.separator
        }

        Caption {
            id: jobCaption

            objectName: "statusJob"
            anchors.verticalCenter: parent.verticalCenter
            visible: text !== ""
            width: Math.max(0, Math.min(implicitWidth, line.width - x))
            elide: Text.ElideRight
            color: Theme.statusText
            text: line.jobText
        }
    }
}
