import QtQuick 2.7
import QtQuick.Window 2.2
import QtQuick.Controls 2.0
import QtQuick.Layouts 1.3
import QtQuick.Controls.Material 2.0
import Qt.labs.settings 1.1
import Zan.Engraver 1.0
import "."

// The main window: a header row, the menu column on the right and the page
// area that hosts both pages at once. Only visibility changes between them,
// so a hidden page keeps its state, timers and connections.
ApplicationWindow {
    id: window

    // The window's colour and face, for any code that still reads them here;
    // the documents read the theme, and the pages get the face as a property.
    property color unitColor: Theme.ink
    property string unitFontFamily: Theme.fontFamily
    // The page on show: 0 editing, 1 control. The menu highlight returns
    // here whenever a popup closes.
    property int lastModelIndex: 0
    // The user confirmed quitting during a job: the next close goes through.
    property bool quitConfirmed: false
    // The low-power choices, in minutes; "shutTime" stores the index.
    readonly property var shutMinutes: [1, 5, 10, 50, 100, 200]

    // The user confirmed quitting a running job: the engraver is told to stop
    // and let go, and the window closes once the link is closed. Should the
    // controller never say so, the fallback closes it anyway: quitting must
    // not hang on an engraver that has gone silent.
    function quitStoppingJob() {
        quitDialog.close()
        if (quitConfirmed)
            return
        quitConfirmed = true
        quitFallback.start()
        operationEnd.stopAndDisconnect()
    }

    function finishQuit() {
        quitFallback.stop()
        window.close()
    }

    function menuClicked(index) {
        if (menuControlList.currentIndex !== index)
            menuControlList.currentIndex = index
        console.log(menuControlList.currentIndex)
        switch (index) {
        case 0:
            showPage(0)
            break
        case 1:
            showPage(1)
            break
        case 2:
            settingDialog.open()
            break
        case 3:
            aboutDialog.open()
            break
        }
    }

    function showPage(index) {
        caseLoader1.visible = index === 0
        caseLoader2.visible = index === 1
        lastModelIndex = index
    }

    width: 1050
    height: 700
    visible: true
    title: qsTr("Kalvor")

    Material.theme: Material.Light
    Material.accent: Material.LightGreen

    // A job running or paused is never dropped by closing the window (the
    // close button, Ctrl+Q or the session ending): the user is asked first.
    onClosing: {
        if (quitConfirmed || !connectDrawOperations.startCarveFlag)
            return
        close.accepted = false
        quitDialog.open()
    }

    Connections {
        target: operationEnd

        function onLinkClosed() {
            if (window.quitConfirmed)
                window.finishQuit()
        }
    }

    Timer {
        id: quitFallback

        objectName: "quitFallback"
        interval: 4000
        onTriggered: window.finishQuit()
    }

    Shortcut {
        sequence: "Ctrl+1"
        onActivated: window.menuClicked(0)
    }

    Shortcut {
        sequence: "Ctrl+2"
        onActivated: window.menuClicked(1)
    }

    Shortcut {
        sequence: "Ctrl+Q"
        onActivated: window.close()
    }

    component Rule: Rectangle {
        width: parent.width
        height: 2
        color: Theme.line
    }

    // A machine action of the settings popup: one command, then the popup
    // closes. None is offered while a job runs.
    component MachineButton: PopupButton {
        property string command

        visible: !connectDrawOperations.startCarveFlag
        onClicked: settingDialog.sendCommand(command)
    }

    // The engraving state that the two pages share.
    SharedState {
        id: connectDrawOperations

        // Shows the control page, as its menu entry does.
        function changeModel() {
            window.showPage(1)
            menuControlList.currentIndex = 1
        }
        function open() {
            imageProcessDoneDialog.open()
        }

        objectName: "connectDrawOperations"
        beginStopFlag: imageProcessDoneDialog.visible
        coordinateDisplayFlag: coordinateDisplay.checked
        shadyDisplayFlag: completeShadyDisplay.checked
        onStopDone: imageProcessDoneDialog.close()
    }

    Rectangle {
        id: operateInfo

        anchors.left: parent.left
        anchors.right: headerInfo.left
        anchors.top: parent.top
        height: 20
        color: Theme.ink

        // Names the page on show, whichever way it came to be shown (a
        // menu entry, Done on the editing page); a popup over it does not
        // change it.
        Caption {
            id: operateText

            objectName: "operateText"
            anchors.fill: parent
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            text: lastModelIndex === 0 ? qsTr("修图") : qsTr("控制")
        }
    }

    Rectangle {
        id: headerInfo

        objectName: "headerInfo"
        anchors.right: parent.right
        anchors.top: parent.top
        width: 60
        height: 20
        color: Theme.ink

        Caption {
            anchors.fill: parent
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            text: qsTr("状态")
        }

        Rectangle {
            x: 0
            y: 1
            width: 2
            height: parent.height - 2
            color: Theme.line
        }

        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: Theme.line
        }
    }

    Rectangle {
        id: listRect

        objectName: "listRect"
        anchors.right: parent.right
        anchors.top: headerInfo.bottom
        anchors.bottom: parent.bottom
        width: 60
        color: Theme.ink

        ListView {
            id: menuControlList

            objectName: "menuControlList"
            anchors.fill: parent
            boundsBehavior: Flickable.StopAtBounds
            currentIndex: 0
            model: MenuModel {}
            delegate: MenuEntry {
                width: menuControlList.width
                current: ListView.isCurrentItem
                name: model.name
                icon: model.image1_addr
                currentIcon: model.image2_addr
                onClicked: window.menuClicked(index)
            }
        }
    }

    // Both pages are loaded at once and get what they need from the window
    // as properties: the shared state, the engraver controller, the face.
    Loader {
        id: caseLoader1

        objectName: "caseLoader1"
        x: 0
        y: operateInfo.height
        width: listRect.x
        height: window.height - y
        sourceComponent: DrawimgBoard {
            shared: connectDrawOperations
            controller: operationEnd
            fontFamily: window.unitFontFamily
        }
        visible: true
    }

    Loader {
        id: caseLoader2

        objectName: "caseLoader2"
        x: 0
        y: operateInfo.height
        width: listRect.x
        height: window.height - y
        sourceComponent: OperationsFront {
            shared: connectDrawOperations
            controller: operationEnd
            fontFamily: window.unitFontFamily
            hostWindow: window
            keysEnabled: !imageProcessDoneDialog.visible && !settingDialog.visible && !aboutDialog.visible
                         && !quitDialog.visible
        }
        visible: false
    }

    WindowPopup {
        id: imageProcessDoneDialog

        objectName: "imageProcessDoneDialog"

        Column {
            width: parent.width
            spacing: 20

            PopupText {
                text: qsTr("提示")
                font.pixelSize: Theme.titleSize
            }

            PopupText {
                text: qsTr("当前正在打印状态，是否继续……")
            }

            PopupButton {
                id: confirmOkButton

                objectName: "confirmOkButton"
                text: qsTr("确定")
                onClicked: connectDrawOperations.verifyButton()
            }

            PopupButton {
                id: confirmCancelButton

                objectName: "confirmCancelButton"
                text: qsTr("取消")
                onClicked: imageProcessDoneDialog.close()
            }
        }
    }

    // Asked when the window is closed during a job: quitting stops it.
    WindowPopup {
        id: quitDialog

        objectName: "quitDialog"

        Column {
            width: parent.width
            spacing: 20

            PopupText {
                text: qsTr("提示")
                font.pixelSize: Theme.titleSize
            }

            PopupText {
                text: qsTr("正在雕刻，退出将停止雕刻。确定退出吗？")
            }

            PopupButton {
                objectName: "quitOkButton"
                text: qsTr("退出")
                onClicked: window.quitStoppingJob()
            }

            PopupButton {
                objectName: "quitCancelButton"
                text: qsTr("取消")
                onClicked: quitDialog.close()
            }
        }
    }

    // Each machine action sends one command and closes the popup; none of
    // them is offered while a job runs.
    WindowPopup {
        id: settingDialog

        function sendCommand(command) {
            operationEnd.serialWriteData(command)
            close()
        }

        objectName: "settingDialog"
        tall: true
        onClosed: menuControlList.currentIndex = lastModelIndex
        // The chooser shows what was last saved; a choice left by Cancel
        // never reached the engraver.
        onAboutToShow: shutTimeSelect.currentIndex = settings4.shutTime

        Settings {
            id: settings4

            // Index into shutMinutes of the low-power time last saved.
            property int shutTime: 0
        }

        Settings {
            id: settings2

            property bool coordinateChecked: true
        }

        Settings {
            id: settings3

            property bool completeShadyChecked: true
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

                MachineButton {
                    id: resetButton

                    objectName: "resetButton"
                    text: qsTr("重新置位")
                    command: EngraverProtocol.resetPositionCommand
                }

                Rule {}

                PopupText {
                    text: qsTr("定位激光器到机器中间,这样您可以吧雕刻机收起到包装盒中")
                }

                MachineButton {
                    id: middleButton

                    objectName: "middleButton"
                    text: qsTr("中间")
                    command: EngraverProtocol.moveToMiddleCommand
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
                    model: window.shutMinutes.map(function(minutes) { return minutes + " " + qsTr("分钟") })
                    currentIndex: settings4.shutTime
                }

                MachineButton {
                    id: lowPowerButton

                    objectName: "lowPowerButton"
                    text: qsTr("低功耗")
                    command: EngraverProtocol.lowPowerCommand
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
                            // A stored value differing only in letter case
                            // still picks its entry; anything else keeps the first.
                            Component.onCompleted: {
                                var stored = String(languageSettings.value("languages", "简体中文")).toLowerCase()
                                for (var i = 0; i < model.length; ++i) {
                                    if (model[i].toLowerCase() === stored) {
                                        currentIndex = i
                                        break
                                    }
                                }
                            }
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
                    checked: settings2.coordinateChecked
                }

                Rule {}

                PopupText {
                    text: qsTr("是否显示图片打印进度")
                }

                FlatSwitch {
                    id: completeShadyDisplay

                    objectName: "completeShadyDisplay"
                    checked: settings3.completeShadyChecked
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
                            var chosen = Math.max(0, shutTimeSelect.currentIndex)
                            settings4.shutTime = chosen
                            // The engraver's low-power time in whole minutes.
                            operationEnd.serialWriteData(EngraverProtocol.lowPowerTimeCommand(window.shutMinutes[chosen]))
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

    WindowPopup {
        id: aboutDialog

        objectName: "aboutDialog"
        onClosed: menuControlList.currentIndex = lastModelIndex

        Column {
            width: parent.width
            spacing: 20

            PopupText {
                text: qsTr("关于我们")
                font.pixelSize: Theme.titleSize
            }

            PopupText {
                objectName: "softwareVersion"
                text: qsTr("软件版本：") + "V1.91"
            }

            PopupText {
                objectName: "machineVersion"
                text: qsTr("雕刻机版本：") + "V1.5"
            }

            PopupText {
                text: qsTr("雕刻最大图像大小：1050*1050像素")
            }

            PopupText {
                text: qsTr("雕刻最大面积：80*80mm")
            }

            PopupText {
                text: qsTr("快捷键")
            }

            KeySheet {
                objectName: "keySheet"
            }
        }
    }
}
