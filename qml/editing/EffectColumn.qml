import QtQuick 2.7
import QtQuick.Controls 2.0
import Zan.DrawBoard 1.0
import ".."
import "../common"

// The look of the picture: grey, black and white or dithered, the chosen one
// lit, and the upright threshold slider below them. The column asks for each
// look's run through run(), with the tip to show meanwhile, translated.
Rectangle {
    id: column

    property string fontFamily: Theme.fontFamily
    // 1 grey, 2 black and white, 3 dithering.
    property int buttonSelect: 1
    // While the canvas is busy no look starts.
    property bool busy: false
    property alias slider: effectSlider

    // What each look runs, the threshold it starts from, and the tips shown
    // when it starts and when its threshold is let go.
    readonly property var looks: ({
        1: { "algorithm": DrawBoard.GreyFilter, "start": 255, "startTip": qsTr("正在加载原图……"),
             "tip": qsTr("正在进行过滤处理……") },
        2: { "algorithm": DrawBoard.Binarize, "start": 128, "startTip": qsTr("正在进行二值化处理……"),
             "tip": qsTr("正在进行二值化处理……") },
        3: { "algorithm": DrawBoard.Floyd, "start": 120, "startTip": qsTr("正在进行离散化处理……"),
             "tip": qsTr("正在进行离散化处理……") }
    })

    signal run(int algorithm, real threshold, string tip)

    // A look chosen by its button. Dithering stays chosen even while busy:
    // releasing the slider later starts it with the slider's value. The
    // others would show their result after the running one's, and the lit
    // button and the picture must never disagree.
    function select(look) {
        if (look === 3)
            buttonSelect = look
        if (!busy)
            start(look)
    }

    // Starts a look at its own threshold.
    function start(look) {
        var chosen = looks[look]
        buttonSelect = look
        effectSlider.value = chosen.start
        run(chosen.algorithm, chosen.start, chosen.startTip)
    }

    // Runs the chosen look again at the slider's threshold.
    function applyThreshold() {
        var chosen = looks[buttonSelect]
        if (!busy && chosen)
            run(chosen.algorithm, effectSlider.value, chosen.tip)
    }

    width: 50
    height: 320
    radius: 25
    border.width: 2
    border.color: "white"
    gradient: Theme.panelGradient

    Column {
        anchors.fill: parent
        anchors.margins: 4
        spacing: 10

        Repeater {
            model: [
                { "name": "greyButton", "text": qsTr("灰度") },
                { "name": "binarizeButton", "text": qsTr("黑白") },
                { "name": "ditheringButton", "text": qsTr("离散") }
            ]

            CircleButton {
                objectName: modelData.name
                width: 42
                height: 42
                // Dithering is offered while busy, to start later.
                available: index === 2 || !column.busy
                fontFamily: column.fontFamily
                circleTextAlias.text: modelData.text
                circleTextAlias.color: column.buttonSelect === index + 1 ? Theme.chosen : "black"
                buttonClicked.onClicked: column.select(index + 1)
            }
        }

        Slider {
            id: effectSlider

            // 100% at threshold 0, 0% at 255.
            property int filterValue: Math.round((1 - position) * 100)

            objectName: "effectSlider"
            width: 150
            height: 30
            from: 0
            to: 255
            stepSize: 1
            value: 60
            // Upright, 0 at the top.
            transform: Rotation {
                origin.x: 20
                origin.y: 15
                angle: 90
            }
            // The effects are slow on large pictures: act on release only.
            onPressedChanged: {
                if (!pressed)
                    column.applyThreshold()
            }

            Text {
                x: 10
                text: effectSlider.filterValue + "%"
                font.family: column.fontFamily
                font.pixelSize: Theme.noteSize
            }
        }
    }
}
