import QtQuick 2.7
import Zan.DrawBoard 1.0

// The drawing tools down the left of the editing page: pen, eraser, text,
// zoom, crop and size, one of them checked at a time. A click on a tool
// with a panel opens or closes its panel from `toolPanels`.
Column {
    id: tools

    // The panels the tools open (the page's ToolPanels).
    property Item toolPanels: null
    // Which tool the board answers to.
    readonly property bool drawing: penButton.checked || rubberButton.checked
    readonly property alias zooming: zoomButton.checked
    readonly property alias texting: textButton.checked
    // The crop frame is up; the page puts it down after a crop or a turn.
    property alias cropping: cut.checked

    // The pen or the eraser was taken up: the canvas draws with it.
    signal drawTypeChosen(int drawType)
    // The text or zoom panel was opened: the page says how the wheel works.
    signal textShown()
    signal zoomShown()
    // The text tool was taken up or put down.
    signal textToolToggled()
    signal cropRequested()

    spacing: 6

    PanelTool {
        id: penButton

        objectName: "penButton"
        tipSide: "right"
        tip: qsTr("画笔：在图片上绘画")
        iconSource: "qrc:/image/pencil32.png"
        panel: tools.toolPanels ? tools.toolPanels.penPanel : null
        onChosen: tools.drawTypeChosen(DrawBoard.PenType)
    }

    PanelTool {
        id: rubberButton

        objectName: "rubberButton"
        tipSide: "right"
        tip: qsTr("橡皮：把擦过的地方涂成白色")
        iconSource: "qrc:/image/eraser.png"
        panel: tools.toolPanels ? tools.toolPanels.rubberStyle : null
        onChosen: tools.drawTypeChosen(DrawBoard.RubberType)
    }

    PanelTool {
        id: textButton

        objectName: "textButton"
        tipSide: "right"
        tip: qsTr("文字：点击图片放下文字框，双击图片写上文字")
        iconSource: "qrc:/image/text.png"
        panel: tools.toolPanels ? tools.toolPanels.textPanel : null
        onShown: tools.textShown()
        onCheckedChanged: tools.textToolToggled()
    }

    PanelTool {
        id: zoomButton

        objectName: "zoomButton"
        tipSide: "right"
        tip: qsTr("移动和缩放：拖动图片移动，滚轮缩放，双击看原大")
        iconSource: "qrc:/image/zoom.png"
        checked: true
        panel: tools.toolPanels ? tools.toolPanels.zoomStyle : null
        onShown: tools.zoomShown()
    }

    ToolIconButton {
        id: cut

        objectName: "cut"
        tipSide: "right"
        tip: qsTr("裁剪：拖动框和角，双击或按 Enter 应用，Esc 取消")
        iconSource: "qrc:/image/scissors.png"
        onClicked: tools.cropRequested()
    }

    PanelTool {
        objectName: "adjustScale"
        tipSide: "right"
        tip: qsTr("图片大小（毫米）")
        iconSource: "qrc:/image/scale.png"
        panel: tools.toolPanels ? tools.toolPanels.adjustScaleStyle : null
    }
}
