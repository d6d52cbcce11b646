import QtQuick 2.0
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles.Flat 1.0
import QtQuick.Extras 1.4
import "common"

// The font chooser of the editing page: every installed family, each shown
// in its own face. listFontFamily holds the family picked last.
Rectangle {
    id: fontList

    property string fontFamily: Theme.fontFamily
    // Until the user picks one, the text tool writes in the window's face.
    property string listFontFamily: Theme.fontFamily

    color: "white"
    radius: 3
    border.width: 2
    border.color: Theme.line

    Component {
        id: fontHeaderItem

        Rectangle {
            width: fontListView.width
            height: 40
            color: Theme.caption

            Text {
                anchors.centerIn: parent
                text: qsTr("选择字体")
                color: "white"
                font.bold: true
                font.pixelSize: Theme.headerSize
                font.family: fontList.fontFamily
                renderType: Text.NativeRendering
            }
        }
    }

    Component {
        id: fontDelegateItem

        Item {
            id: fontDelegateView

            width: fontListView.width
            height: 30

            Rectangle {
                anchors.fill: parent
                radius: 3
                color: Theme.ring
                visible: fontDelegateView.ListView.isCurrentItem
            }

            Rectangle {
                id: highlightRect

                anchors.fill: parent
                radius: 3
                color: fontDelegateView.ListView.isCurrentItem ? Theme.ring : Theme.line
                visible: fontArea.containsMouse
            }

            Text {
                id: textFamily

                anchors.centerIn: parent
                // Clear of the scroll bar on the right.
                width: parent.width - 20
                horizontalAlignment: Text.AlignHCenter
                // A long family name gets smaller rather than cut short.
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 8
                elide: Text.ElideRight
                text: "SC " + modelData
                font.family: modelData
                font.pixelSize: Theme.messageSize
                renderType: Text.NativeRendering
            }

            MouseArea {
                id: fontArea

                anchors.fill: parent
                hoverEnabled: true
                onClicked: {
                    fontListView.currentIndex = index
                    fontList.listFontFamily = modelData
                    console.log(modelData)
                }
            }
        }
    }

    ListView {
        id: fontListView

        objectName: "fontListView"
        anchors.fill: parent
        anchors.margins: 2
        clip: true
        spacing: 5
        model: Qt.fontFamilies()
        header: fontHeaderItem
        delegate: fontDelegateItem
        // Nothing is chosen until the user clicks an entry.
        currentIndex: -1
    }

    Rectangle {
        id: verticalScrollDecorator

        anchors.right: fontListView.right
        anchors.rightMargin: -3
        width: 8
        height: fontListView.visibleArea.heightRatio * fontList.height + 10
        radius: 4
        color: Theme.accentBorder
        visible: fontListView.contentHeight > fontListView.height

        Binding on y {
            when: !scrollDrag.drag.active
            // Measured from the list's origin, which the header moves above 0.
            value: fontListView.contentHeight > 0
                   ? (fontListView.contentY - fontListView.originY) / fontListView.contentHeight
                     * fontListView.height : 0
        }

        onYChanged: {
            if (scrollDrag.drag.active)
                fontListView.contentY = y / fontListView.height * fontListView.contentHeight
                        + fontListView.originY
        }

        MouseArea {
            id: scrollDrag

            anchors.fill: parent
            drag.target: verticalScrollDecorator
            drag.axis: Drag.YAxis
            drag.minimumY: 0
            drag.maximumY: fontListView.height - verticalScrollDecorator.height + 8
        }
    }
}
