import QtQuick 2.7

// The navigation entries of the menu column: two pages and two popups.
// image1_addr is the icon of an entry at rest, image2_addr the icon of the
// entry that is current.
ListModel {
    ListElement {
        name: qsTr("修图")
        image1_addr: "qrc:/image/penGrey.png"
        image2_addr: "qrc:/image/penMul.png"
    }
    ListElement {
        name: qsTr("控制")
        image1_addr: "qrc:/image/controlGrey.png"
        image2_addr: "qrc:/image/controlMulColor.png"
    }
    ListElement {
        name: qsTr("设置")
        image1_addr: "qrc:/image/settingsGrey.png"
        image2_addr: "qrc:/image/settingsMul.png"
    }
    ListElement {
        name: qsTr("关于")
        image1_addr: "qrc:/image/netGrey.png"
        image2_addr: "qrc:/image/netMulColor.png"
    }
}
