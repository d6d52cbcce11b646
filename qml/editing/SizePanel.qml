import QtQuick 2.7
import QtQuick.Controls 2.0
import QtQuick.Layouts 1.1
import ".."
import "../common"
import "../common/helpers.js" as Helpers

// The picture's size in millimetres: two spin boxes that keep the picture's
// ratio, within the engraver's 80 mm and no less than 5 mm, and Save, which
// asks for the new size through resizeRequested.
BoardButtom {
    id: panel

    property string fontFamily: Theme.fontFamily
    // The frame's size in pixels, until the first restrainTerm().
    property real frameWidth: 0
    property real frameHeight: 0
    // Width to height of the picture; the two spin boxes keep it.
    property real proportionlocker: frameWidth / frameHeight
    // Set while one spin box follows the other, so that the follower's
    // rounding never rewrites the value the user chose.
    property bool following: false
    // Save cannot act while the canvas is busy.
    property bool busy: false

    signal resizeRequested(int widthMm, int heightMm)

    // The limits and values for a frame of w × h pixels.
    function restrainTerm(w, h) {
        var limits = Helpers.sizeLimits(w, h)
        proportionlocker = limits.ratio
        following = true
        widthRow.box.from = limits.widthFrom
        widthRow.box.to = limits.widthTo
        heightRow.box.from = limits.heightFrom
        heightRow.box.to = limits.heightTo
        widthRow.box.value = limits.width
        heightRow.box.value = limits.height
        following = false
    }

    function follow(spinBox, value) {
        if (following)
            return
        following = true
        spinBox.value = Math.round(value)
        following = false
    }

    // One side: its name and its spin box.
    component SideRow: Row {
        id: row

        property string fontFamily
        property alias text: label.text
        property alias box: box

        signal valueMoved(int value)

        spacing: 10

        Text {
            id: label

            width: 40
            anchors.verticalCenter: parent.verticalCenter
            font.family: parent.fontFamily
            font.pixelSize: Theme.textSize
        }

        SpinBox {
            id: box

            width: 160
            height: 40
            editable: true
            from: 5
            to: 80
            font.family: parent.fontFamily
            onValueChanged: row.valueMoved(value)
        }
    }

    height: 140

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 8
        spacing: 8

        Row {
            spacing: 50

            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("更改图像大小")
                font.family: panel.fontFamily
                font.pixelSize: Theme.textSize
            }

            Button {
                objectName: "adjustScaleSave"
                height: 30
                enabled: !panel.busy
                text: qsTr("保存")
                font.family: panel.fontFamily
                font.bold: true
                font.pixelSize: Theme.textSize
                onClicked: panel.resizeRequested(widthRow.box.value, heightRow.box.value)
            }
        }

        SideRow {
            id: widthRow

            fontFamily: panel.fontFamily
            text: qsTr("宽度(mm)")
            box.objectName: "widthSpinBox"
            box.value: panel.frameWidth * 1.5 * 0.05
            onValueMoved: panel.follow(heightRow.box, value / panel.proportionlocker)
        }

        SideRow {
            id: heightRow

            fontFamily: panel.fontFamily
            text: qsTr("高度(mm)")
            box.objectName: "heightSpinBox"
            box.value: panel.frameHeight * 1.5 * 0.05
            onValueMoved: panel.follow(widthRow.box, value * panel.proportionlocker)
        }
    }
}
