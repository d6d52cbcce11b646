import QtQuick 2.7
import "../common"

// The squares of a test card burned to its end, to pick the one that came
// out best: one column per power, one row per depth, each labelled, the
// squares as dark as they burned, the one picked ringed.
Column {
    id: squares

    // The card's powers and depths in percent.
    property var powers: []
    property var depths: []
    // The square picked, -1 for none.
    property int pickedColumn: -1
    property int pickedRow: -1
    property string fontFamily: Theme.fontFamily

    spacing: 10

    Text {
        text: qsTr("点选刻得最好的方格：")
        font.family: squares.fontFamily
        font.pixelSize: Theme.textSize
        color: Theme.ink
    }

    // The labels in the first row and column, the squares after them.
    Grid {
        objectName: "testCardSquares"
        columns: squares.powers.length + 1
        spacing: 4

        Repeater {
            model: (squares.powers.length + 1) * (squares.depths.length + 1)

            Rectangle {
                readonly property int column: index % (squares.powers.length + 1) - 1
                readonly property int row: Math.floor(index / (squares.powers.length + 1)) - 1
                readonly property bool picked: column >= 0 && column === squares.pickedColumn && row === squares.pickedRow

                objectName: column >= 0 && row >= 0 ? "cardSquare_" + column + "_" + row : ""
                width: 40
                height: column >= 0 && row < 0 ? 20 : 32
                color: column < 0 || row < 0 ? "transparent"
                                             : Qt.rgba(0, 0, 0, 0.15 + 0.6 * squares.powers[column] / squares.powers[squares.powers.length - 1])
                border.width: picked ? 3 : 0
                border.color: Theme.chosen

                Text {
                    anchors.centerIn: parent
                    visible: parent.column < 0 !== parent.row < 0
                    text: (parent.row < 0 ? squares.powers[parent.column] : squares.depths[Math.max(0, parent.row)]) + "%"
                    font.family: squares.fontFamily
                    font.pixelSize: Theme.noteSize
                    color: Theme.ink
                }

                MouseArea {
                    anchors.fill: parent
                    enabled: parent.column >= 0 && parent.row >= 0
                    onClicked: {
                        squares.pickedColumn = parent.column
                        squares.pickedRow = parent.row
                    }
                }
            }
        }
    }

    Text {
        objectName: "testCardPicked"
        text: squares.pickedColumn >= 0
              ? qsTr("功率 %1%，深度 %2%").arg(squares.powers[squares.pickedColumn]).arg(squares.depths[squares.pickedRow])
              : qsTr("尚未选择方格")
        font.family: squares.fontFamily
        font.pixelSize: Theme.textSize
        color: Theme.ink
    }
}
