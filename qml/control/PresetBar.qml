import QtQuick 2.7
import QtQuick.Controls 2.2
import Zan.DrawBoard 1.0
import Zan.Desktop 1.0
import ".."
import "../common"

// Material presets: a button of the control page's left column opening a
// panel with the presets to choose from and the ways to keep what is set
// now (save, save as new, rename, delete). Choosing one sets the laser
// power, depth and fan here, through the same signals as the user's own
// moves, and the look, threshold, dithering and tone of the editing page,
// through the shared state. The button bears a mark, and the panel says so,
// while what is set differs from the preset chosen.
Item {
    id: bar

    property QtObject shared: null
    // The engraver controller, whose job buffer a calibration card goes to.
    property QtObject controller: null
    // The page's ToolColumn: power, depth and fan.
    property Item machine: null
    property string fontFamily: Theme.fontFamily
    // The preset chosen last; -1 for none.
    property int chosenIndex: -1
    readonly property string chosenName: chosenIndex >= 0 && chosenIndex < presets.names.length
                                         ? presets.names[chosenIndex] : ""
    readonly property bool changed: chosenIndex >= 0 && presets.names.length > 0
                                    && presets.differs(chosenIndex, liveValues())
    // What the name row is for: "" nothing, "new", "rename", or "delete"
    // (asking first).
    property string asking: ""
    // Why the name typed cannot be taken; empty when it can.
    readonly property string nameProblem: {
        if (asking !== "new" && asking !== "rename")
            return ""
        if (nameField.text.trim() === "")
            return qsTr("请输入名称")
        if (presets.names.length >= 0 && !presets.nameFree(nameField.text, asking === "rename" ? chosenIndex : -1))
            return qsTr("已有同名预设")
        return ""
    }

    // For the page's message line.
    signal message(string text)
    // The test card's panel is asked for.
    signal testCardAsked()

    // Everything a preset holds, as it is set now.
    function liveValues() {
        var values = {}
        var look = shared ? shared.lookSettings : {}
        for (var key in look)
            values[key] = look[key]
        values.power = machine ? machine.laserPower : 0
        values.depth = machine ? machine.depth : 0
        values.fan = machine ? machine.fanOn : false
        if (shared && shared.toneResponse.length > 0) {
            values.response = shared.toneResponse
            values.tint = shared.materialTint
        }
        return values
    }

    function choose(index) {
        var preset = presets.preset(index)
        if (preset.name === undefined)
            return
        chosenIndex = index
        asking = ""
        if (machine)
            machine.choose(preset.power, preset.depth, preset.fan)
        if (shared) {
            shared.toneResponse = preset.response || []
            shared.materialTint = preset.tint || ""
            shared.lookChosen(preset)
        }
        message(qsTr("已选择材料预设：%1").arg(preset.name))
    }

    // Why name cannot be taken by a new preset; empty when it can.
    function newNameProblem(name) {
        if (name.trim() === "")
            return qsTr("请输入名称")
        if (!presets.nameFree(name, -1))
            return qsTr("已有同名预设")
        return ""
    }

    // A new preset of what is set now, with the power and depth given (a
    // square of the test card): its index, or -1.
    function createPreset(name, power, depth) {
        if (newNameProblem(name) !== "")
            return -1
        var values = liveValues()
        values.power = power
        values.depth = depth
        var index = presets.create(name, values)
        if (index >= 0)
            message(qsTr("预设“%1”已保存").arg(name))
        return index
    }

    function saveChosen() {
        if (presets.save(chosenIndex, liveValues()))
            message(qsTr("预设“%1”已保存").arg(chosenName))
    }

    // Opens the name row for a new name, a new name of the chosen preset, or
    // the question before deleting it.
    function ask(what) {
        asking = what
        nameField.text = what === "rename" ? chosenName : ""
        if (what !== "delete")
            nameField.forceActiveFocus()
    }

    function confirm() {
        if (asking === "delete") {
            var gone = chosenName
            if (presets.remove(chosenIndex)) {
                chosenIndex = -1
                message(qsTr("预设“%1”已删除").arg(gone))
            }
        } else if (asking === "new" || asking === "rename") {
            if (nameProblem !== "")
                return
            if (asking === "new") {
                var index = presets.create(nameField.text, liveValues())
                if (index < 0)
                    return
                chosenIndex = index
            } else if (!presets.rename(chosenIndex, nameField.text)) {
                return
            }
            message(qsTr("预设“%1”已保存").arg(chosenName))
        }
        asking = ""
    }

    width: 32
    height: 44

    MaterialPresets {
        id: presets

        // Generic places to start from, named as such: the user tries them
        // on a scrap of the material and saves what works.
        startingPoints: [
            { "name": qsTr("胶合板（参考起点）"), "power": 80, "depth": 40, "fan": true, "look": 3, "threshold": 120,
              "method": DrawBoard.FloydSteinberg, "serpentine": false, "halftoneCell": 6, "brightness": 0,
              "contrast": 10, "gamma": 1, "dotSize": 1.5 },
            { "name": qsTr("瓦楞纸板（参考起点）"), "power": 40, "depth": 20, "fan": true, "look": 2, "threshold": 128,
              "method": DrawBoard.FloydSteinberg, "serpentine": false, "halftoneCell": 6, "brightness": 0,
              "contrast": 0, "gamma": 1, "dotSize": 1 },
            { "name": qsTr("皮革（参考起点）"), "power": 60, "depth": 30, "fan": true, "look": 3, "threshold": 120,
              "method": DrawBoard.Atkinson, "serpentine": false, "halftoneCell": 6, "brightness": 10,
              "contrast": 0, "gamma": 1.2, "dotSize": 2 }
        ]
        onStoreFailed: bar.message(qsTr("预设无法写入设置文件……"))
    }

    LitIconButton {
        id: presetButton

        objectName: "presetButton"
        anchors.fill: parent
        padding: 0
        hoverEnabled: true
        lit: panel.open
        onClicked: panel.toggle()

        // Three boards stacked: materials.
        contentItem: Item {
            Column {
                anchors.centerIn: parent
                spacing: 3

                Repeater {
                    model: 3

                    Rectangle {
                        width: 20 - 2 * index
                        height: 4
                        radius: 1
                        anchors.horizontalCenter: parent.horizontalCenter
                        color: Theme.ink
                    }
                }
            }
        }

        // What is set differs from the preset chosen.
        Rectangle {
            objectName: "presetChangedMark"
            visible: bar.changed
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: 2
            width: 8
            height: 8
            radius: 4
            color: Theme.statusAlert
        }

        ToolTip {
            objectName: "tip"
            visible: presetButton.visible && presetButton.hovered
            delay: Theme.tipDelay
            closePolicy: Popup.NoAutoClose
            exit: null
            text: qsTr("材料预设：%1").arg(bar.chosenIndex >= 0 ? bar.chosenName : qsTr("未选择"))
                  + (bar.changed ? qsTr("（已更改）") : "")
        }
    }

    BoardButtom {
        id: panel

        objectName: "presetPanel"
        x: bar.width + 10
        y: 2
        width: rows.implicitWidth + 16
        height: rows.implicitHeight + 16
        onOpenChanged: {
            if (!open)
                bar.asking = ""
        }

        Column {
            id: rows

            x: 8
            y: 8
            spacing: 6

            Row {
                spacing: 8

                ComboBox {
                    id: presetBox

                    objectName: "presetBox"
                    width: 240
                    height: 36
                    focusPolicy: Qt.NoFocus
                    hoverEnabled: true
                    font.family: bar.fontFamily
                    font.pixelSize: Theme.textSize
                    model: presets.names
                    currentIndex: bar.chosenIndex
                    displayText: bar.chosenIndex >= 0 ? bar.chosenName : qsTr("选择材料……")
                    onActivated: bar.choose(index)

                    ToolTip {
                        visible: presetBox.hovered && !presetBox.popup.visible
                        delay: Theme.tipDelay
                        closePolicy: Popup.NoAutoClose
                        exit: null
                        text: qsTr("选择材料：设置激光功率、雕刻深度、风扇、效果、阈值、色调和激光点大小")
                    }
                }

                Text {
                    objectName: "presetChanged"
                    anchors.verticalCenter: parent.verticalCenter
                    visible: bar.changed
                    text: qsTr("已更改，尚未保存")
                    color: Theme.warning
                    font.family: bar.fontFamily
                    font.pixelSize: Theme.textSize
                }
            }

            Row {
                spacing: 6

                TipButton {
                    objectName: "presetSave"
                    enabled: bar.changed
                    text: qsTr("保存")
                    tip: qsTr("把现在的功率、深度、风扇、效果和色调存入所选预设")
                    onClicked: bar.saveChosen()
                }

                TipButton {
                    objectName: "presetSaveAs"
                    text: qsTr("另存为……")
                    tip: qsTr("把现在的值存为新的预设")
                    onClicked: bar.ask("new")
                }

                TipButton {
                    objectName: "presetRename"
                    enabled: bar.chosenIndex >= 0
                    text: qsTr("重命名……")
                    tip: qsTr("给所选预设改名")
                    onClicked: bar.ask("rename")
                }

                TipButton {
                    objectName: "presetDelete"
                    enabled: bar.chosenIndex >= 0
                    text: qsTr("删除")
                    tip: qsTr("删除所选预设")
                    onClicked: bar.ask("delete")
                }
            }

            // A name for a new preset or the chosen one, or the question
            // before deleting it.
            Row {
                visible: bar.asking !== ""
                spacing: 6

                TextField {
                    id: nameField

                    objectName: "presetName"
                    visible: bar.asking !== "delete"
                    width: 200
                    maximumLength: 64
                    selectByMouse: true
                    placeholderText: qsTr("预设名称")
                    font.family: bar.fontFamily
                    font.pixelSize: Theme.textSize
                    onAccepted: bar.confirm()
                }

                Text {
                    visible: bar.asking === "delete"
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("删除“%1”？").arg(bar.chosenName)
                    font.family: bar.fontFamily
                    font.pixelSize: Theme.textSize
                }

                TipButton {
                    objectName: "presetOk"
                    enabled: bar.nameProblem === ""
                    text: qsTr("确定")
                    onClicked: bar.confirm()
                }

                TipButton {
                    text: qsTr("取消")
                    onClicked: bar.asking = ""
                }
            }

            Text {
                visible: bar.nameProblem !== ""
                text: bar.nameProblem
                color: Theme.warning
                font.family: bar.fontFamily
                font.pixelSize: Theme.noteSize
            }

            Text {
                text: qsTr("先在废料上试刻，再保存调好的值")
                color: Theme.caption
                font.family: bar.fontFamily
                font.pixelSize: Theme.noteSize
            }

            Row {
                spacing: 6

                TipButton {
                    objectName: "testCardButton"
                    text: qsTr("测试卡……")
                    tip: qsTr("刻一张功率 × 深度的方格测试卡，再把最好的一格存为预设")
                    onClicked: {
                        panel.toggle()
                        bar.testCardAsked()
                    }
                }

                CalibrationTools {
                    presets: presets
                    presetIndex: bar.chosenIndex
                    shared: bar.shared
                    controller: bar.controller
                    onMessage: bar.message(text)
                }
            }
        }
    }
}
