import QtQuick 2.7
import QtTest 1.0

// The controls sit on a visible stage; the test case itself is invisible.
Item {
    id: root

    // What the main window gives every document.
    property string unitFontFamily: "幼圆"

    width: 600
    height: 400

    Item {
        id: stage

        anchors.fill: parent
    }

    TestCase {
        id: testCase

        function make(document, properties) {
            var component = Qt.createComponent("qrc:/" + document)
            compare(component.status, Component.Ready, component.errorString())
            var object = component.createObject(stage, properties || {})
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

        function test_circleButtonFeedback() {
            var button = make("CircleButton.qml", { x: 100, y: 100, width: 42, height: 42,
                                                   buttonIcon: "qrc:/image/zoom.png" })
            button.circleTextAlias.text = "A"
            compare(button.radius, 21)
            verify(Qt.colorEqual(button.border.color, "grey"))
            compare(button.circleTextAlias.font.family, "幼圆")

            mouseMove(button, 21, 21)
            tryVerify(function() { return Qt.colorEqual(button.border.color, "lightgreen") })
            var icon = null
            for (var i = 0; i < button.children.length; ++i) {
                if (button.children[i].source !== undefined)
                    icon = button.children[i]
            }
            verify(icon !== null)
            tryCompare(icon, "opacity", 0.8, 1000)
            verify(button.circleTextAlias.z > icon.z, "the label rises above the icon")
            verify(button.circleTextAlias.visible)

            mousePress(button, 21, 21)
            tryCompare(button, "scale", 0.9, 1000)
            mouseRelease(button, 21, 21)
            tryCompare(button, "scale", 1, 1000)

            mouseMove(stage, 300, 300)
            tryVerify(function() { return Qt.colorEqual(button.border.color, "grey") })
            tryCompare(icon, "opacity", 1, 1000)
            verify(icon.z > button.circleTextAlias.z)
            verify(!button.circleTextAlias.visible, "hidden behind the icon")
        }

        function test_boardFadesAfterView() {
            var board = make("BoardButtom.qml", { x: 300, y: 100 })
            compare(board.visible, false)
            compare(board.opacity, 0)
            compare(board.width, 220)
            compare(board.height, 40)

            var start = Date.now()
            board.onView()
            compare(board.visible, true)
            compare(board.opacity, 1)
            wait(300)
            compare(board.opacity, 1, "the countdown runs for 500 ms")
            tryCompare(board, "visible", false, 3000)
            compare(board.opacity, 0)
            verify(Date.now() - start >= 750, "500 ms countdown and a 300 ms fade")
        }

        function test_boardStaysWhileHovered() {
            var board = make("BoardButtom.qml", { x: 100, y: 100, height: 100 })
            board.onView()
            mouseMove(board, 110, 50)
            wait(1200)
            compare(board.visible, true)
            compare(board.opacity, 1)

            // Leaving across the edge hides it after 100 ms and the fade.
            mouseMove(board, 5, 50)
            var start = Date.now()
            mouseMove(stage, 20, 150)
            tryCompare(board, "visible", false, 3000)
            verify(Date.now() - start < 750, "the short countdown was used")
        }

        function test_boardIgnoresLeaveOntoItsControls() {
            var board = make("BoardButtom.qml", { x: 100, y: 100, height: 100 })
            var inner = Qt.createQmlObject("import QtQuick 2.7; MouseArea { x: 80; y: 30; width: 60; height: 40; hoverEnabled: true }", board)
            board.onView()
            mouseMove(board, 110, 20)
            mouseMove(board, 110, 50)
            verify(inner.containsMouse)
            wait(1200)
            compare(board.visible, true, "a leave onto a control inside is not a leave")
            compare(board.opacity, 1)
        }

        function test_boardViewAgainDuringFade() {
            var board = make("BoardButtom.qml", { x: 300, y: 200 })
            board.onView()
            tryVerify(function() { return board.opacity < 1 }, 2000)
            board.onView()
            compare(board.opacity, 1)
            compare(board.visible, true)
            wait(300)
            compare(board.visible, true, "a new countdown started")
            tryCompare(board, "visible", false, 3000)
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
            compare(slider.width, 140)
            compare(slider.value, 0)
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
                { tag: "right bottom", dx: 1000, dy: 1000, edge: "max" },
                { tag: "left top", dx: -1000, dy: -1000, edge: "min" },
            ]
        }
        function test_putTextDragStopsAtFrame(data) {
            var frame = Qt.createQmlObject("import QtQuick 2.7; Item { width: 300; height: 200 }", stage)
            var component = Qt.createComponent("qrc:/PutText.qml")
            var box = component.createObject(frame, { x: 100, y: 80 })
            verify(box !== null)
            mouseDrag(box, box.width / 2, box.height / 2, data.dx, data.dy)
            if (data.edge === "max") {
                fuzzyCompare(box.x, frame.width - box.width, 1)
                fuzzyCompare(box.y, frame.height - box.height, 1)
            } else {
                compare(box.x, 0)
                compare(box.y, 0)
            }
            compare(box.dragX, Math.floor(box.x + 4))
            compare(box.dragY, Math.floor(box.y + box.textField.contentHeight))
        }

        function test_putTextGrowsWithText() {
            var box = make("PutText.qml", { x: 10, y: 10, fontSize: 20 })
            compare(box.textField.text, qsTranslate("PutText", "输入"))
            compare(box.textField.font.pixelSize, 20)
            compare(box.textField.font.family, "幼圆")
            var narrow = box.width
            box.textField.text = "A much longer line of text"
            verify(box.width > narrow)
            compare(box.width, box.textField.contentWidth + 16)
            compare(box.height, box.textField.contentHeight + 8)
        }

        function test_fontList() {
            var list = make("FontList.qml", { width: 200, height: 300 })
            compare(list.listFontFamily, "幼圆", "nothing picked yet")
            var view = findChild(list, "fontListView")
            verify(view !== null)
            var families = Qt.fontFamilies()
            verify(families.length > 1)
            compare(view.count, families.length)
            compare(view.currentIndex, -1)

            waitForRendering(view)
            var entry = view.itemAtIndex(1)
            verify(entry !== null)
            var label = null
            for (var i = 0; i < entry.children.length; ++i) {
                if (entry.children[i].text !== undefined)
                    label = entry.children[i]
            }
            compare(label.text, "SC " + families[1])
            compare(label.font.family, families[1])

            mouseClick(entry)
            compare(view.currentIndex, 1)
            compare(list.listFontFamily, families[1])
        }
    }
}
