import QtQuick 2.7
import QtQuick.Controls 2.2
import Qt.labs.settings 1.0
import Zan.Desktop 1.0
import "../common"

// The left column of the control page: the laser power and depth buttons,
// each opening its panel, the fan switch, which turns while it is on during
// a job, and the material presets. The fan's state is kept for the next
// start.
Item {
    id: tools

    property bool jobActive: false
    property string fontFamily: Theme.fontFamily
    // The state shared with the editing page, whose look the presets set.
    property QtObject shared: null
    // The engraver controller, for the presets' calibration card.
    property QtObject controller: null
    // The slider positions, in percent.
    readonly property real laserPower: laserStyle.slider.value
    readonly property real depth: speedStyle.slider.value
    readonly property bool fanOn: fanButton.checked
    // The material presets, which also keep the test card's square.
    readonly property alias presetBar: presetBar

    // A slider was let go at a position between 0 and 1.
    signal laserLetGo(real position)
    signal depthLetGo(real position)
    // The user switched the fan.
    signal fanSwitched(bool on)
    // A material preset was chosen, saved or deleted: the page says so.
    signal presetMessage(string text)
    // The test card's panel is asked for.
    signal testCardAsked()

    function setLaserPower(percent) {
        laserStyle.slider.value = percent
    }

    function setDepth(percent) {
        speedStyle.slider.value = percent
    }

    // A material preset: each value goes to the engraver as the user's own
    // change would, held to the sliders' ranges.
    function choose(power, depth, fan) {
        setLaserPower(power)
        laserLetGo(laserStyle.slider.position)
        setDepth(depth)
        depthLetGo(speedStyle.slider.position)
        fanButton.checked = fan
    }

    // Power, depth and fan from a work file: set without counting as the
    // user's moves, which would send each on its own.
    function restore(power, depthPercent, fan) {
        setLaserPower(power)
        setDepth(depthPercent)
        fanButton.restored = false
        fanButton.checked = fan
        fanButton.restored = true
    }

    // A button of the left column that opens its panel, or closes it
    // again, lit while it is open.
    component PanelButton: LitIconButton {
        property Item panel

        width: 32
        height: 44
        padding: 0
        lit: panel.open
        onClicked: panel.toggle()
    }

    // Laser power and depth: a percentage sent when the slider is let go.
    component MachinePanel: ValuePanel {
        width: 300
        height: 40
        inset: 4
        spacing: 4
        slider.height: 36
        slider.from: 0
        slider.to: 100
        slider.stepSize: 0.1
        slider.value: 0
    }

    // As tall as its buttons, so that what goes under it follows them.
    implicitWidth: toolColumn.implicitWidth
    implicitHeight: toolColumn.implicitHeight

    Component.onDestruction: settings.fanValue = fanButton.checked ? 1 : 0

    // Written when the column goes; read through its check below.
    Settings {
        id: settings

        property int fanValue: 10
    }

    Column {
        id: toolColumn

        spacing: 6

        PanelButton {
            objectName: "laserButton"
            iconSource: "qrc:/image/idea.png"
            hoverEnabled: true
            panel: laserStyle

            ToolTip {
                objectName: "tip"
                visible: parent.visible && parent.hovered
                delay: Theme.tipDelay
                closePolicy: Popup.NoAutoClose
                exit: null
                text: qsTr("设置激光功率")
            }
        }

        PanelButton {
            objectName: "speedButton"
            iconSource: "qrc:/image/racing.png"
            hoverEnabled: true
            panel: speedStyle

            ToolTip {
                objectName: "tip"
                visible: parent.visible && parent.hovered
                delay: Theme.tipDelay
                closePolicy: Popup.NoAutoClose
                exit: null
                text: qsTr("设置雕刻深度")
            }
        }

        LitIconButton {
            id: fanButton

            // Set from the stored value once the column is complete, so that
            // restoring it does not count as the user switching the fan. The
            // value is checked as stored: one out of range or of another
            // type leaves the fan as on a first start.
            property bool restored: false

            objectName: "fanButton"
            width: 32
            height: 44
            padding: 0
            checkable: true
            lit: checked
            iconSource: "qrc:/image/airscrew.png"
            hoverEnabled: true
            onCheckedChanged: {
                if (restored)
                    tools.fanSwitched(checked)
            }
            Component.onCompleted: {
                checked = StoredSettings.checked("fanValue", settings.value("fanValue")) !== 0
                restored = true
            }

            ToolTip {
                objectName: "tip"
                visible: parent.visible && parent.hovered
                delay: Theme.tipDelay
                closePolicy: Popup.NoAutoClose
                exit: null
                text: qsTr("打开或关闭风扇")
            }
        }

        PresetBar {
            id: presetBar

            shared: tools.shared
            controller: tools.controller
            machine: tools
            fontFamily: tools.fontFamily
            onMessage: tools.presetMessage(text)
            onTestCardAsked: tools.testCardAsked()
        }
    }

    // The fan turns while it is on during a job.
    RotationAnimation {
        target: fanButton.contentItem
        property: "rotation"
        from: 360
        to: 0
        duration: 1000
        loops: Animation.Infinite
        running: fanButton.checked && tools.jobActive
        onRunningChanged: if (!running) fanButton.contentItem.rotation = 0
    }

    Item {
        anchors.left: toolColumn.right
        anchors.leftMargin: 10
        anchors.top: toolColumn.top
        anchors.topMargin: 2
        z: 5

        MachinePanel {
            id: laserStyle

            objectName: "laserStyle"
            fontFamily: tools.fontFamily
            labelWidth: 48
            text: qsTr("激光") + Math.round(slider.position * 100) + "%"
            slider.objectName: "laserSlider"
            slider.width: 240
            onLetGo: tools.laserLetGo(position)
        }

        MachinePanel {
            id: speedStyle

            objectName: "speedStyle"
            y: 50
            fontFamily: tools.fontFamily
            labelWidth: 68
            text: qsTr("雕刻深度") + Math.round(slider.position * 100) + "%"
            slider.objectName: "speedSlider"
            slider.width: 220
            onLetGo: tools.depthLetGo(position)
        }
    }
}
