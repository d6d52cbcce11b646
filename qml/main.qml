import QtQuick 2.7
import QtQuick.Window 2.2
import QtQuick.Controls 2.0
import QtQuick.Layouts 1.3
import QtQuick.Controls.Material 2.0
import Qt.labs.settings 1.1
import Zan.Engraver 1.0
import "common"
import "window"

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
    property alias quitConfirmed: quitDialog.confirmed
    // The low-power choices, in minutes; "shutTime" stores the index.
    readonly property var shutMinutes: [1, 5, 10, 50, 100, 200]

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
        if (quitDialog.confirmed || !connectDrawOperations.startCarveFlag)
            return
        close.accepted = false
        quitDialog.open()
    }

    WindowShortcuts {
        onMenuRequested: window.menuClicked(index)
        onCloseRequested: window.close()
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
        coordinateDisplayFlag: settingDialog.coordinateChecked
        shadyDisplayFlag: settingDialog.completeShadyChecked
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
            x: 12
            anchors.verticalCenter: parent.verticalCenter
            text: lastModelIndex === 0 ? qsTr("修图") : qsTr("控制")
        }

        Rectangle {
            id: titleRule

            x: operateText.x + operateText.width + 10
            y: 4
            width: 1
            height: parent.height - 8
            color: Theme.line
        }

        // The link, the engraver and the job, told all the time, on every
        // page: the messages that come and go at the bottom of a page are
        // no place to keep them.
        StatusLine {
            id: statusLine

            objectName: "statusLine"
            anchors.left: titleRule.right
            anchors.leftMargin: 10
            anchors.right: parent.right
            anchors.rightMargin: 8
            height: parent.height
            status: caseLoader2.item ? caseLoader2.item.pageStatus : null
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

    ConfirmPopup {
        id: imageProcessDoneDialog

        objectName: "imageProcessDoneDialog"
        title: qsTr("提示")
        message: qsTr("当前正在打印状态，是否继续……")
        confirmText: qsTr("确定")
        cancelText: qsTr("取消")
        confirmName: "confirmOkButton"
        cancelName: "confirmCancelButton"
        onConfirm: connectDrawOperations.verifyButton()
    }

    // Asked when the window is closed during a job: quitting stops it.
    QuitPopup {
        id: quitDialog

        objectName: "quitDialog"
        controller: operationEnd
        onQuitReady: window.close()
    }

    // Each machine action sends one command and closes the popup; none of
    // them is offered while a job runs.
    SettingsPopup {
        id: settingDialog

        objectName: "settingDialog"
        controller: operationEnd
        shared: connectDrawOperations
        shutMinutes: window.shutMinutes
        connected: caseLoader2.item ? caseLoader2.item.connected : false
        onClosed: menuControlList.currentIndex = lastModelIndex
    }

    AboutPopup {
        id: aboutDialog

        objectName: "aboutDialog"
        onClosed: menuControlList.currentIndex = lastModelIndex
    }
}
