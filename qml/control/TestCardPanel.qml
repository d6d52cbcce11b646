import QtQuick 2.7
import QtQuick.Controls 2.2
import Zan.Engraver 1.0
import "../common"

// The power x depth test card: a popup where the user chooses the powers
// (columns) and depths (rows), the squares' size and gap, sees the card on
// the engraving area and burns it; after a card, a grid of its squares to
// pick the best one and keep its power and depth as a material preset.
// While the card burns, the page shows which row is on.
Item {
    id: cardPanel

    // The control page (its run driver, connection and job state) and the
    // presets of its tool column.
    property Item page: null
    property Item presetBar: null
    // The page's copies layout, which leaves the card's rows alone.
    property QtObject copiesLayout: null
    property string fontFamily: Theme.fontFamily
    readonly property TestCard card: page ? page.runDriver.testCard : null
    // A card has been burned to its end: its squares can be picked.
    property bool cardDone: false
    property var donePowers: []
    property var doneDepths: []
    // Whether the popup shows the squares, and whether it asks for the
    // preset's name.
    property bool picking: false
    property bool naming: false
    readonly property string nameProblem: naming && presetBar ? presetBar.newNameProblem(nameField.text) : ""
    readonly property bool canBurn: !!card && !!page && page.connected && page.jobState.idle && !page.framing
                                    && !card.active && card.problem === TestCard.NoProblem

    function open() {
        picking = false
        naming = false
        popup.open()
    }

    function problemText() {
        switch (card ? card.problem : TestCard.NoProblem) {
        case TestCard.CountProblem:
            return qsTr("列数和行数须在 1 到 10 之间")
        case TestCard.PowerRangeProblem:
            return qsTr("功率须在 1% 到 100% 之间，且起点不大于终点")
        case TestCard.DepthRangeProblem:
            return qsTr("深度须在 1% 到 100% 之间，且起点不大于终点")
        case TestCard.SquareSizeProblem:
            return qsTr("方格边长须在 2 到 20 mm 之间")
        case TestCard.GapSizeProblem:
            return qsTr("间距须在 0 到 10 mm 之间")
        case TestCard.LabelsTooWideProblem:
            return qsTr("方格太小，放不下数值标签：请加大方格或间距")
        case TestCard.TooLargeProblem:
            return qsTr("测试卡 %1 × %2 mm，超出 80 × 80 mm 的雕刻区域").arg(card.cardWidth.toFixed(1)).arg(card.cardHeight.toFixed(1))
        default:
            return qsTr("测试卡 %1 × %2 mm，放在雕刻区中央").arg(card.cardWidth.toFixed(1)).arg(card.cardHeight.toFixed(1))
        }
    }

    // The squares of the card burned last, its powers and depths in
    // percent, to pick one from.
    function showSquares(powers, depths) {
        donePowers = powers
        doneDepths = depths
        cardDone = true
        pick.pickedColumn = -1
        pick.pickedRow = -1
        naming = false
        picking = true
        popup.open()
    }

    function burn() {
        if (!canBurn)
            return
        if (page.runDriver.startCard()) {
            cardDone = false
            popup.close()
            page.infoView(qsTr("开始雕刻测试卡……"))
        }
    }

    function savePreset() {
        if (nameProblem !== "" || pick.pickedColumn < 0 || pick.pickedRow < 0)
            return
        if (presetBar.createPreset(nameField.text, donePowers[pick.pickedColumn], doneDepths[pick.pickedRow]) >= 0)
            naming = false
    }

    objectName: "testCardHost"
    implicitWidth: status.width
    implicitHeight: status.height

    // The card's rows are not the page's single job, which its copies take.
    Binding {
        target: cardPanel.copiesLayout
        property: "lent"
        value: !!cardPanel.card && cardPanel.card.holding
        when: cardPanel.copiesLayout !== null
    }

    Connections {
        target: cardPanel.card

        // Burned to the end: offered at once to pick from.
        function onEnded(complete) {
            if (complete)
                cardPanel.showSquares(cardPanel.card.powers, cardPanel.card.depths)
        }
    }

    Column {
        id: status

        objectName: "testCardRow"
        visible: !!cardPanel.card && cardPanel.card.active
        spacing: 2

        Text {
            text: qsTr("测试卡")
            font.family: cardPanel.fontFamily
            font.pixelSize: Theme.captionSize
            color: Theme.caption
        }

        Text {
            text: cardPanel.card ? qsTr("第 %1 行，共 %2 行：深度 %3%").arg(cardPanel.card.row)
                                   .arg(cardPanel.card.rowCount).arg(cardPanel.card.rowDepth) : ""
            font.family: cardPanel.fontFamily
            font.pixelSize: Theme.textSize
            color: Theme.ink
        }
    }

    component Tip: ToolTip {
        visible: parent.hovered
        delay: Theme.tipDelay
        closePolicy: Popup.NoAutoClose
        exit: null
    }

    component FieldLabel: Label {
        height: 32
        verticalAlignment: Text.AlignVCenter
        font.family: cardPanel.fontFamily
        font.pixelSize: Theme.textSize
        color: Theme.ink
    }

    // One of the card's values: a percentage or a count, or millimetres in
    // tenths (perUnit 10).
    component NumberBox: SpinBox {
        id: numberBox

        property string key
        property int perUnit: 1
        property string tip

        objectName: "card_" + key
        width: 112
        editable: true
        hoverEnabled: true
        enabled: !!cardPanel.card && !cardPanel.card.active
        font.family: cardPanel.fontFamily
        font.pixelSize: Theme.textSize
        value: cardPanel.card ? Math.round(cardPanel.card[key] * perUnit) : 0
        onValueModified: cardPanel.card[key] = value / perUnit

        Tip {
            text: numberBox.tip
        }
    }

    component MillimetreBox: NumberBox {
        perUnit: 10
        stepSize: 5
        textFromValue: function(value, locale) { return (value / 10).toFixed(1) }
        valueFromText: function(text, locale) {
            var mm = Number(text.replace(",", "."))
            return isNaN(mm) ? value : Math.round(mm * 10)
        }
        validator: DoubleValidator { bottom: 0; top: 80; decimals: 1 }
    }

    WindowPopup {
        id: popup

        objectName: "testCardPanel"
        parent: cardPanel.page
        modal: false
        width: Math.min(cardPanel.page ? cardPanel.page.width - 40 : 600, content.implicitWidth + 2 * padding)
        onClosed: cardPanel.naming = false

        Column {
            id: content

            spacing: 10

            Text {
                text: qsTr("功率 × 深度测试卡")
                font.family: cardPanel.fontFamily
                font.pixelSize: Theme.titleSize
                color: Theme.ink
            }

            // ---- The card's values and its drawing -------------------------
            Row {
                visible: !cardPanel.picking
                spacing: 20

                Grid {
                    columns: 6
                    columnSpacing: 6
                    rowSpacing: 6
                    verticalItemAlignment: Grid.AlignVCenter

                    FieldLabel { text: qsTr("激光功率") }
                    NumberBox { key: "powerFrom"; from: 1; to: 100; tip: qsTr("第一列的激光功率（%）") }
                    FieldLabel { text: qsTr("到") }
                    NumberBox { key: "powerTo"; from: 1; to: 100; tip: qsTr("最后一列的激光功率（%），也是雕刻时设定的激光功率") }
                    FieldLabel { text: qsTr("%，列数") }
                    NumberBox { key: "powerCount"; from: 1; to: 10; tip: qsTr("几种功率，每种一列（1–10）") }

                    FieldLabel { text: qsTr("雕刻深度") }
                    NumberBox { key: "depthFrom"; from: 1; to: 100; tip: qsTr("第一行的雕刻深度（%）") }
                    FieldLabel { text: qsTr("到") }
                    NumberBox { key: "depthTo"; from: 1; to: 100; tip: qsTr("最后一行的雕刻深度（%）") }
                    FieldLabel { text: qsTr("%，行数") }
                    NumberBox { key: "depthCount"; from: 1; to: 10; tip: qsTr("几种深度，每种一行，每行单独雕刻一次（1–10）") }

                    FieldLabel { text: qsTr("方格边长") }
                    MillimetreBox { key: "squareSize"; from: 20; to: 200; tip: qsTr("每个方格的边长，单位毫米（2–20）") }
                    FieldLabel { text: qsTr("mm，间距") }
                    MillimetreBox { key: "gapSize"; from: 0; to: 100; tip: qsTr("相邻方格之间的距离，单位毫米（0–10）") }
                    FieldLabel { text: qsTr("mm") }
                    Item { width: 1; height: 1 }
                }

                // The engraving area with the card in its middle: labels as
                // bars, squares as dark as they burn.
                Rectangle {
                    id: drawing

                    readonly property real unit: width / 80

                    objectName: "testCardDrawing"
                    width: 160
                    height: 160
                    border.width: 1
                    border.color: Theme.softBorder

                    Item {
                        visible: !!cardPanel.card && cardPanel.card.problem === TestCard.NoProblem
                        x: cardPanel.card ? cardPanel.card.startX / 20 * drawing.unit : 0
                        y: cardPanel.card ? cardPanel.card.startY / 20 * drawing.unit : 0

                        Repeater {
                            model: cardPanel.card ? cardPanel.card.powers : []

                            Rectangle {
                                readonly property int column: index
                                readonly property real shade: modelData / cardPanel.card.topPower

                                x: (cardPanel.card.labelWidth + index * (cardPanel.card.squareSize + cardPanel.card.gapSize)) * drawing.unit
                                width: cardPanel.card.squareSize * drawing.unit
                                height: 1
                                color: Theme.ink

                                Repeater {
                                    model: cardPanel.card.depths

                                    Rectangle {
                                        y: (cardPanel.card.labelHeight + index * (cardPanel.card.squareSize + cardPanel.card.gapSize)) * drawing.unit
                                        width: parent.width
                                        height: width
                                        color: Qt.rgba(0, 0, 0, parent.shade)
                                    }
                                }
                            }
                        }

                        Repeater {
                            model: cardPanel.card ? cardPanel.card.depths : []

                            Rectangle {
                                x: cardPanel.card.labelWidth * drawing.unit / 3
                                y: (cardPanel.card.labelHeight + (index + 0.5) * (cardPanel.card.squareSize + cardPanel.card.gapSize)) * drawing.unit - 1
                                width: cardPanel.card.labelWidth * drawing.unit / 2
                                height: 1
                                color: Theme.ink
                            }
                        }
                    }
                }
            }

            Text {
                objectName: "testCardFit"
                visible: !cardPanel.picking
                width: Math.max(200, content.width)
                wrapMode: Text.WordWrap
                text: cardPanel.problemText()
                color: cardPanel.card && cardPanel.card.problem !== TestCard.NoProblem ? Theme.warning : Theme.ink
                font.family: cardPanel.fontFamily
                font.pixelSize: Theme.textSize
            }

            Text {
                visible: !cardPanel.picking
                width: Math.max(200, content.width)
                wrapMode: Text.WordWrap
                text: qsTr("每行单独雕刻一次，用该行的深度；激光功率设为最后一列的值，各列按功率比例降低灰度强度，所以激光不会超过所选的最高功率。数值标签以全强度雕刻。")
                color: Theme.caption
                font.family: cardPanel.fontFamily
                font.pixelSize: Theme.noteSize
            }

            Row {
                visible: !cardPanel.picking
                spacing: 8

                TipButton {
                    objectName: "testCardBurn"
                    fontFamily: cardPanel.fontFamily
                    enabled: cardPanel.canBurn
                    text: qsTr("雕刻测试卡")
                    tip: cardPanel.page && !cardPanel.page.connected ? qsTr("请先连接雕刻机")
                                                                    : qsTr("在雕刻区中央逐行雕刻测试卡")
                    onClicked: cardPanel.burn()
                }

                TipButton {
                    objectName: "testCardPickView"
                    fontFamily: cardPanel.fontFamily
                    visible: cardPanel.cardDone
                    text: qsTr("选择方格……")
                    tip: qsTr("选出刻得最好的方格，存为材料预设")
                    onClicked: cardPanel.picking = true
                }

                TipButton {
                    fontFamily: cardPanel.fontFamily
                    text: qsTr("关闭")
                    onClicked: popup.close()
                }
            }

            // ---- After the card: the squares to pick from -------------------
            TestCardSquares {
                id: pick

                visible: cardPanel.picking
                powers: cardPanel.donePowers
                depths: cardPanel.doneDepths
                fontFamily: cardPanel.fontFamily
            }

            Row {
                visible: cardPanel.picking && cardPanel.naming
                spacing: 6

                TextField {
                    id: nameField

                    objectName: "testCardPresetName"
                    width: 200
                    maximumLength: 64
                    selectByMouse: true
                    placeholderText: qsTr("预设名称")
                    font.family: cardPanel.fontFamily
                    font.pixelSize: Theme.textSize
                    onAccepted: cardPanel.savePreset()
                }

                TipButton {
                    objectName: "testCardPresetOk"
                    fontFamily: cardPanel.fontFamily
                    enabled: cardPanel.nameProblem === ""
                    text: qsTr("确定")
                    onClicked: cardPanel.savePreset()
                }
            }

            Text {
                visible: cardPanel.nameProblem !== ""
                text: cardPanel.nameProblem
                color: Theme.warning
                font.family: cardPanel.fontFamily
                font.pixelSize: Theme.noteSize
            }

            Row {
                visible: cardPanel.picking
                spacing: 8

                TipButton {
                    objectName: "testCardSavePreset"
                    fontFamily: cardPanel.fontFamily
                    enabled: pick.pickedColumn >= 0 && !!cardPanel.presetBar
                    text: qsTr("存为预设……")
                    tip: qsTr("把这一格的功率和深度，连同现在的其他设置，存为新的材料预设")
                    onClicked: {
                        cardPanel.naming = true
                        nameField.text = ""
                        nameField.forceActiveFocus()
                    }
                }

                TipButton {
                    fontFamily: cardPanel.fontFamily
                    text: qsTr("返回")
                    onClicked: cardPanel.picking = false
                }

                TipButton {
                    fontFamily: cardPanel.fontFamily
                    text: qsTr("关闭")
                    onClicked: popup.close()
                }
            }
        }
    }
}
