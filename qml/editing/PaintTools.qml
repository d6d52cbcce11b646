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
        iconSource: "qrc:/image/pencil32.png"
        panel: tools.toolPanels ? tools.toolPanels.penPanel : null
        onChosen: tools.drawTypeChosen(DrawBoard.PenType)
    }

    PanelTool {
        id: rubberButton

        objectName: "rubberButton"
        iconSource: "qrc:/image/eraser.png"
        panel: tools.toolPanels ? tools.toolPanels.rubberStyle : null
        onChosen: tools.drawTypeChosen(DrawBoard.RubberType)
    }

    PanelTool {
        id: textButton

        objectName: "textButton"
        iconSource: "qrc:/image/text.png"
        panel: tools.toolPanels ? tools.toolPanels.textPanel : null
        onShown: tools.textShown()
        onCheckedChanged: tools.textToolToggled()
    }

    PanelTool {
        id: zoomButton

        objectName: "zoomButton"
        iconSource: "qrc:/image/zoom.png"
        checked: true
        panel: tools.toolPanels ? tools.toolPanels.zoomStyle : null
        onShown: tools.zoomShown()
    }

    ToolIconButton {
        id: cut

        objectName: "cut"
        iconSource: "qrc:/image/scissors.png"
        onClicked: tools.cropRequested()
    }

    PanelTool {
        objectName: "adjustScale"
        iconSource: "qrc:/image/scale.png"
        panel: tools.toolPanels ? tools.toolPanels.adjustScaleStyle : null
    }
}
