import QtQuick 2.7
import QtQuick.Controls 2.2
import Qt.labs.settings 1.0
import Zan.Desktop 1.0
import ".."
import "../common"

// Below the tool column: the copies button, which opens the panel where the
// grid of copies is set (columns, rows, the gap in millimetres; kept for the
// next start), and the touch-up button, which lets the user pick part of
// the job burned last to burn again.
Item {
    id: tools

    property string fontFamily: Theme.fontFamily
    // The grid chosen.
    readonly property alias columns: columnsBox.value
    readonly property alias rows: rowsBox.value
    // In millimetres.
    readonly property real gap: gapBox.value / 10
    // A touch-up may be chosen (a job has been burned, none runs) and is on.
    property bool touchUpAvailable: false
    property bool touchingUp: false

    signal touchUpClicked()

    width: 32
    height: buttons.height

    component Tip: ToolTip {
        visible: parent.visible && parent.hovered
        delay: Theme.tipDelay
        closePolicy: Popup.NoAutoClose
        exit: null
    }

    component Labelled: Row {
        property alias text: label.text

        spacing: 6

        Label {
            id: label

            width: 64
            height: 32
            verticalAlignment: Text.AlignVCenter
            horizontalAlignment: Text.AlignRight
            font.family: tools.fontFamily
            font.pixelSize: Theme.textSize
            color: Theme.ink
        }
    }

    Settings {
        id: settings

        property int copyColumns: 1
        property int copyRows: 1
        property real copyGap: 0

        Component.onCompleted: {
            columnsBox.value = copyColumns = StoredSettings.checked("copyColumns", value("copyColumns"))
            rowsBox.value = copyRows = StoredSettings.checked("copyRows", value("copyRows"))
            copyGap = StoredSettings.checked("copyGap", value("copyGap"))
            gapBox.value = Math.round(copyGap * 10)
        }
    }

    Column {
        id: buttons

        spacing: 6

        LitIconButton {
            objectName: "copiesButton"
            width: 32
            height: 44
            padding: 0
            iconSource: "qrc:/image/copies.png"
            hoverEnabled: true
            lit: copiesPanel.open || tools.columns * tools.rows > 1
            onClicked: copiesPanel.toggle()

            Tip {
                objectName: "tip"
                text: qsTr("排列多个副本")
            }
        }

        LitIconButton {
            objectName: "touchUpButton"
            width: 32
            height: 44
            padding: 0
            iconSource: "qrc:/image/touchup.png"
            hoverEnabled: true
            enabled: tools.touchUpAvailable || tools.touchingUp
            lit: tools.touchingUp
            onClicked: tools.touchUpClicked()

            Tip {
                objectName: "tip"
                text: qsTr("补刻：框选上次雕刻的一部分再刻一遍")
            }
        }
    }

    BoardButtom {
        id: copiesPanel

        objectName: "copiesPanel"
        anchors.left: buttons.right
        anchors.leftMargin: 10
        y: 0
        z: 5
        width: content.width + 16
        height: content.height + 16

        Column {
            id: content

            x: 8
            y: 8
            spacing: 4

            Labelled {
                text: qsTr("列数")

                SpinBox {
                    id: columnsBox

                    objectName: "copyColumnsBox"
                    from: 1
                    to: 99
                    value: 1
                    editable: true
                    font.family: tools.fontFamily
                    onValueChanged: settings.copyColumns = value
                    ToolTip.visible: hovered
                    ToolTip.delay: Theme.tipDelay
                    ToolTip.text: qsTr("横向排几个副本")
                }
            }

            Labelled {
                text: qsTr("行数")

                SpinBox {
                    id: rowsBox

                    objectName: "copyRowsBox"
                    from: 1
                    to: 99
                    value: 1
                    editable: true
                    font.family: tools.fontFamily
                    onValueChanged: settings.copyRows = value
                    ToolTip.visible: hovered
                    ToolTip.delay: Theme.tipDelay
                    ToolTip.text: qsTr("纵向排几个副本")
                }
            }

            Labelled {
                text: qsTr("间距 mm")

                // Tenths of a millimetre.
                SpinBox {
                    id: gapBox

                    objectName: "copyGapBox"
                    from: 0
                    to: 800
                    value: 0
                    stepSize: 5
                    editable: true
                    font.family: tools.fontFamily
                    textFromValue: function(value, locale) { return (value / 10).toFixed(1) }
                    valueFromText: function(text, locale) {
                        var mm = Number(text.replace(",", "."))
                        return isNaN(mm) ? value : Math.round(mm * 10)
                    }
                    validator: DoubleValidator { bottom: 0; top: 80; decimals: 1 }
                    onValueChanged: settings.copyGap = value / 10
                    ToolTip.visible: hovered
                    ToolTip.delay: Theme.tipDelay
                    ToolTip.text: qsTr("相邻副本雕刻部分之间的距离，单位毫米")
                }
            }
        }
    }
}
