import QtQuick 2.7
import QtQuick.Controls 2.0
import Qt.labs.settings 1.1
import Zan.Engraver 1.0
import Zan.Desktop 1.0
import "../common"

// The settings popup of the main window. Each machine action sends one
// command and closes the popup; none of them is offered while a job runs,
// and with no engraver connected the popup says so beside the button and
// stays open. The two display switches are read by the window through the
// properties below.
WindowPopup {
    id: settingDialog

    // The engraver controller the commands go to.
    property QtObject controller
    // The engraving state the pages share: no machine action during a job.
    property QtObject shared
    // The low-power choices, in minutes; "shutTime" stores the index.
    property var shutMinutes: []
    // The engraver is connected: the machine actions can reach it.
    property bool connected: false
    // A low-power time saved while no engraver was connected, in minutes:
    // it goes to the engraver when one connects (0: none waiting).
    property int pendingShutMinutes: 0
    readonly property bool coordinateChecked: coordinateDisplay.checked
    readonly property bool completeShadyChecked: completeShadyDisplay.checked

    function sendCommand(command) {
        controller.serialWriteData(command)
        close()
    }

    // A machine action: sent, or, with no engraver to take it, nothing sent
    // and the reason shown beside its button.
    function machineAction(action) {
        if (!connected) {
            action.noteShown = true
            return
        }
        sendCommand(action.command)
    }

    // The engraver's low-power time in whole minutes, now or on connecting.
    function sendShutTime(minutes) {
        if (connected)
            controller.serialWriteData(EngraverProtocol.lowPowerTimeCommand(minutes))
        else
            pendingShutMinutes = minutes
    }

    // A low-power choice the list has: the first one for any other index.
    function shutIndexWithin(index) {
        return index >= 0 && index < shutMinutes.length ? index : 0
    }

    tall: true
    // The chooser shows what was last saved; a choice left by Cancel
    // never reached the engraver.
    onAboutToShow: {
        shutTimeSelect.currentIndex = shutIndexWithin(settings4.shutTime)
        resetButton.noteShown = middleButton.noteShown = lowPowerButton.noteShown = false
    }
    onConnectedChanged: {
        if (connected) {
            resetButton.noteShown = middleButton.noteShown = lowPowerButton.noteShown = false
            if (pendingShutMinutes > 0) {
                sendShutTime(pendingShutMinutes)
                pendingShutMinutes = 0
            }
        }
    }

    component Rule: Rectangle {
        width: parent.width
        height: 2
        color: Theme.line
    }

    // Each stored value is checked once, when the popup is made, and handed
    // to its control: one out of range or of another type gives way to its
    // default before anything uses it. The properties are written back as
    // before, on Save.
    Settings {
        id: settings4

        // Index into shutMinutes of the low-power time last saved.
        property int shutTime: 0

        Component.onCompleted: shutTime = StoredSettings.checked("shutTime", value("shutTime"))
    }

    Settings {
        id: settings2

        property bool coordinateChecked: true

        Component.onCompleted: coordinateDisplay.checked = coordinateChecked = StoredSettings.checked("coordinateChecked", value("coordinateChecked"))
    }

    Settings {
        id: settings3

        property bool completeShadyChecked: true

        Component.onCompleted: completeShadyDisplay.checked = completeShadyChecked = StoredSettings.checked("completeShadyChecked", value("completeShadyChecked"))
    }

    Flickable {
        id: settingFlickable

        anchors.fill: parent
        clip: true
        contentWidth: width
        contentHeight: settingColumn.height + 20
        boundsBehavior: Flickable.StopAtBounds

        ScrollIndicator.vertical: ScrollIndicator {}

        Column {
            id: settingColumn

            width: settingFlickable.width
            spacing: 10

            PopupText {
                text: qsTr("设置")
                font.pixelSize: Theme.titleSize
            }

            Rule {}

            PopupText {
                text: qsTr("当雕刻机连接成功后,激光器的位置不在左上角,需要重新置位")
            }

            // None is offered while a job runs.
            MachineAction {
                id: resetButton

                visible: !settingDialog.shared.startCarveFlag
                buttonName: "resetButton"
                noteName: "resetButtonNote"
                text: qsTr("重新置位")
                command: EngraverProtocol.resetPositionCommand
                onTriggered: settingDialog.machineAction(resetButton)
            }

            Rule {}

            PopupText {
                text: qsTr("定位激光器到机器中间,这样您可以吧雕刻机收起到包装盒中")
            }

            // None is offered while a job runs.
            MachineAction {
                id: middleButton

                visible: !settingDialog.shared.startCarveFlag
                buttonName: "middleButton"
                noteName: "middleButtonNote"
                text: qsTr("中间")
                command: EngraverProtocol.moveToMiddleCommand
                onTriggered: settingDialog.machineAction(middleButton)
            }

            Rule {}

            PopupText {
                text: qsTr("低功耗模式消耗的电能会降低很多")
            }

            // How long the engraver waits idle before it goes into low
            // power; sent with Save. Offered during a job too: it only
            // sets a time and moves nothing.
            ComboBox {
                id: shutTimeSelect

                objectName: "shutTimeSelect"
                height: 30
                width: 200
                font.family: Theme.fontFamily
                model: settingDialog.shutMinutes.map(function(minutes) { return minutes + " " + qsTr("分钟") })
            }

            // None is offered while a job runs.
            MachineAction {
                id: lowPowerButton

                visible: !settingDialog.shared.startCarveFlag
                buttonName: "lowPowerButton"
                noteName: "lowPowerButtonNote"
                text: qsTr("低功耗")
                command: EngraverProtocol.lowPowerCommand
                onTriggered: settingDialog.machineAction(lowPowerButton)
            }

            Rule {}

            // The language for the next start. The Japanese edition has
            // no choice: there the selector and its settings object do not
            // exist at all, so nothing can write "languages".
            Loader {
                id: languageLoader

                objectName: "languageLoader"
                width: parent.width
                active: !japaneseEdition
                visible: active
                sourceComponent: Column {
                    width: languageLoader.width
                    spacing: 10

                    // Read and written through value() and setValue():
                    // a Settings property would store its default on
                    // the first start, and "languages" must stay absent
                    // until the user picks a language.
                    Settings {
                        id: languageSettings
                    }

                    PopupText {
                        text: qsTr("语言选择，重启软件生效")
                    }

                    ComboBox {
                        id: languageSelect

                        objectName: "languageSelect"
                        height: 30
                        width: 200
                        font.family: Theme.fontFamily
                        model: ["简体中文", "English", "日本の"]
                        // The language on screen, which need not be the
                        // one stored: with none stored it is the system's.
                        currentIndex: Math.max(0, model.indexOf(languageInUse))
                        // Written at once, whether the popup is saved or not.
                        onActivated: languageSettings.setValue("languages", model[index])
                    }

                    Rule {}
                }
            }

            PopupText {
                text: qsTr("显示激光头和图片坐标,单位为mm")
            }

            FlatSwitch {
                id: coordinateDisplay

                objectName: "coordinateDisplay"
            }

            Rule {}

            PopupText {
                text: qsTr("是否显示图片打印进度")
            }

            FlatSwitch {
                id: completeShadyDisplay

                objectName: "completeShadyDisplay"
            }

            Rule {}

            PopupText {
                text: qsTr("注意：按保存后才能真正保存，否则软件重启后就会恢复！")
                font.pixelSize: Theme.noteSize
            }

            Row {
                spacing: 10

                PopupButton {
                    id: saveButton

                    objectName: "saveButton"
                    text: qsTr("保存")
                    onClicked: {
                        settings2.coordinateChecked = coordinateDisplay.checked
                        settings3.completeShadyChecked = completeShadyDisplay.checked
                        var chosen = settingDialog.shutIndexWithin(shutTimeSelect.currentIndex)
                        settings4.shutTime = chosen
                        settingDialog.sendShutTime(settingDialog.shutMinutes[chosen])
                        settingDialog.close()
                    }
                }

                PopupButton {
                    id: cancelButton

                    objectName: "cancelButton"
                    text: qsTr("取消")
                    onClicked: settingDialog.close()
                }
            }
        }
    }
}
