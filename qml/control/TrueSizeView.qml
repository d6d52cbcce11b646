import QtQuick 2.7
import QtQuick.Controls 2.2
import "../common"

// The job at true size: one screen pixel per engraving pixel (or two, to
// judge single dots), drawn from the job's records when the view opens, and
// panned by dragging. What shows is exactly what the laser will burn.
WindowPopup {
    id: view

    // Counts the jobs shown, so that each new job is drawn afresh.
    property int shown: 0
    property int zoom: 1

    function show() {
        shown += 1
        picture.source = "image://job/" + shown
        open()
    }

    objectName: "trueSizeView"
    tall: true

    Column {
        anchors.fill: parent
        spacing: 8

        Row {
            spacing: 10

            Label {
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("实际大小")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.titleSize
                font.bold: true
            }

            PopupButton {
                objectName: "trueSizeZoom"
                text: view.zoom === 1 ? qsTr("放大2倍") : "1:1"
                onClicked: view.zoom = view.zoom === 1 ? 2 : 1
            }

            PopupButton {
                text: qsTr("关闭")
                onClicked: view.close()
            }
        }

        Flickable {
            objectName: "trueSizeFlick"
            width: parent.width
            height: parent.height - y
            clip: true
            contentWidth: picture.width * view.zoom
            contentHeight: picture.height * view.zoom
            boundsBehavior: Flickable.StopAtBounds

            ScrollBar.vertical: ScrollBar {}
            ScrollBar.horizontal: ScrollBar {}

            Image {
                id: picture

                objectName: "trueSizePicture"
                asynchronous: true
                cache: false
                smooth: false
                transformOrigin: Item.TopLeft
                scale: view.zoom
            }

            BusyIndicator {
                anchors.centerIn: parent
                running: picture.status === Image.Loading
            }
        }
    }
}
