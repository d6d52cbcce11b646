import QtQuick 2.7
import QtQuick.Controls 2.3
import "../common"

// The tone calibration of the chosen material preset, in the presets
// panel: the button opening the calibration, and, for a calibrated preset,
// the word that it is and the button clearing it. What is stored with the
// preset is applied at once through the shared state: the editing page's
// looks correct for it, the true-size view can show the material.
Row {
    id: tools

    // The presets (MaterialPresets) and the index of the chosen one.
    property QtObject presets: null
    property int presetIndex: -1
    property QtObject shared: null
    property QtObject controller: null
    // The chosen preset holds a measured response.
    readonly property bool calibrated: presets !== null && presetIndex >= 0 && presets.names.length > presetIndex
                                       && presets.preset(presetIndex).response !== undefined

    // For the page's message line.
    signal message(string text)

    // The chosen preset takes the levels and tint (none: no calibration),
    // and so do the looks and the true-size view from now on.
    function store(levels, tint) {
        if (!presets || !presets.calibrate(presetIndex, levels, tint))
            return false
        if (shared) {
            shared.toneResponse = levels
            shared.materialTint = tint
        }
        return true
    }

    spacing: 6

    TipButton {
        objectName: "toneCalibrate"
        text: qsTr("校准色调……")
        tip: qsTr("雕刻一张16级灰度色阶卡，对照或拍照测出材料的实际深浅，使中间调不再并在一起")
        onClicked: calibration.start()
    }

    Text {
        objectName: "toneCalibrated"
        visible: tools.calibrated
        anchors.verticalCenter: parent.verticalCenter
        text: qsTr("色调已校准")
        color: Theme.accentDark
        font.family: Theme.fontFamily
        font.pixelSize: Theme.textSize
    }

    TipButton {
        objectName: "toneCalibrationClear"
        visible: tools.calibrated
        text: qsTr("清除校准")
        tip: qsTr("去掉所选预设的色调校准，按原样雕刻灰度")
        onClicked: {
            if (tools.store([], ""))
                tools.message(qsTr("已清除所选预设的色调校准"))
        }
    }

    ToneCalibration {
        id: calibration

        parent: Overlay.overlay
        shared: tools.shared
        controller: tools.controller
        presetName: tools.presetIndex >= 0 && tools.presets ? tools.presets.names[tools.presetIndex] || "" : ""
        storedLevels: tools.calibrated ? tools.presets.preset(tools.presetIndex).response : []
        onStoreAsked: {
            if (tools.store(levels, tint))
                tools.message(qsTr("色调校准已存入预设“%1”").arg(presetName))
        }
        onMessage: tools.message(text)
    }
}
