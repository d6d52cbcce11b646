import QtQuick 2.7
import "../common"

// The about popup of the main window: the versions, the engraver's limits
// and the keys.
WindowPopup {
    id: aboutDialog

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
