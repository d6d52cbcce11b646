import QtQuick 2.9
import QtQuick.Controls 2.2
import Zan.DrawBoard 1.0
import Zan.Desktop 1.0
import ".."
import "../common"

// The tone of the picture before each look (brightness, contrast, gamma,
// each with its reset) and how the dithered look spreads its dots: the
// method, serpentine scanning, the halftone cell and the laser's dot size.
// The page binds the canvas to these values and re-runs the look on
// toneMoved() and ditherMoved(), which only the user's own changes send:
// values restored from the settings at start must not start a run. Each
// slider runs over the range its stored value is held to.
BoardButtom {
    id: panel

    property string fontFamily: Theme.fontFamily
    // Neutral: 0, 0, 1 change nothing.
    property real brightness: 0
    property real contrast: 0
    property real gamma: 1
    property int method: DrawBoard.FloydSteinberg
    property bool serpentine: false
    // In engraving pixels.
    property int halftoneCell: 6
    // 1: no spot compensation.
    property real dotSize: 1

    signal toneMoved()
    signal ditherMoved()

    // The methods in the chooser's order, with their names.
    readonly property var methods: [
        { "method": DrawBoard.FloydSteinberg, "name": "Floyd-Steinberg" },
        { "method": DrawBoard.Atkinson, "name": "Atkinson" },
        { "method": DrawBoard.JarvisJudiceNinke, "name": "Jarvis–Judice–Ninke" },
        { "method": DrawBoard.Stucki, "name": "Stucki" },
        { "method": DrawBoard.Sierra, "name": "Sierra" },
        { "method": DrawBoard.Bayer, "name": "Bayer 8×8" },
        { "method": DrawBoard.Halftone, "name": qsTr("网点") }
    ]

    function indexOfMethod(method) {
        for (var i = 0; i < methods.length; ++i) {
            if (methods[i].method === method)
                return i
        }
        return 0
    }

    // Every value at once, as a preset or a saved work holds them.
    function setAll(brightness, contrast, gamma, method, serpentine, halftoneCell, dotSize) {
        panel.brightness = brightness
        panel.contrast = contrast
        panel.gamma = gamma
        panel.method = method
        panel.serpentine = serpentine
        panel.halftoneCell = halftoneCell
        panel.dotSize = dotSize
    }

    // The rows' names and reset buttons line up in columns as wide as the
    // widest of them, whatever the language.
    readonly property real labelWidth: Math.max(brightnessRow.labelNeeds, contrastRow.labelNeeds, gammaRow.labelNeeds,
                                                cellRow.labelNeeds, dotRow.labelNeeds)
    readonly property real resetWidth: Math.max(brightnessRow.resetNeeds, contrastRow.resetNeeds, gammaRow.resetNeeds,
                                                cellRow.resetNeeds, dotRow.resetNeeds)

    // One value: its slider, its value and the way back to neutral. The
    // slider follows the panel's value; only the user's moves write it back.
    component ToneRow: Row {
        id: row

        property alias text: label.text
        property alias slider: slider
        property real value
        property real neutral
        property int decimals: 0
        readonly property real labelNeeds: label.implicitWidth
        readonly property real resetNeeds: reset.contentItem.implicitWidth + reset.leftPadding + reset.rightPadding

        signal moved(real value)

        spacing: 4

        Text {
            id: label

            width: panel.labelWidth
            anchors.verticalCenter: parent.verticalCenter
            font.family: panel.fontFamily
            font.pixelSize: Theme.textSize
        }

        Slider {
            id: slider

            width: 130
            height: 28
            anchors.verticalCenter: parent.verticalCenter
            value: row.value
            onMoved: row.moved(value)
        }

        Text {
            width: 30
            anchors.verticalCenter: parent.verticalCenter
            text: row.value.toFixed(row.decimals)
            font.family: panel.fontFamily
            font.pixelSize: Theme.noteSize
        }

        Button {
            id: reset

            objectName: slider.objectName + "Reset"
            width: panel.resetWidth
            height: 30
            leftPadding: 8
            rightPadding: 8
            anchors.verticalCenter: parent.verticalCenter
            enabled: row.value !== row.neutral
            focusPolicy: Qt.NoFocus
            text: qsTr("复位")
            font.family: panel.fontFamily
            font.pixelSize: Theme.noteSize
            onClicked: row.moved(row.neutral)
        }
    }

    width: rows.implicitWidth + 2 * rows.anchors.margins
    height: rows.implicitHeight + 2 * rows.anchors.margins

    Column {
        id: rows

        anchors.fill: parent
        anchors.margins: 8
        spacing: 4

        Text {
            text: qsTr("色调")
            font.family: panel.fontFamily
            font.pixelSize: Theme.textSize
            font.bold: true
        }

        ToneRow {
            id: brightnessRow

            text: qsTr("亮度")
            slider.objectName: "brightnessSlider"
            slider.from: StoredSettings.minimum("toneBrightness")
            slider.to: StoredSettings.maximum("toneBrightness")
            slider.stepSize: 1
            value: panel.brightness
            neutral: 0
            onMoved: {
                panel.brightness = value
                panel.toneMoved()
            }
        }

        ToneRow {
            id: contrastRow

            text: qsTr("对比度")
            slider.objectName: "contrastSlider"
            slider.from: StoredSettings.minimum("toneContrast")
            slider.to: StoredSettings.maximum("toneContrast")
            slider.stepSize: 1
            value: panel.contrast
            neutral: 0
            onMoved: {
                panel.contrast = value
                panel.toneMoved()
            }
        }

        ToneRow {
            id: gammaRow

            text: qsTr("伽马")
            slider.objectName: "gammaSlider"
            slider.from: StoredSettings.minimum("toneGamma")
            slider.to: StoredSettings.maximum("toneGamma")
            slider.stepSize: 0.05
            value: panel.gamma
            neutral: 1
            decimals: 2
            onMoved: {
                panel.gamma = value
                panel.toneMoved()
            }
        }

        Text {
            text: qsTr("离散方式")
            font.family: panel.fontFamily
            font.pixelSize: Theme.textSize
            font.bold: true
        }

        ComboBox {
            objectName: "ditherMethodBox"
            width: 220
            height: 36
            focusPolicy: Qt.NoFocus
            font.family: panel.fontFamily
            font.pixelSize: Theme.textSize
            model: panel.methods
            textRole: "name"
            currentIndex: panel.indexOfMethod(panel.method)
            onActivated: {
                panel.method = panel.methods[index].method
                panel.ditherMoved()
            }
        }

        FlatSwitch {
            objectName: "serpentineSwitch"
            height: 30
            focusPolicy: Qt.NoFocus
            text: qsTr("蛇形扫描")
            font.family: panel.fontFamily
            font.pixelSize: Theme.textSize
            checked: panel.serpentine
            // Today's Floyd-Steinberg, Bayer and halftone scan one way only.
            enabled: [DrawBoard.Atkinson, DrawBoard.JarvisJudiceNinke, DrawBoard.Stucki, DrawBoard.Sierra].indexOf(panel.method) >= 0
            onToggled: {
                panel.serpentine = checked
                panel.ditherMoved()
            }
        }

        ToneRow {
            id: cellRow

            text: qsTr("网点大小")
            slider.objectName: "halftoneCellSlider"
            slider.from: StoredSettings.minimum("halftoneCell")
            slider.to: StoredSettings.maximum("halftoneCell")
            slider.stepSize: 1
            value: panel.halftoneCell
            enabled: panel.method === DrawBoard.Halftone
            neutral: 6
            onMoved: {
                panel.halftoneCell = Math.round(value)
                panel.ditherMoved()
            }
        }

        ToneRow {
            id: dotRow

            text: qsTr("激光点大小")
            slider.objectName: "dotSizeSlider"
            slider.from: StoredSettings.minimum("dotSize")
            slider.to: StoredSettings.maximum("dotSize")
            slider.stepSize: 0.5
            value: panel.dotSize
            neutral: 1
            decimals: 1
            onMoved: {
                panel.dotSize = value
                panel.ditherMoved()
            }
        }
    }
}
