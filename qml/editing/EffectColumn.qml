import QtQuick 2.7
import QtQuick.Controls 2.2
import Zan.DrawBoard 1.0
import ".."
import "../common"

// The look of the picture: grey, black and white or dithered, the one on
// show lit, and the upright threshold slider below them. The column asks for
// each look's run through run(), with the tip to show meanwhile, translated.
// The lit button and the slider follow the look the canvas shows (bound to
// shownAlgorithm, and lookShown() each time the canvas puts a picture in a
// look on show, undo and redo included), never a choice the column keeps on
// its own beyond the run it has asked for.
Rectangle {
    id: column

    property string fontFamily: Theme.fontFamily
    // The look of the picture on show (DrawBoard.GreyFilter, Binarize or
    // Floyd), as the canvas says.
    property int shownAlgorithm: DrawBoard.GreyFilter
    // A look asked for whose picture is not on show yet: lit at once, and
    // dithering chosen while busy waits here for the slider. 0: none.
    property int chosenLook: 0
    // 1 grey, 2 black and white, 3 dithering: the look asked for, else the
    // one on show.
    readonly property int buttonSelect: chosenLook || lookOf(shownAlgorithm)
    // While the canvas is busy no look starts.
    property bool busy: false
    property alias slider: effectSlider

    // What each look runs, the threshold it starts from, and the tips shown
    // when it starts and when its threshold is let go; what its button does
    // and what the slider sets for it, named under the slider and told
    // in full while the pointer rests on the slider.
    readonly property var looks: ({
        1: { "algorithm": DrawBoard.GreyFilter, "start": 255, "startTip": qsTr("正在加载原图……"),
             "tip": qsTr("正在进行过滤处理……"), "buttonTip": qsTr("灰度：按深浅雕刻"),
             "caption": qsTr("截止值"), "sliderTip": qsTr("截止值：比它亮的像素留白，松开滑块后生效") },
        2: { "algorithm": DrawBoard.Binarize, "start": 128, "startTip": qsTr("正在进行二值化处理……"),
             "tip": qsTr("正在进行二值化处理……"), "buttonTip": qsTr("黑白：每个像素只烧或不烧"),
             "caption": qsTr("阈值"), "sliderTip": qsTr("阈值：比它暗的像素被雕刻，松开滑块后生效") },
        3: { "algorithm": DrawBoard.Floyd, "start": 120, "startTip": qsTr("正在进行离散化处理……"),
             "tip": qsTr("正在进行离散化处理……"), "buttonTip": qsTr("离散：用点的疏密表现深浅（方式在色调面板中选）"),
             "caption": qsTr("阈值"), "sliderTip": qsTr("阈值：越高雕刻的点越多，松开滑块后生效") }
    })

    signal run(int algorithm, real threshold, string tip)

    // The button (1 to 3) of a look algorithm; 0 for none.
    function lookOf(algorithm) {
        for (var look = 1; look <= 3; ++look) {
            if (looks[look].algorithm === algorithm)
                return look
        }
        return 0
    }

    // The canvas has put a picture in a look on show (a look's run has
    // ended, an undo or redo brought one back, a picture was loaded), at
    // threshold: the buttons and the slider show that look, whatever was
    // asked before. Called even when look and threshold are the same again,
    // as the slider may have been let go meanwhile without a run; the slider
    // is set rather than bound, since dragging it must move it.
    function lookShown(threshold) {
        chosenLook = 0
        effectSlider.value = threshold
    }

    // A look chosen by its button. Dithering stays chosen even while busy:
    // releasing the slider later starts it with the slider's value. The
    // others would show their result after the running one's, and the lit
    // button and the picture must never disagree.
    function select(look) {
        if (look === 3)
            chosenLook = look
        if (!busy)
            start(look)
    }

    // Starts a look at the given threshold, else at its own; its button
    // and threshold show at once, until the canvas shows the result.
    function start(look, threshold) {
        var chosen = looks[look]
        var at = threshold === undefined ? chosen.start : threshold
        chosenLook = look
        effectSlider.value = at
        run(chosen.algorithm, at, chosen.startTip)
    }

    // Runs the chosen look again at the slider's threshold.
    function applyThreshold() {
        var chosen = looks[buttonSelect]
        if (!busy && chosen)
            run(chosen.algorithm, effectSlider.value, chosen.tip)
    }

    width: 50
    height: 350
    radius: 25
    border.width: 2
    border.color: "white"
    gradient: Theme.panelGradient

    Column {
        id: buttons

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
                tip: column.looks[index + 1].buttonTip
                buttonClicked.onClicked: column.select(index + 1)
            }
        }

        Slider {
            id: effectSlider

            objectName: "effectSlider"
            width: 150
            height: 30
            from: 0
            to: 255
            stepSize: 1
            value: 60
            hoverEnabled: true
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
        }
    }

    // What the slider sets for the look chosen, and its value, under the
    // slider; it follows a drag.
    Text {
        objectName: "thresholdCaption"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 8
        width: parent.width - 8
        horizontalAlignment: Text.AlignHCenter
        // A long name in some language gets smaller rather than cut.
        fontSizeMode: Text.HorizontalFit
        minimumPixelSize: 7
        text: column.looks[column.buttonSelect]
              ? column.looks[column.buttonSelect].caption + "\n" + Math.round(effectSlider.value) : ""
        font.family: column.fontFamily
        font.pixelSize: Theme.noteSize
    }

    // The slider's tip on its left, at its middle, also while it is dragged.
    ToolTip {
        objectName: "thresholdTip"
        x: -width - 8
        y: buttons.y + effectSlider.y + effectSlider.width / 2 - 5 - height / 2
        visible: column.visible && column.looks[column.buttonSelect] !== undefined
                 && (effectSlider.hovered || effectSlider.pressed)
        closePolicy: Popup.NoAutoClose
        exit: null
        delay: effectSlider.pressed ? 0 : Theme.tipDelay
        text: column.looks[column.buttonSelect] ? column.looks[column.buttonSelect].sliderTip : ""
        font.family: column.fontFamily
        font.pixelSize: Theme.textSize
    }
}
