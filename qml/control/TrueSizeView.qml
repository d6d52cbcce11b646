import QtQuick 2.7
import QtQuick.Controls 2.2
import "../common"

// The job at true size: one screen pixel per engraving pixel (or two, to
// judge single dots), drawn from the job's records when the view opens, and
// panned by dragging. What shows is exactly what the laser will burn; with
// a calibrated material chosen, it can show it as the material will: each
// pixel's burn through the measured response, in the material's colour.
WindowPopup {
    id: view

    property QtObject shared: null
    // Counts the jobs shown, so that each new job is drawn afresh.
    property int shown: 0
    property int zoom: 1
    readonly property bool calibrated: !!shared && shared.toneResponse.length === 16
    // Drawn off the GUI thread by the job's image provider, as the plain view.
    readonly property string materialPart: calibrated && materialSwitch.checked
                                           ? "/material/" + (shared.materialTint !== "" ? shared.materialTint.slice(1) : "ffffff")
                                             + "/" + shared.toneResponse.join(",")
                                           : ""

    function show() {
        shown += 1
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

            Switch {
                id: materialSwitch

                objectName: "trueSizeMaterial"
                anchors.verticalCenter: parent.verticalCenter
                visible: view.calibrated
                text: qsTr("按材料显示")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.textSize
                hoverEnabled: true

                ToolTip.visible: hovered
                ToolTip.delay: Theme.tipDelay
                ToolTip.text: qsTr("按所选材料实测的深浅和颜色显示雕刻效果")
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
                source: view.shown > 0 ? "image://job/" + view.shown + view.materialPart : ""
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
