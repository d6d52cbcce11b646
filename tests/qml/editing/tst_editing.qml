import QtQuick 2.7
import QtTest 1.0
import Zan.DrawBoard 1.0

// The editing page on the real canvas, inside a stand-in for the main window
// that provides what the page takes from the window's scope.
Item {
    id: host

    // Pictures are drawn here and written to the run's own temporary working
    // directory (the test runner starts in it).
    readonly property string workDir: "/proc/self/cwd/"
    readonly property string workUrl: "file://" + workDir
    // Grey levels of the ten 30 px wide bands of the test pictures, left to
    // right: black and white at 128 makes bands 1 to 3 black.
    readonly property var bandGreys: [230, 40, 100, 127, 128, 150, 199, 200, 201, 255]
    property string unitFontFamily: "幼圆"

    width: 1300
    height: 1250

    Item {
        id: connectDrawOperations

        property bool startCarveFlag: false
        property int carveMode: 0
        property int openCount: 0
        property int changeModelCount: 0

        signal stopDone()
        signal verifyButton()

        function readStartCarveFlag() { return startCarveFlag }
        function setCarveMode(mode) { carveMode = mode }
        function open() { ++openCount }
        function changeModel() { ++changeModelCount }
    }

    Loader {
        id: pageLoader

        width: 990
        height: 680
        active: false
        source: "qrc:/DrawimgBoard.qml"
    }

    Row {
        id: generator

        visible: false
        z: 100

        Repeater {
            model: host.bandGreys
            Rectangle {
                width: generator.width / host.bandGreys.length
                height: generator.height
                color: Qt.rgba(modelData / 255, modelData / 255, modelData / 255, 1)
            }
        }
    }

    // Reads back the pixels of pictures. Its size never changes: a canvas
    // resizes its backing store only at the next polish, so reading right
    // after a resize would see the old size, with zeros past its edge.
    Canvas {
        id: probe

        x: 1000
        width: 1100
        height: 1100
        renderTarget: Canvas.Image
        renderStrategy: Canvas.Immediate
    }

    SignalSpy {
        id: finishedLoadSpy

        target: operationEnd
        signalName: "finishedLoad"
    }

    SignalSpy {
        id: propertyChangedSpy

        signalName: "propertyChanged"
    }

    TestCase {
        id: testCase

        property var page: null
        property var drawBoard: null
        property var busy: null
        property int grabCount: 0

        function item(name) {
            var found = findChild(page, name)
            verify(found !== null, "no item " + name)
            return found
        }

        function toast() {
            return item("infoText").text
        }

        function makePicture(name, w, h) {
            generator.width = w
            generator.height = h
            generator.visible = true
            var saved = null
            generator.grabToImage(function(result) { saved = result.saveToFile(host.workDir + name) })
            tryVerify(function() { return saved !== null })
            verify(saved, "cannot write " + name)
            generator.visible = false
            return host.workUrl + name
        }

        function waitIdle() {
            tryCompare(busy, "running", false, 20000)
            // The frame's position and scale are animated: wait for them to
            // come to rest, however slowly a loaded machine runs the animation.
            var frame = item("boardFrame")
            wait(250)
            var last = ""
            tryVerify(function() {
                var now = frame.x + " " + frame.y + " " + frame.scale
                var still = now === last
                last = now
                if (!still)
                    wait(60)
                return still
            }, 5000)
        }

        function drop(url) {
            page.dropFiles({ hasUrls: true, urls: [url] })
        }

        function load(url) {
            drop(url)
            verify(busy.running)
            waitIdle()
            // A loaded picture always goes on to black and white.
            compare(item("effectFrame").buttonSelect, 2)
        }

        // What the canvas shows, pixel by pixel: grey(x, y) is the grey
        // level of canvas pixel (x, y), whatever the frame's scale.
        function canvasPixels() {
            var path = host.workDir + "canvas-" + (++grabCount) + ".png"
            var saved = null
            // Painted afresh as a whole, not from what an earlier frame left.
            drawBoard.update()
            wait(50)
            drawBoard.grabToImage(function(result) { saved = result.saveToFile(path) })
            tryVerify(function() { return saved !== null })
            verify(saved)
            var url = "file://" + path
            var width = drawBoard.width
            var height = drawBoard.height
            verify(width <= probe.width && height <= probe.height)
            probe.loadImage(url)
            tryVerify(function() { return probe.isImageLoaded(url) })
            var context = probe.getContext("2d")
            var data = null
            // The grab is opaque: a transparent last pixel means the canvas
            // was not ready for drawing yet.
            tryVerify(function() {
                context.clearRect(0, 0, probe.width, probe.height)
                context.drawImage(url, 0, 0)
                data = context.getImageData(0, 0, width, height).data
                return data[(height * width - 1) * 4 + 3] === 255
            })
            return {
                grey: function(x, y) { return data[(y * width + x) * 4] }
            }
        }

        function bandGreys(row) {
            var pixels = canvasPixels()
            var greys = []
            for (var band = 0; band < host.bandGreys.length; ++band)
                greys.push(pixels.grey(band * 30 + 15, row))
            return greys
        }

        // Drags with the pointer from (x, y) of item, in window coordinates
        // whether or not the item moves along: a first step of a quarter
        // starts the drag, the other three quarters move what is dragged.
        function dragInWindow(item, x, y, dx, dy) {
            var start = item.mapToItem(host, x, y)
            mousePress(host, start.x, start.y)
            for (var step = 1; step <= 4; ++step)
                mouseMove(host, start.x + dx * step / 4, start.y + dy * step / 4)
            mouseRelease(host, start.x + dx, start.y + dy)
            return { dx: dx * 3 / 4, dy: dy * 3 / 4 }
        }

        // A click as the user makes it; a control in a closed tool panel is
        // pressed through its signal.
        function click(control) {
            if (control.visible && control.opacity > 0)
                mouseClick(control)
            else
                control.clicked()
        }

        // Drags the upright effect slider's handle to about value and
        // releases it there, the way the user does. Pointer positions are
        // whole pixels, so the value reached may be off by one: returned.
        function releaseEffectSlider(value) {
            var slider = item("effectSlider")
            var handleWidth = slider.handle.width
            var y = slider.handle.y + slider.handle.height / 2
            var from = slider.handle.x + handleWidth / 2
            var to = slider.leftPadding + handleWidth / 2 + value / 255 * (slider.availableWidth - handleWidth)
            if (value >= 255)
                to += 40 // past the end
            mousePress(slider, from, y)
            verify(slider.pressed)
            mouseMove(slider, (from + to) / 2, y)
            mouseMove(slider, to, y)
            mouseRelease(slider, to, y)
            verify(!slider.pressed)
            verify(Math.abs(slider.value - value) <= 1, "released at " + slider.value)
            return slider.value
        }

        name: "EditingPage"
        when: windowShown

        function initTestCase() {
            makePicture("bands.png", 300, 200)
            makePicture("large.png", 1200, 800)
            makePicture("upright.png", 800, 1200)
            // Its "new_" copy gets a name longer than any file system allows.
            makePicture(new Array(249).join("a") + "x.png", 300, 200)
        }

        function init() {
            connectDrawOperations.startCarveFlag = false
            connectDrawOperations.carveMode = 0
            connectDrawOperations.openCount = 0
            connectDrawOperations.changeModelCount = 0
            pageLoader.active = true
            page = pageLoader.item
            verify(page !== null)
            drawBoard = item("drawBoard")
            busy = item("busy")
            propertyChangedSpy.target = drawBoard
            propertyChangedSpy.clear()
            finishedLoadSpy.clear()
        }

        function cleanup() {
            // Let a run the test left behind end before the canvas goes.
            for (var waited = 0; busy.running && waited < 20000; waited += 50)
                wait(50)
            pageLoader.active = false
            page = null
        }

        function test_dropShowsBlackAndWhite() {
            compare(item("effectFrame").buttonSelect, 1)
            load(host.workUrl + "bands.png")
            compare(drawBoard.width, 300)
            compare(drawBoard.height, 200)
            compare(item("effectSlider").value, 128)
            verify(Qt.colorEqual(item("binarizeButton").circleTextAlias.color, "limegreen"))
            verify(Qt.colorEqual(item("greyButton").circleTextAlias.color, "black"))
            compare(bandGreys(20), [255, 0, 0, 0, 255, 255, 255, 255, 255, 255])
            compare(toast(), "处理完成……")
        }

        function test_dropLoadsFirstFile_data() {
            return [
                { tag: "one file", urls: ["bands.png"], size: [300, 200] },
                { tag: "several files", urls: ["bands.png", "large.png"], size: [300, 200] },
                { tag: "nothing to load", urls: [], size: [680, 680] },
            ]
        }

        function test_dropLoadsFirstFile(data) {
            var urls = data.urls.map(function(file) { return host.workUrl + file })
            page.dropFiles({ hasUrls: urls.length > 0, urls: urls })
            compare(busy.running, urls.length > 0)
            waitIdle()
            compare([drawBoard.width, drawBoard.height], data.size)
        }

        function test_unreadableDrop_data() {
            return [
                { tag: "missing file", url: host.workUrl + "nothing-here.png" },
                { tag: "not a picture", url: Qt.resolvedUrl("not-a-picture.png") },
            ]
        }

        function test_unreadableDrop(data) {
            load(host.workUrl + "bands.png")
            var before = bandGreys(20)
            drop(data.url)
            tryCompare(busy, "running", false, 20000)
            compare(toast(), "无法读取图片……")
            compare(drawBoard.width, 300)
            compare(drawBoard.height, 200)
            compare(item("effectFrame").buttonSelect, 2)
            wait(300)
            compare(bandGreys(20), before)
            // The page is usable again.
            mouseClick(item("greyButton"))
            verify(busy.running)
            waitIdle()
            compare(toast(), "处理完成……")
        }

        function test_greyEffectThreshold_data() {
            return [
                { tag: "200", value: 200 },
                { tag: "255", value: 255 },
            ]
        }

        function test_greyEffectThreshold(data) {
            load(host.workUrl + "bands.png")
            mouseClick(item("greyButton"))
            compare(item("effectFrame").buttonSelect, 1)
            compare(item("effectSlider").value, 255)
            waitIdle()
            compare(bandGreys(20), host.bandGreys)
            var threshold = releaseEffectSlider(data.value)
            verify(busy.running)
            compare(toast(), "正在进行过滤处理……")
            waitIdle()
            // Lighter than the threshold turns white, the rest stays grey.
            compare(bandGreys(20), host.bandGreys.map(function(grey) { return grey > threshold ? 255 : grey }))
            if (data.value === 255)
                compare(bandGreys(20), host.bandGreys)
        }

        function test_ditheringChosenWhileBusy() {
            load(host.workUrl + "bands.png")
            var blackAndWhite = bandGreys(20)
            propertyChangedSpy.clear()
            busy.running = true // a run under way
            mouseClick(item("ditheringButton"))
            compare(item("effectFrame").buttonSelect, 3)
            verify(Qt.colorEqual(item("ditheringButton").circleTextAlias.color, "limegreen"))
            verify(Qt.colorEqual(item("binarizeButton").circleTextAlias.color, "black"))
            compare(item("effectSlider").value, 128)
            wait(200)
            compare(propertyChangedSpy.count, 0)
            // Still busy: releasing the slider starts nothing either.
            releaseEffectSlider(140)
            wait(200)
            compare(propertyChangedSpy.count, 0)
            busy.running = false
            compare(bandGreys(20), blackAndWhite)

            releaseEffectSlider(140)
            verify(busy.running)
            compare(toast(), "正在进行离散化处理……")
            waitIdle()
            compare(propertyChangedSpy.count, 1)
            // The band of grey 150 is dithered to a mix of black and white.
            var pixels = canvasPixels()
            var black = 0, white = 0
            for (var x = 155; x < 175; ++x) {
                for (var y = 10; y < 30; ++y) {
                    var grey = pixels.grey(x, y)
                    if (grey === 0)
                        ++black
                    else if (grey === 255)
                        ++white
                }
            }
            verify(black > 20 && white > 20, "black " + black + ", white " + white)
            compare(black + white, 400)
        }

        // Grey, the transforms, size, Clear and Done wait for a run under
        // way, as black and white and dithering do.
        function test_nothingStartsWhileBusy_data() {
            return [
                { tag: "grey", button: "greyButton" },
                { tag: "black and white", button: "binarizeButton" },
                { tag: "rotate", button: "rotate" },
                { tag: "mirror left-right", button: "mirrorH" },
                { tag: "mirror top-bottom", button: "mirrorV" },
                { tag: "negative", button: "negative" },
                { tag: "change size", button: "adjustScaleSave" },
                { tag: "clear", button: "clearButton" },
                { tag: "done", button: "doneButton" },
            ]
        }

        function test_nothingStartsWhileBusy(data) {
            load(host.workUrl + "bands.png")
            var before = bandGreys(20)
            propertyChangedSpy.clear()
            busy.running = true
            click(item(data.button))
            wait(300)
            compare(propertyChangedSpy.count, 0)
            compare(item("effectFrame").buttonSelect, 2)
            compare(item("effectSlider").value, 128)
            compare(connectDrawOperations.carveMode, 0)
            compare(connectDrawOperations.openCount, 0)
            busy.running = false
            compare(bandGreys(20), before)
        }

        function test_frameFitsPage_data() {
            return [
                { tag: "small", file: "bands.png", scale: 1, frameWidth: 304, frameHeight: 204 },
                { tag: "wider than the page", file: "large.png", scale: 990 / 1054, frameWidth: 1054, frameHeight: 704 },
                { tag: "higher than the page", file: "upright.png", scale: 680 / 1054, frameWidth: 704, frameHeight: 1054 },
            ]
        }

        function test_frameFitsPage(data) {
            load(host.workUrl + data.file)
            var frame = item("boardFrame")
            compare(frame.width, data.frameWidth)
            compare(frame.height, data.frameHeight)
            fuzzyCompare(item("zoomSlider").value, data.scale, 1e-6)
            fuzzyCompare(frame.scale, data.scale, 1e-6)
            compare(frame.x, (990 - data.frameWidth) / 2)
            compare(frame.y, (680 - data.frameHeight) / 2)
            // Scaled about its centre, the frame lies within the page.
            var topLeft = frame.mapToItem(page, 0, 0)
            var bottomRight = frame.mapToItem(page, frame.width, frame.height)
            verify(topLeft.x >= -1e-6 && topLeft.y >= -1e-6)
            verify(bottomRight.x <= 990 + 1e-6 && bottomRight.y <= 680 + 1e-6)
        }

        // Limits and values in whole millimetres for a frame of w × h pixels
        // (0.075 mm a pixel), the longer side at most 80 mm and the shorter
        // at least 5 mm; then one spin box set by the user moves the other.
        function test_sizeLimits_data() {
            return [
                { tag: "landscape 1054 x 704", w: 1054, h: 704,
                  widthRange: [8, 80], heightRange: [5, 53], values: [79, 53],
                  setWidth: 60, follows: 40, setHeight: 30, followsWidth: 45 },
                { tag: "landscape at the limits", w: 1054, h: 704,
                  widthRange: [8, 80], heightRange: [5, 53], values: [79, 53],
                  setWidth: 80, follows: 53, setHeight: 5, followsWidth: 8 },
                { tag: "upright 704 x 1054", w: 704, h: 1054,
                  widthRange: [5, 53], heightRange: [8, 80], values: [53, 79],
                  setWidth: 40, follows: 60, setHeight: 80, followsWidth: 53 },
                { tag: "square", w: 684, h: 684,
                  widthRange: [5, 80], heightRange: [5, 80], values: [51, 51],
                  setWidth: 33, follows: 33, setHeight: 70, followsWidth: 70 },
            ]
        }

        function test_sizeLimits(data) {
            var panel = item("adjustScaleStyle")
            var widthBox = item("widthSpinBox")
            var heightBox = item("heightSpinBox")
            panel.restrainTerm(data.w, data.h)
            fuzzyCompare(panel.proportionlocker, data.w / data.h, 1e-9)
            compare([widthBox.from, widthBox.to], data.widthRange)
            compare([heightBox.from, heightBox.to], data.heightRange)
            compare([widthBox.value, heightBox.value], data.values)
            verify(widthBox.to <= 80 && heightBox.to <= 80)

            widthBox.value = data.setWidth
            compare(heightBox.value, data.follows)
            compare(widthBox.value, data.setWidth)
            heightBox.value = data.setHeight
            compare(widthBox.value, data.followsWidth)
            compare(heightBox.value, data.setHeight)
        }

        function test_resizeByMillimetres() {
            load(host.workUrl + "bands.png")
            var panel = item("adjustScaleStyle")
            compare([item("widthSpinBox").value, item("heightSpinBox").value], [23, 15])
            item("widthSpinBox").value = 30
            compare(item("heightSpinBox").value, 20)
            click(item("adjustScaleSave"))
            waitIdle()
            // 30 × 20 mm is at most 400 × 266 canvas pixels, in proportion.
            compare(drawBoard.width, 399)
            compare(drawBoard.height, 266)
            compare(toast(), "处理完成……")
        }

        function test_wheelZoom_data() {
            return [
                { tag: "one notch in", notches: 1, zoom: 1.05 },
                { tag: "one notch out", notches: -1, zoom: 0.95 },
                { tag: "never beyond 2", notches: 40, zoom: 2 },
                { tag: "never below 0.1", notches: -40, zoom: 0.1 },
            ]
        }

        function test_wheelZoom(data) {
            var frame = item("boardFrame")
            var area = item("dragArea")
            var step = data.notches > 0 ? 120 : -120
            for (var i = 0; i < Math.abs(data.notches); ++i)
                mouseWheel(area, area.width / 2, area.height / 2, 0, step)
            fuzzyCompare(item("zoomSlider").value, data.zoom, 1e-6)
            tryVerify(function() { return Math.abs(frame.scale - data.zoom) < 1e-6 })
            verify(toast().indexOf("缩放比例 ") === 0)
            // A double-click shows the picture at its own size again, in place.
            var x = frame.x
            mouseDoubleClickSequence(area, area.width / 2, area.height / 2)
            compare(item("zoomSlider").value, 1)
            tryCompare(frame, "scale", 1)
            compare(frame.x, x)
        }

        function test_dragMovesFrame() {
            var frame = item("boardFrame")
            var x = frame.x, y = frame.y
            var moved = dragInWindow(item("dragArea"), 100, 100, 80, -40)
            tryCompare(frame, "x", x + moved.dx)
            tryCompare(frame, "y", y + moved.dy)
        }

        // The crop is what the rectangle covers of the picture, never the
        // frame's 2 px border around it: the bands change at canvas x 30.
        function test_crop_data() {
            return [
                { tag: "where it was opened", toCorner: false, left: 28, top: 18 },
                { tag: "moved to the frame's corner", toCorner: true, left: 0, top: 0 },
            ]
        }

        function test_crop(data) {
            load(host.workUrl + "bands.png")
            var rect = item("cutRectOutside")
            var handle = item("cutDragSize")
            verify(!rect.visible)
            mouseClick(item("cut"))
            verify(item("cut").checked)
            verify(rect.visible && handle.visible)
            fuzzyCompare(rect.width, 304 * 0.8, 1e-6)
            fuzzyCompare(rect.height, 204 * 0.8, 1e-6)
            fuzzyCompare(rect.x, 304 * 0.1, 1e-6)
            fuzzyCompare(rect.y, 204 * 0.1, 1e-6)
            fuzzyCompare(handle.x + handle.width, rect.x + rect.width, 1e-6)
            fuzzyCompare(handle.y + handle.height, rect.y + rect.height, 1e-6)

            // The handle resizes the rectangle, the rectangle moves whole.
            var moved = dragInWindow(handle, handle.width / 2, handle.height / 2, -80, -40)
            fuzzyCompare(rect.width, 304 * 0.8 + moved.dx, 1e-6)
            fuzzyCompare(rect.height, 204 * 0.8 + moved.dy, 1e-6)
            var width = rect.width, height = rect.height
            if (data.toCorner) {
                dragInWindow(item("cutArea"), 20, 20, -200, -200)
                compare(rect.x, 0)
                compare(rect.y, 0)
                compare(rect.width, width)
                fuzzyCompare(handle.x + handle.width, width, 1e-6)
            }
            var right = Math.round(rect.x + width) - 2, bottom = Math.round(rect.y + height) - 2

            mouseDoubleClickSequence(item("cutArea"), 40, 40)
            verify(!item("cut").checked)
            verify(!rect.visible)
            waitIdle()
            compare(drawBoard.width, right - data.left)
            compare(drawBoard.height, bottom - data.top)
            var pixels = canvasPixels()
            compare(pixels.grey(0, 0), 255)
            compare(pixels.grey(29 - data.left, 20), 255)
            compare(pixels.grey(30 - data.left, 20), 0)
        }

        function test_rotateEndsCropping() {
            load(host.workUrl + "bands.png")
            mouseClick(item("cut"))
            verify(item("cutRectOutside").visible)
            mouseClick(item("rotate"))
            verify(!item("cut").checked)
            verify(!item("cutRectOutside").visible)
            waitIdle()
            compare(drawBoard.width, 200)
            compare(drawBoard.height, 300)
        }

        function test_placeText() {
            var box = item("drawText")
            var textArea = item("textDrag")
            mouseClick(item("textButton"))
            verify(textArea.enabled)
            verify(!box.visible)
            mouseClick(textArea, 300, 150)
            verify(box.visible)
            verify(box.dropFlag)
            compare(box.x, 300)
            compare(box.y, 150)
            compare(box.fontSize, 12)
            compare(box.textField.text, "输入")
            box.textField.text = "Vandra"

            var before = canvasPixels()
            mouseDoubleClickSequence(textArea, 500, 500)
            verify(!box.visible)
            verify(!box.dropFlag)
            var after = canvasPixels()
            // Drawn where the box showed it: the text's left edge and baseline
            // in canvas pixels.
            var left = box.dragX - 2, baseline = box.dragY - 2
            var inked = 0, leftmost = 1000, lowest = -1
            for (var x = left - 8; x < left + 40; ++x) {
                for (var y = baseline - 16; y <= baseline + 8; ++y) {
                    if (after.grey(x, y) < 128) {
                        ++inked
                        leftmost = Math.min(leftmost, x)
                        lowest = Math.max(lowest, y)
                    }
                }
            }
            verify(inked > 10, "inked " + inked)
            verify(leftmost >= left - 1 && leftmost <= left + 1, "text starts at " + leftmost + ", not " + left)
            verify(lowest >= baseline - 2 && lowest <= baseline, "text ends at " + lowest + ", not " + baseline)
            compare(after.grey(400, 400), before.grey(400, 400))

            // Switching the tool off takes a waiting box away.
            mouseClick(textArea, 50, 50)
            box.textField.text = "left over"
            verify(box.visible)
            mouseClick(item("zoomButton"))
            verify(!box.visible)
            verify(!box.dropFlag)
            compare(box.textField.text, "输入")
        }

        function test_toolHover_data() {
            return [
                { tag: "pen", button: "penButton", panel: "penStyle", drawType: DrawBoard.PenType, canvasEnabled: true },
                { tag: "eraser", button: "rubberButton", panel: "rubberStyle", drawType: DrawBoard.RubberType, canvasEnabled: true },
                { tag: "text", button: "textButton", panel: "textStyle", tip: "滚动鼠标滚轮可选择字体……" },
                { tag: "size", button: "adjustScale", panel: "adjustScaleStyle" },
            ]
        }

        function test_toolHover(data) {
            var button = item(data.button)
            var panel = item(data.panel)
            verify(!panel.visible)
            mouseMove(button, button.width / 2, button.height / 2)
            mouseClick(button)
            verify(button.checked)
            verify(!item("zoomButton").checked)
            // The panel opens, and the canvas takes the tool, once the
            // pointer leaves the button that was checked.
            mouseMove(page, 500, 30)
            verify(panel.visible)
            if (data.drawType !== undefined)
                compare(drawBoard.drawType, data.drawType)
            compare(drawBoard.enabled, data.canvasEnabled === true)
            compare(item("dragArea").enabled, false)
            if (data.tip !== undefined)
                compare(toast(), data.tip)
        }

        function test_penSettings() {
            item("penSizeSlider").value = 37.4
            compare(drawBoard.penSize, 37)
            item("rubberSlider").value = 120
            compare(drawBoard.rubberSize, 120)
            var textSize = item("textSizeSlider")
            textSize.value = 56
            compare(textSize.value2, 56)
            compare(drawBoard.textSize, 56)
            compare(item("drawText").fontSize, 56)
        }

        function test_clear() {
            load(host.workUrl + "bands.png")
            propertyChangedSpy.clear()
            mouseClick(item("clearButton"))
            // The canvas reported the change ("处理完成……") before the tip.
            compare(propertyChangedSpy.count, 1)
            compare(toast(), "清除完成")
            compare(drawBoard.width, 680)
            compare(drawBoard.height, 680)
        }

        function test_save_data() {
            return [
                { tag: "written", file: "bands.png", tip: "图片已保存到 /proc/self/cwd" },
                { tag: "not written", file: new Array(249).join("a") + "x.png", tip: "图片保存失败……" },
            ]
        }

        function test_save(data) {
            load(host.workUrl + data.file)
            mouseClick(item("saveButton"))
            compare(toast(), data.tip)
        }

        function test_toastHides() {
            var toastItem = item("infoRemind")
            tryCompare(toastItem.anchors, "bottomMargin", -24)
            page.infoView("清除完成")
            tryCompare(toastItem.anchors, "bottomMargin", -2)
            wait(1500)
            page.infoView("处理完成……")
            // Replaced, and the 2.5 s start again.
            wait(1500)
            compare(toastItem.anchors.bottomMargin, -2)
            compare(toast(), "处理完成……")
            tryCompare(toastItem.anchors, "bottomMargin", -24, 2000)
        }

        // Done hands the job over: engraving mode by effect, the preview,
        // the byte stream with the slider's threshold, then the control page.
        function test_doneWithoutJob_data() {
            return [
                // Grey at 255 burns every pixel of the 450 × 300 job.
                { tag: "grey", effect: "greyButton", mode: 1, bounds: [0, 0, 449, 299] },
                // Black and white at 128 burns the bands 1 to 3 (canvas x 30 to 119).
                { tag: "black and white", effect: "binarizeButton", mode: 2, bounds: [45, 0, 179, 299] },
            ]
        }

        function test_doneWithoutJob(data) {
            load(host.workUrl + "bands.png")
            mouseClick(item(data.effect))
            waitIdle()
            mouseClick(item("doneButton"))
            compare(connectDrawOperations.carveMode, data.mode)
            compare(connectDrawOperations.openCount, 0)
            verify(busy.running)
            tryCompare(connectDrawOperations, "changeModelCount", 1, 20000)
            verify(!busy.running)
            compare(finishedLoadSpy.count, 1)
            var bounds = finishedLoadSpy.signalArguments[0]
            compare([bounds[0], bounds[1], bounds[2], bounds[3]], data.bounds)
            // The preview published for the control page is the picture at
            // engraving resolution.
            var preview = Qt.createQmlObject('import QtQuick 2.7; Image { source: "image://screen/test" + Math.random() }', host)
            compare(preview.implicitWidth, 450)
            compare(preview.implicitHeight, 300)
            preview.destroy()
        }

        function test_doneDuringJob_data() {
            return [
                { tag: "stopped", stop: true },
                { tag: "cancelled", stop: false },
            ]
        }

        function test_doneDuringJob(data) {
            load(host.workUrl + "bands.png")
            connectDrawOperations.startCarveFlag = true
            mouseClick(item("doneButton"))
            compare(connectDrawOperations.openCount, 1)
            verify(!busy.running)
            wait(300)
            compare(connectDrawOperations.carveMode, 0)
            compare(connectDrawOperations.changeModelCount, 0)
            compare(finishedLoadSpy.count, 0)
            if (!data.stop)
                return
            connectDrawOperations.startCarveFlag = false
            connectDrawOperations.stopDone()
            compare(connectDrawOperations.carveMode, 2)
            tryCompare(connectDrawOperations, "changeModelCount", 1, 20000)
            compare(finishedLoadSpy.count, 1)
        }
    }
}
