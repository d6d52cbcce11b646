import QtQuick 2.7
import QtTest 1.0

// Not part of the test suite: prepares a photo on the real main window the
// way a user does (drop, dither, crop, size, Done; an effect starts again
// from the picture as loaded, so it comes before cropping and sizing) and saves a screenshot of
// the window after each step, for a look by eye. Run it under X, from the
// directory that is to receive the pictures:
//
//   cd /tmp/shots && xvfb-run -a -s "-screen 0 1300x800x24" env \
//       QT_QPA_PLATFORM=xcb <build>/tests/tst_qml_editing \
//       -input <source>/tests/qml/editing/walkthrough/photo_walkthrough.qml
//
// The photo is painted here: a landscape with sky, sun, hills, a tree and
// film grain, 1600 × 1200 pixels, so that the canvas scales it down.
Item {
    id: root

    readonly property string workDir: "/proc/self/cwd/"

    width: 200
    height: 200

    Canvas {
        id: photo

        width: 1600
        height: 1200
        visible: false
        renderTarget: Canvas.Image
        renderStrategy: Canvas.Immediate

        onPaint: {
            var ctx = getContext("2d")
            var sky = ctx.createLinearGradient(0, 0, 0, 700)
            sky.addColorStop(0, "#1d4f91")
            sky.addColorStop(1, "#f2c48d")
            ctx.fillStyle = sky
            ctx.fillRect(0, 0, width, height)
            var sun = ctx.createRadialGradient(1150, 330, 10, 1150, 330, 260)
            sun.addColorStop(0, "#fff8e0")
            sun.addColorStop(0.3, "#ffd27a")
            sun.addColorStop(1, "rgba(255, 210, 122, 0)")
            ctx.fillStyle = sun
            ctx.fillRect(800, 0, 800, 700)
            var hills = [["#5b6e4a", 560, 0.004, 90], ["#3f5234", 700, 0.006, 70], ["#26341f", 850, 0.009, 60]]
            for (var h = 0; h < hills.length; ++h) {
                ctx.fillStyle = hills[h][0]
                ctx.beginPath()
                ctx.moveTo(0, height)
                for (var x = 0; x <= width; x += 8)
                    ctx.lineTo(x, hills[h][1] + Math.sin(x * hills[h][2] + h) * hills[h][3] + Math.sin(x * 0.021) * 12)
                ctx.lineTo(width, height)
                ctx.closePath()
                ctx.fill()
            }
            ctx.fillStyle = "#3b2a1a"
            ctx.fillRect(330, 560, 40, 420)
            for (var leaf = 0; leaf < 260; ++leaf) {
                var angle = leaf * 2.4
                var radius = 30 + (leaf % 37) * 5
                ctx.fillStyle = "rgba(" + (30 + leaf % 40) + "," + (90 + leaf % 70) + ",40,0.8)"
                ctx.beginPath()
                ctx.arc(350 + Math.cos(angle) * radius, 470 + Math.sin(angle) * radius * 0.8, 24 + leaf % 18, 0, Math.PI * 2)
                ctx.fill()
            }
            // Film grain, so that the tones are not flat.
            for (var grain = 0; grain < 60000; ++grain) {
                var level = Math.floor(Math.random() * 255)
                ctx.fillStyle = "rgba(" + level + "," + level + "," + level + ",0.12)"
                ctx.fillRect(Math.random() * width, Math.random() * height, 2, 2)
            }
        }
    }

    TestCase {
        id: walk

        property var window: null
        property var page: null
        property int shotNumber: 0

        function child(parent, name) {
            var found = findChild(parent, name)
            verify(found !== null, "no item " + name)
            return found
        }

        function shot(name) {
            wait(700) // let animations settle
            var saved = null
            var file = root.workDir + (++shotNumber < 10 ? "0" : "") + shotNumber + "-" + name + ".png"
            window.contentItem.parent.grabToImage(function(result) { saved = result.saveToFile(file) })
            tryVerify(function() { return saved !== null })
            verify(saved)
            console.log("shot", file)
        }

        function waitIdle() {
            tryCompare(child(page, "busy"), "running", false, 30000)
        }

        name: "PhotoWalkthrough"
        when: windowShown

        function test_preparePhoto() {
            var saved = null
            photo.requestPaint()
            wait(200)
            photo.grabToImage(function(result) { saved = result.saveToFile(root.workDir + "photo.jpg") })
            tryVerify(function() { return saved !== null }, 10000)
            verify(saved)

            window = Qt.createComponent("qrc:/main.qml").createObject(null)
            verify(window !== null)
            tryVerify(function() { return window.visible })
            page = child(window, "caseLoader1").item
            verify(page !== null)
            shot("start")

            page.dropFiles({ hasUrls: true, urls: ["file://" + root.workDir + "photo.jpg"] })
            waitIdle()
            shot("dropped")

            // Dithering, then a lighter threshold (fewer black dots) on the
            // upright slider.
            mouseClick(child(page, "ditheringButton"))
            waitIdle()
            shot("dithered-120")
            var slider = child(page, "effectSlider")
            var y = slider.handle.y + slider.handle.height / 2
            var x = slider.handle.x + slider.handle.width / 2
            mousePress(slider, x, y)
            mouseMove(slider, x - 20, y)
            mouseMove(slider, x - 40, y)
            mouseRelease(slider, x - 40, y)
            waitIdle()
            console.log("threshold", slider.value)
            shot("dithered-lighter")

            // Crop: the rectangle, its handle dragged up and left, then the
            // rectangle moved to the top-left part and double-clicked.
            mouseClick(child(page, "cut"))
            shot("crop-rectangle")
            var handle = child(page, "cutDragSize")
            var from = handle.mapToItem(window.contentItem, handle.width / 2, handle.height / 2)
            mousePress(window.contentItem, from.x, from.y)
            for (var step = 1; step <= 10; ++step)
                mouseMove(window.contentItem, from.x - 22 * step, from.y - 12 * step)
            mouseRelease(window.contentItem, from.x - 220, from.y - 120)
            shot("crop-resized")
            var area = child(page, "cutArea")
            mouseDoubleClickSequence(area, area.width / 2, area.height / 2)
            waitIdle()
            shot("cropped")

            // Size: open the panel, 40 mm wide, save.
            var sizeButton = child(page, "adjustScale")
            mouseMove(sizeButton, 10, 10)
            mouseClick(sizeButton)
            mouseMove(page, 600, 600)
            var widthBox = child(page, "widthSpinBox")
            mouseMove(widthBox, 10, 10)
            verify(child(page, "adjustScaleStyle").visible)
            for (var clicks = 0; widthBox.value > 40 && clicks < 80; ++clicks)
                mouseClick(widthBox.down.indicator)
            shot("size-panel")
            mouseClick(child(page, "adjustScaleSave"))
            waitIdle()
            shot("resized")

            mouseClick(child(page, "doneButton"))
            tryCompare(child(window, "caseLoader2"), "visible", true, 30000)
            wait(1500)
            shot("control-page")
            window.destroy()
        }
    }
}
