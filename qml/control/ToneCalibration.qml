import QtQuick 2.9
import QtQuick.Controls 2.2
import QtQuick.Dialogs 1.3
import Zan.Desktop 1.0
import "../common"

// The tone calibration: makes a 16-step grey card as the look chosen burns
// it (the user burns it with play, at the preset's power and depth), then
// takes how each step came out, by eye against greys on screen or read from
// a photo or scan of the card, and fits the material's response to them for
// the chosen preset.
WindowPopup {
    id: popup

    property QtObject shared: null
    property QtObject controller: null
    // The preset the calibration is for; empty when none is chosen.
    property string presetName: ""
    // Its levels stored so far; empty when it has none.
    property var storedLevels: []
    // How each step came out (0 black to 255 white), white step first.
    property var levels: []
    // The bare material's colour ("#rrggbb") when a photo told it.
    property string tint: ""
    // What the panel says of the last thing done.
    property string note: ""
    property bool noteWarns: false

    // The preset is to take the levels and the tint.
    signal storeAsked(var levels, string tint)
    // For the page's message line.
    signal message(string text)

    function start() {
        levels = storedLevels.length === 16 ? storedLevels.slice() : calibrator.askedLevels()
        tint = ""
        say("", false)
        open()
    }

    function say(text, warns) {
        note = text
        noteWarns = warns
    }

    function setLevel(step, value) {
        var next = levels.slice()
        next[step] = Math.round(value)
        levels = next
        tint = ""
    }

    function makeCard() {
        if (shared && shared.startCarveFlag) {
            say(qsTr("雕刻进行中，结束后才能准备色阶卡"), true)
            return
        }
        var look = shared ? shared.lookSettings : {}
        var buffer = controller ? controller.jobBuffer : null
        if (look.look === undefined
                || !calibrator.makeCard(buffer, look.look, look.threshold, look.method, look.serpentine,
                                        look.halftoneCell, look.dotSize))
            say(qsTr("现在无法准备色阶卡……"), true)
    }

    function fit() {
        if (!calibrator.fits(levels)) {
            say(qsTr("无法拟合：各级应由白到黑逐渐变深。卡片是否读反了，或者没有刻上？"), true)
            return
        }
        storeAsked(levels, tint)
        close()
    }

    objectName: "toneCalibration"
    width: Math.min(parent.width - 40, Math.max(640, content.implicitWidth + 40))

    ToneCalibrator {
        id: calibrator

        onCardMade: {
            if (popup.shared)
                popup.shared.setCarveMode(popup.shared.lookSettings.look === 1 ? 1 : 2)
            if (popup.controller)
                popup.controller.finishedLoadProcess()
            popup.say(qsTr("色阶卡已准备好：用所选预设的功率和深度按开始雕刻"), false)
            popup.message(qsTr("色阶卡已准备好，按开始雕刻"))
        }
        onPhotoRead: {
            popup.levels = levels
            popup.tint = tint
            popup.say(qsTr("已从照片读出16级，请核对后拟合"), false)
        }
        onPhotoRefused: {
            if (problem === ToneCalibrator.NoCard)
                popup.say(qsTr("照片中找不到色阶卡：请让整个黑框清楚地出现在照片中，卡片摆正"), true)
            else if (problem === ToneCalibrator.TimedOut)
                popup.say(qsTr("读取照片超时，已放弃……"), true)
            else
                popup.say(qsTr("无法读取该图片……"), true)
        }
    }

    FileDialog {
        id: photoDialog

        objectName: "calibrationPhotoDialog"
        title: qsTr("色阶卡的照片或扫描")
        selectMultiple: false
        nameFilters: [qsTr("图片") + " (" + PictureFiles.patterns + ")", qsTr("所有文件") + " (*)"]
        onAccepted: {
            if (calibrator.readPhoto(fileUrl))
                popup.say(qsTr("正在读取照片……"), false)
        }
    }

    Column {
        id: content

        width: parent.width
        spacing: 10

        Row {
            spacing: 10

            Label {
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("校准色调")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.titleSize
                font.bold: true
            }

            Label {
                anchors.verticalCenter: parent.verticalCenter
                text: popup.presetName !== "" ? qsTr("材料：%1").arg(popup.presetName)
                                              : qsTr("请先选择一个材料预设，校准将存入其中")
                color: popup.presetName !== "" ? Theme.ink : Theme.warning
                font.family: Theme.fontFamily
                font.pixelSize: Theme.textSize
            }
        }

        // 1: the card.
        Row {
            spacing: 10

            PopupButton {
                objectName: "calibrationMakeCard"
                enabled: !calibrator.busy
                text: qsTr("准备色阶卡")
                onClicked: popup.makeCard()
            }

            Label {
                anchors.verticalCenter: parent.verticalCenter
                width: content.width - x
                wrapMode: Text.WordWrap
                text: qsTr("16级由白到黑，外有黑框，按编辑页当前的效果雕刻（约76 × 12 毫米）")
                color: Theme.caption
                font.family: Theme.fontFamily
                font.pixelSize: Theme.noteSize
            }
        }

        // 2: how each step came out.
        Label {
            width: content.width
            wrapMode: Text.WordWrap
            text: qsTr("雕刻后，把每一级调到与刻出的深浅相同的灰度，或者读取卡片的照片：")
            font.family: Theme.fontFamily
            font.pixelSize: Theme.textSize
        }

        Row {
            objectName: "calibrationSteps"
            spacing: 4

            Repeater {
                model: 16

                Column {
                    spacing: 2

                    Label {
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: index + 1
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.noteSize
                    }

                    Rectangle {
                        anchors.horizontalCenter: parent.horizontalCenter
                        width: 30
                        height: 30
                        border.width: 1
                        border.color: Theme.softBorder
                        readonly property real grey: (popup.levels[index] || 0) / 255
                        color: Qt.rgba(grey, grey, grey, 1)
                    }

                    Slider {
                        objectName: "calibrationStep" + index
                        anchors.horizontalCenter: parent.horizontalCenter
                        width: 30
                        height: 110
                        orientation: Qt.Vertical
                        from: 0
                        to: 255
                        stepSize: 1
                        value: popup.levels[index] || 0
                        onMoved: popup.setLevel(index, value)

                        ToolTip.visible: hovered || pressed
                        ToolTip.delay: Theme.tipDelay
                        ToolTip.text: qsTr("第 %1 级（要求 %2）刻出的灰度：%3").arg(index + 1)
                                      .arg(255 - 17 * index).arg(Math.round(value))
                    }

                    Label {
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: Math.round(popup.levels[index] || 0)
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.noteSize
                    }
                }
            }
        }

        Row {
            spacing: 10

            PopupButton {
                objectName: "calibrationPhoto"
                enabled: !calibrator.busy
                text: qsTr("读取照片……")
                onClicked: photoDialog.open()
            }

            PopupButton {
                objectName: "calibrationReset"
                text: qsTr("恢复要求的灰度")
                onClicked: {
                    popup.levels = calibrator.askedLevels()
                    popup.tint = ""
                }
            }

            Rectangle {
                anchors.verticalCenter: parent.verticalCenter
                visible: popup.tint !== ""
                width: 30
                height: 30
                color: popup.tint !== "" ? popup.tint : "white"
                border.width: 1
                border.color: Theme.softBorder
            }

            Label {
                anchors.verticalCenter: parent.verticalCenter
                visible: popup.tint !== ""
                text: qsTr("材料颜色")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.noteSize
            }
        }

        Label {
            objectName: "calibrationNote"
            width: content.width
            wrapMode: Text.WordWrap
            visible: text !== ""
            text: popup.note
            color: popup.noteWarns ? Theme.warning : Theme.ink
            font.family: Theme.fontFamily
            font.pixelSize: Theme.textSize
        }

        // 3: the fit, stored with the preset.
        Row {
            spacing: 10

            PopupButton {
                objectName: "calibrationFit"
                enabled: popup.presetName !== "" && !calibrator.busy
                text: qsTr("拟合并存入预设")
                onClicked: popup.fit()
            }

            PopupButton {
                text: qsTr("关闭")
                onClicked: popup.close()
            }

            BusyIndicator {
                width: 30
                height: 30
                running: calibrator.busy
                visible: running
            }
        }
    }
}
