import QtQuick 2.7
import QtQuick.Controls 2.2
import QtQuick.Layouts 1.1
import ".."
import "../common"
import "../common/helpers.js" as Helpers

// The picture's size in millimetres: two spin boxes within the engraver's
// 80 mm and no less than 5 mm, and Save, which asks for the new size through
// resizeRequested. While the ratio is locked (as it is at first) the boxes
// keep the picture's ratio, one following the other; unlocked, each side is
// set on its own and the picture is stretched to them.
BoardButtom {
    id: panel

    property string fontFamily: Theme.fontFamily
    // The frame's size in pixels, until the first restrainTerm().
    property real frameWidth: 0
    property real frameHeight: 0
    // Width to height of the picture; the two spin boxes keep it.
    property real proportionlocker: frameWidth / frameHeight
    property alias ratioLocked: lockButton.checked
    // Set while one spin box follows the other, so that the follower's
    // rounding never rewrites the value the user chose.
    property bool following: false
    // Save cannot act while the canvas is busy.
    property bool busy: false

    signal resizeRequested(int widthMm, int heightMm, bool keepRatio)

    // The limits and values for a frame of w × h pixels.
    function restrainTerm(w, h) {
        var limits = Helpers.sizeLimits(w, h)
        proportionlocker = limits.ratio
        following = true
        applyLimits(limits)
        widthRow.box.value = limits.width
        heightRow.box.value = limits.height
        following = false
    }

    // The boxes' limits: those of the ratio while it is locked, else the
    // engraver's for each side.
    function applyLimits(limits) {
        widthRow.box.from = ratioLocked ? limits.widthFrom : 5
        widthRow.box.to = ratioLocked ? limits.widthTo : 80
        heightRow.box.from = ratioLocked ? limits.heightFrom : 5
        heightRow.box.to = ratioLocked ? limits.heightTo : 80
    }

    function follow(spinBox, value) {
        if (following || !ratioLocked)
            return
        following = true
        spinBox.value = Math.round(value)
        following = false
    }

    // One side: its name and its spin box, which shows its unit.
    component SideRow: RowLayout {
        id: row

        property string fontFamily
        property alias text: label.text
        property alias box: box

        signal valueMoved(int value)

        Layout.fillWidth: true
        spacing: 10

        Text {
            id: label

            Layout.fillWidth: true
            font.family: row.fontFamily
            font.pixelSize: Theme.textSize
        }

        SpinBox {
            id: box

            Layout.preferredWidth: 160
            Layout.preferredHeight: 40
            editable: true
            from: 5
            to: 80
            font.family: row.fontFamily
            textFromValue: function(value) { return value + " mm" }
            // What is typed counts with or without its unit.
            valueFromText: function(text) { return parseInt(text, 10) }
            validator: RegExpValidator { regExp: /\s*\d{1,2}\s*(m|mm)?\s*/ }
            onValueChanged: row.valueMoved(value)
        }
    }

    width: grid.implicitWidth + 2 * grid.anchors.margins
    height: grid.implicitHeight + 2 * grid.anchors.margins

    GridLayout {
        id: grid

        anchors.fill: parent
        anchors.margins: 8
        columns: 2
        columnSpacing: 6
        rowSpacing: 8

        RowLayout {
            Layout.columnSpan: 2
            Layout.fillWidth: true
            spacing: 16

            Text {
                Layout.fillWidth: true
                text: qsTr("更改图像大小")
                font.family: panel.fontFamily
                font.pixelSize: Theme.textSize
            }

            Button {
                objectName: "adjustScaleSave"
                Layout.preferredHeight: 30
                enabled: !panel.busy
                text: qsTr("保存")
                font.family: panel.fontFamily
                font.bold: true
                font.pixelSize: Theme.textSize
                onClicked: panel.resizeRequested(widthRow.box.value, heightRow.box.value, panel.ratioLocked)
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

        // Ties the two sides together: lit while the ratio is kept.
        DrawnToolButton {
            id: lockButton

            objectName: "ratioLock"
            Layout.rowSpan: 2
            Layout.alignment: Qt.AlignVCenter
            Layout.preferredWidth: width
            Layout.preferredHeight: height
            glyph: "lock"
            checkable: true
            checked: true
            tip: qsTr("保持宽高比")
            // Locked again, the sides keep the ratio they have now.
            onCheckedChanged: {
                if (checked)
                    panel.proportionlocker = widthRow.box.value / heightRow.box.value
                panel.applyLimits(Helpers.ratioLimits(panel.proportionlocker))
            }
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
