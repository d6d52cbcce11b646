import QtQuick 2.7
import QtQuick.Controls 2.0

ApplicationWindow {
    id: window

    width: 1050
    height: 700
    visible: true
    title: qsTr("Kalvor")

    Column {
        anchors.centerIn: parent
        Label { text: qsTr("修图") }
        Label { text: qsTr("设置") }
    }
}
