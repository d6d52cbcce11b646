import QtQuick 2.7
import "../common"

// Stays at the top of the control page while the engraver reports its job
// running but asks for no data: it waits for something the program will not
// send (a chunk of a session that ended mid-job) or it hangs. It offers the
// two ways out: stop the job, or take the link down and find the engraver
// again.
Rectangle {
    id: notice

    property string fontFamily: Theme.fontFamily

    signal stopClicked()
    signal reconnectClicked()

    width: noticeRow.width + 24
    height: 44
    radius: 3
    border.width: 2
    border.color: Theme.accentBorder
    gradient: Theme.panelGradient

    Row {
        id: noticeRow

        anchors.centerIn: parent
        spacing: 12

        Text {
            objectName: "stalledJobText"
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("雕刻机已停止请求数据，雕刻没有进展……")
            color: Theme.ink
            font.family: notice.fontFamily
            font.pixelSize: Theme.messageSize
        }

        PopupButton {
            objectName: "stalledStopButton"
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("停止")
            onClicked: notice.stopClicked()
        }

        PopupButton {
            objectName: "stalledReconnectButton"
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("重新连接")
            onClicked: notice.reconnectClicked()
        }
    }
}
