import QtQuick 2.7
import QtTest 1.0

// The controls sit on a visible stage; the test case itself is invisible.
Item {
    id: root

    width: 600
    height: 400

    Item {
        id: stage

        anchors.fill: parent
    }

    TestCase {
        id: testCase

        function make(document, properties, parent) {
            var component = Qt.createComponent("qrc:/" + document)
            compare(component.status, Component.Ready, component.errorString())
            var object = component.createObject(parent || stage, properties || {})
            verify(object !== null)
            return object
        }

        name: "Controls"
        when: windowShown

        function cleanup() {
            for (var i = stage.children.length - 1; i >= 0; --i)
                stage.children[i].destroy()
            // Move the pointer away so the next control starts unhovered.
            mouseMove(stage, 599, 399)
            wait(0)
        }

        // The label shows above the icon only while hovered; a press shrinks
        // the button until released.
        function test_circleButtonFeedback() {
            var button = make("CircleButton.qml", { x: 100, y: 100, width: 42, height: 42,
                                                   buttonIcon: "qrc:/image/zoom.png" })
            var label = button.circleTextAlias
            label.text = "A"
            verify(!label.visible, "hidden behind the icon")
            mouseMove(button, 21, 21)
            tryVerify(function() { return label.visible })
            var icon = Array.prototype.filter.call(button.children, function(c) { return c.source !== undefined })[0]
            verify(label.z > icon.z, "the label rises above the icon")

            mousePress(button, 21, 21)
            tryVerify(function() { return button.scale < 1 })
            mouseRelease(button, 21, 21)
            tryCompare(button, "scale", 1, 1000)

            mouseMove(stage, 300, 300)
            tryVerify(function() { return !label.visible })
            verify(icon.z > label.z)
        }

        // The board opens on onView() and stays open with the pointer over
        // it, over a control inside and away again, until toggled closed;
        // closed, a click where it was reaches what lies under it.
        function test_board() {
            var under = Qt.createQmlObject("import QtQuick 2.7; MouseArea { anchors.fill: parent; property int clicks: 0; onClicked: ++clicks }", stage)
            var board = make("BoardButtom.qml", { x: 100, y: 100, height: 100 })
            var inner = Qt.createQmlObject("import QtQuick 2.7; MouseArea { x: 80; y: 30; width: 60; height: 40; hoverEnabled: true }", board)
            verify(!board.visible)
            board.onView()
            verify(board.visible && board.open)
            mouseMove(board, 5, 50)
            mouseMove(board, 110, 50)
            verify(inner.containsMouse)
            mouseMove(stage, 20, 150)
            mouseClick(board, 5, 5)
            compare(under.clicks, 0, "a click on the open board stays on it")
            verify(board.visible)

            board.toggle()
            verify(!board.visible && !board.open)
            mouseClick(stage, 105, 105)
            compare(under.clicks, 1)
            board.toggle()
            verify(board.visible)
        }

        function test_colorSlider_data() {
            return [
                { tag: "dragged to the left end", dx: -200, value: 0 },
                { tag: "dragged to the right end", dx: 300, value: 1 },
                { tag: "knob in the middle", knobX: 60, value: 0.5 },
                { tag: "two decimals", knobX: 40, value: 0.33 },
            ]
        }
        function test_colorSlider(data) {
            var slider = make("ColorSlider.qml", { x: 100, y: 100 })
            var knob = slider.children[1]
            if (data.knobX !== undefined) {
                knob.x = data.knobX
            } else {
                mouseDrag(knob, 10, 10, data.dx, 0)
                compare(knob.y, 0, "the knob moves only along the track")
            }
            compare(slider.value, data.value)
        }

        function test_putTextDragStopsAtFrame_data() {
            return [
                { tag: "right bottom", d: 1000 },
                { tag: "left top", d: -1000 },
            ]
        }
        // The box grows with its text, never leaves its frame, and dragX,
        // dragY follow it.
        function test_putTextDragStopsAtFrame(data) {
            var frame = Qt.createQmlObject("import QtQuick 2.7; Item { width: 300; height: 200 }", stage)
            var box = make("PutText.qml", { x: 100, y: 80 }, frame)
            var narrow = box.width
            box.textField.text = "A longer line"
            verify(box.width > narrow)
            mouseDrag(box, box.width / 2, box.height / 2, data.d, data.d)
            fuzzyCompare(box.x, data.d > 0 ? frame.width - box.width : 0, 1)
            fuzzyCompare(box.y, data.d > 0 ? frame.height - box.height : 0, 1)
            compare(box.dragX, Math.floor(box.x + 4))
            compare(box.dragY, Math.floor(box.y + box.textField.contentHeight))
        }

        // A click on an entry picks that family.
        function test_fontList() {
            var list = make("FontList.qml", { width: 200, height: 300 })
            var view = findChild(list, "fontListView")
            var families = Qt.fontFamilies()
            verify(families.length > 1)
            compare(view.count, families.length)
            waitForRendering(view)
            mouseClick(view.itemAtIndex(1))
            compare(view.currentIndex, 1)
            compare(list.listFontFamily, families[1])
        }
    }
}
