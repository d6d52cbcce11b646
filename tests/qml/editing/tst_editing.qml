import QtQuick 2.7
import QtQuick.Window 2.2
import QtTest 1.0
import Qt.labs.settings 1.0
import Zan.DrawBoard 1.0
import "qrc:/" as Program
import "qrc:/common" as Common

// The editing page on the real canvas and the program's engraver controller,
// with a stand-in for the state the main window shares with it.
Item {
    id: host

    // Pictures are drawn here and written to the run's own temporary working
    // directory (the test runner starts in it).
    readonly property string workDir: "/proc/self/cwd/"
    // Grey levels of the ten 30 px wide bands of the test pictures, left to
    // right: black and white at 128 makes bands 1 to 3 black.
    readonly property var bandGreys: [230, 40, 100, 127, 128, 150, 199, 200, 201, 255]
    // A picture whose "new_" copy gets a name longer than any file system allows.
    readonly property string longName: new Array(249).join("a") + "x.png"

    width: 1300
    height: 1250

    // No job is ever running here; Done during a job is tested in the real
    // window (tst_window.qml).
    Common.SharedState {
        id: sharedState

        property int changeModelCount: 0

        function changeModel() { ++changeModelCount }
    }

    Loader {
        id: pageLoader

        width: 990
        height: 680
        active: false
        sourceComponent: Program.DrawimgBoard {
            shared: sharedState
            controller: operationEnd
        }
    }

    // The control page beside it, for work files: it publishes the jobs
    // Done prepares and keeps its part of a work in the shared state.
    Loader {
        id: controlLoader

        width: 990
        height: 680
        active: false
        sourceComponent: Program.OperationsFront {
            shared: sharedState
            controller: operationEnd
        }
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

    // Puts plain text, no picture, on the clipboard.
    TextInput {
        id: clipboardText

        y: 1200
        text: "no picture here"
    }

    // The store as the next page finds it.
    Settings {
        id: store
    }

    SignalSpy {
        id: finishedLoadSpy

        target: operationEnd
        signalName: "finishedLoad"
    }

    SignalSpy {
        id: propertyChangedSpy

        target: testCase.drawBoard
        signalName: "propertyChanged"
    }

    TestCase {
        id: testCase

        property var page: null
        property var drawBoard: null
        property var busy: null
        property int grabCount: 0

        // A missing item fails the test at its first use.
        function item(name) { return findChild(page, name) }

        function grabTo(source, path) {
            var saved = null
            source.grabToImage(function(result) { saved = result.saveToFile(path) })
            tryVerify(function() { return saved === true }, 5000, "cannot write " + path)
        }

        function makePicture(name, w, h) {
            generator.width = w
            generator.height = h
            generator.visible = true
            grabTo(generator, host.workDir + name)
            generator.visible = false
        }

        function waitIdle() {
            tryCompare(busy, "running", false, 20000)
            // The frame is moved to the middle and scaled with animations:
            // wait for them to arrive, however slowly a loaded machine runs.
            var frame = item("boardFrame")
            tryVerify(function() {
                return frame.x === (page.width - frame.width) / 2 && frame.y === (page.height - frame.height) / 2
                    && frame.scale === item("zoomSlider").value
            }, 5000)
        }

        // Drops one file, or several at once, from the working directory.
        function drop(files) {
            page.dropFiles({ hasUrls: true, urls: [].concat(files).map(function(file) { return "file://" + host.workDir + file }) })
        }

        function load(files) {
            drop(files)
            waitIdle()
            // A loaded picture always goes on to black and white.
            compare(item("effectFrame").buttonSelect, 2)
        }

        // What the canvas shows, pixel by pixel: the function returned gives
        // the grey level of canvas pixel (x, y), whatever the frame's scale.
        function canvasPixels() {
            // Painted afresh as a whole, not from what an earlier frame left.
            drawBoard.update()
            wait(50)
            return itemPixels(drawBoard)
        }

        // The same for any item, with what lies over it inside it.
        function itemPixels(source) {
            var path = host.workDir + "canvas-" + (++grabCount) + ".png", url = "file://" + path
            var width = source.width, height = source.height
            grabTo(source, path)
            return filePixels(url, width, height)
        }

        // The grey level of each pixel of an opaque picture file, as
        // canvasPixels gives it.
        function filePixels(url, width, height) {
            probe.loadImage(url)
            tryVerify(function() { return probe.isImageLoaded(url) })
            var context = probe.getContext("2d"), data = null
            // The grab is opaque: a transparent last pixel means the canvas
            // was not ready for drawing yet.
            tryVerify(function() {
                context.clearRect(0, 0, probe.width, probe.height)
                context.drawImage(url, 0, 0)
                data = context.getImageData(0, 0, width, height).data
                return data[(height * width - 1) * 4 + 3] === 255
            })
            return function(x, y) { return data[(y * width + x) * 4] }
        }

        function bandGreys(row) {
            var pixels = canvasPixels()
            return host.bandGreys.map(function(grey, band) { return pixels(band * 30 + 15, row) })
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

        // Drags the upright effect slider's handle to about value and
        // releases it there, the way the user does. Pointer positions are
        // whole pixels, so the value reached may be off by one: returned.
        function releaseEffectSlider(value) {
            var slider = item("effectSlider"), handle = slider.handle, y = handle.y + handle.height / 2
            var from = handle.x + handle.width / 2
            var to = slider.leftPadding + handle.width / 2 + value / 255 * (slider.availableWidth - handle.width)
            mousePress(slider, from, y)
            mouseMove(slider, to, y)
            mouseRelease(slider, to, y)
            verify(Math.abs(slider.value - value) <= 1, "released at " + slider.value)
            return slider.value
        }

        name: "EditingPage"
        when: windowShown

        function initTestCase() {
            makePicture("bands.png", 300, 200)
            makePicture("large.png", 1200, 800)
            makePicture("upright.png", 800, 1200)
            makePicture(host.longName, 300, 200)
        }

        function init() {
            sharedState.carveMode = 0
            sharedState.changeModelCount = 0
            // Each test starts as the first start does: black and white at 128.
            store.setValue("lastLook", 2)
            store.setValue("lastThreshold", 128)
            pageLoader.active = true
            page = pageLoader.item
            drawBoard = item("drawBoard")
            busy = item("busy")
            finishedLoadSpy.clear()
            resetLookSettings()
            // A dialog opened by an earlier test may have taken the
            // window's activation, and the page's keys with it.
            page.Window.window.requestActivate()
            tryVerify(function() { return page.Window.window.active })
        }

        // The tone and dithering persist in the settings: every test starts
        // from the neutral ones.
        function resetLookSettings() {
            var panel = item("tonePanel")
            panel.brightness = 0
            panel.contrast = 0
            panel.gamma = 1
            panel.method = DrawBoard.FloydSteinberg
            panel.serpentine = false
            panel.halftoneCell = 6
            panel.dotSize = 1
        }

        // The whole picture on show, with its size, as one string to compare.
        function snapshot() {
            var pixels = canvasPixels(), values = [drawBoard.width, drawBoard.height]
            for (var y = 0; y < drawBoard.height; ++y) {
                for (var x = 0; x < drawBoard.width; ++x)
                    values.push(pixels(x, y))
            }
            return values.join(",")
        }

        // The page made anew once the old one, and its settings, are gone.
        function restartPage() {
            pageLoader.active = false
            wait(50)
            pageLoader.active = true
            page = pageLoader.item
            drawBoard = item("drawBoard")
            busy = item("busy")
        }

        function fileUrl(name) { return "file://" + host.workDir + name }

        function cleanup() {
            // Let a run the test left behind end before the canvas goes.
            tryCompare(busy, "running", false, 20000)
            pageLoader.active = false
            controlLoader.active = false
        }

        // A drop loads the first file dropped and shows it in black and
        // white at 128 and its own size, "黑白" lit; the size panel starts
        // from its size. Saving says where the copy went or that it failed.
        // A file that cannot be read then stops the busy indicator, says so
        // and leaves the picture as it was. Clear leaves an empty canvas.
        function test_drop_data() {
            return [
                { tag: "one file, saved", files: ["bands.png"], tip: "图片已保存到 /proc/self/cwd/new_bands.png" },
                { tag: "several files, not saved", files: [host.longName, "large.png"], tip: "图片保存失败……" },
            ]
        }

        function test_drop(data) {
            load(data.files)
            compare([drawBoard.width, drawBoard.height, item("effectSlider").value, item("boardFrame").scale], [300, 200, 128, 1])
            verify(Qt.colorEqual(item("binarizeButton").circleTextAlias.color, "limegreen"))
            compare(item("infoText").text, "处理完成……")
            mouseClick(item("saveButton"))
            compare(item("infoText").text, data.tip)

            drop("nothing-here.png")
            tryCompare(busy, "running", false, 20000)
            compare(item("infoText").text, "无法读取图片……")
            compare([drawBoard.width, drawBoard.height, item("effectFrame").buttonSelect], [300, 200, 2])
            wait(300)
            compare(bandGreys(20), [255, 0, 0, 0, 255, 255, 255, 255, 255, 255])

            propertyChangedSpy.clear()
            mouseClick(item("clearButton"))
            compare(propertyChangedSpy.count, 1)
            compare(item("infoText").text, "清除完成")
            compare([drawBoard.width, drawBoard.height], [680, 680])
        }

        // Nothing starts while the page is busy: not the effects, the
        // transforms, size, Clear nor Done, and their buttons show it.
        // Dithering can still be chosen, but starts, from the slider, only
        // once the page is free again. (A dropped file still being read
        // keeps the page busy as a run does; test_done sees a run do it.)
        function test_nothingStartsWhileBusy_data() {
            return [
                { tag: "dithering", button: "ditheringButton", select: 3 },
                { tag: "grey", button: "greyButton" },
                { tag: "black and white", button: "binarizeButton" },
                // The mirrors and Negative take the same path as Rotate.
                { tag: "rotate", button: "rotate" },
                // In a closed tool panel: pressed through its signal.
                { tag: "change size", button: "adjustScaleSave", closed: true },
                { tag: "clear", button: "clearButton" },
                { tag: "done", button: "doneButton" },
            ]
        }

        // A round button is offered while available, the others while enabled.
        function offered(button) {
            return button.available !== undefined ? button.available : button.enabled
        }

        function test_nothingStartsWhileBusy(data) {
            load("bands.png")
            var before = bandGreys(20)
            propertyChangedSpy.clear()
            page.loadingFile = true
            verify(busy.running)
            compare(offered(item(data.button)), data.select !== undefined, "offered while busy")
            data.closed ? item(data.button).clicked() : mouseClick(item(data.button))
            var value = data.select ? releaseEffectSlider(140) : 128
            wait(300)
            compare(propertyChangedSpy.count, 0)
            compare([item("effectFrame").buttonSelect, item("effectSlider").value, sharedState.carveMode], [data.select || 2, value, 0])
            page.loadingFile = false
            verify(offered(item(data.button)))
            compare(bandGreys(20), before)
            if (!data.select)
                return
            releaseEffectSlider(140)
            waitIdle()
            compare(propertyChangedSpy.count, 1)
            // A 20 px square of the band of grey 150 is dithered to a mix of
            // black and white.
            var pixels = canvasPixels(), seen = {}
            for (var i = 0; i < 400; ++i)
                seen[pixels(155 + i % 20, 10 + Math.floor(i / 20))] = true
            compare(Object.keys(seen).sort(), ["0", "255"])
        }

        // Loaded without the window's state and controller, the page still
        // prepares a job, which goes nowhere.
        function test_pageOnItsOwn() {
            var bare = createTemporaryObject(Qt.createComponent("qrc:/DrawimgBoard.qml"), pageLoader)
            verify(bare !== null && bare.controller === null)
            bare.finish()
            verify(bare.busy)
            tryCompare(bare, "busy", false, 20000)
            compare(finishedLoadSpy.count, 0)
        }

        // A picture larger than the page is scaled to fit (centred, as
        // waitIdle sees). The size panel's limits (width from, to, height
        // from, to) and values are whole millimetres of the frame (0.075 mm
        // a pixel), the longer side at most 80 mm and the shorter at least
        // 5 mm; then one spin box set by the user moves the other: setWidth
        // and setHeight give both values after. With the ratio unlocked each
        // side goes alone within 5 to 80 mm, Save stretches the picture to
        // them (saved: the frame after), and locked again the sides keep the
        // ratio they had then (relocked: its limits and a width set).
        function test_largePicture_data() {
            return [
                { tag: "wider than the page", file: "large.png", scale: 990 / 1054, frame: [1054, 704],
                  limits: [8, 80, 5, 53], values: [79, 53], setWidth: [60, 40], setHeight: [8, 5] },
                { tag: "higher than the page", file: "upright.png", scale: 680 / 1054, frame: [704, 1054],
                  limits: [5, 53, 8, 80], values: [53, 79], setWidth: [40, 60], setHeight: [53, 80] },
                { tag: "the ratio unlocked", file: "large.png", scale: 990 / 1054, frame: [1054, 704], unlock: true,
                  limits: [5, 80, 5, 80], values: [79, 53], setWidth: [60, 53], setHeight: [60, 40],
                  saved: [804, 537], relocked: { limits: [8, 80, 5, 53], setWidth: [30, 20] } },
            ]
        }

        function test_largePicture(data) {
            load(data.file)
            var frame = item("boardFrame"), widthBox = item("widthSpinBox"), heightBox = item("heightSpinBox")
            var limitsAndValues = function() {
                return [widthBox.from, widthBox.to, heightBox.from, heightBox.to, widthBox.value, heightBox.value]
            }
            compare([frame.width, frame.height], data.frame)
            fuzzyCompare(frame.scale, data.scale, 1e-6)
            item("adjustScaleStyle").onView()
            if (data.unlock)
                mouseClick(item("ratioLock"))
            compare(limitsAndValues(), data.limits.concat(data.values))
            widthBox.value = data.setWidth[0]
            compare([widthBox.value, heightBox.value], data.setWidth)
            heightBox.value = data.setHeight[1]
            compare([widthBox.value, heightBox.value], data.setHeight)
            if (!data.saved)
                return
            mouseClick(item("adjustScaleSave"))
            waitIdle()
            compare([frame.width, frame.height], data.saved)
            mouseClick(item("ratioLock"))
            compare(limitsAndValues(), data.relocked.limits.concat(data.setHeight))
            widthBox.value = data.relocked.setWidth[0]
            compare([widthBox.value, heightBox.value], data.relocked.setWidth)
        }

        // Dragging moves the frame; the wheel zooms no further than 2 nor
        // below 0.1; a double-click shows the picture at its own size again,
        // in place.
        function test_moveAndZoom() {
            var frame = item("boardFrame"), area = item("dragArea")
            var x = frame.x, y = frame.y, moved = dragInWindow(area, 100, 100, 80, -40)
            x += moved.dx, y += moved.dy
            tryVerify(function() { return frame.x === x && frame.y === y })
            for (var i = 0; i < 40; ++i)
                mouseWheel(area, area.width / 2, area.height / 2, 0, 120)
            compare(item("zoomSlider").value, 2)
            for (i = 0; i < 80; ++i)
                mouseWheel(area, area.width / 2, area.height / 2, 0, -120)
            fuzzyCompare(item("zoomSlider").value, 0.1, 1e-6)
            tryVerify(function() { return Math.abs(frame.scale - 0.1) < 1e-6 })
            mouseDoubleClickSequence(area, area.width / 2, area.height / 2)
            tryCompare(frame, "scale", 1)
            compare([frame.x, frame.y], [x, y])
        }

        // The crop rectangle opens at 0.8 of the frame, what lies outside it
        // shaded; its handle resizes it and it moves whole. The crop is what
        // it covers of the picture, never the frame's 2 px border: the bands
        // change at canvas x 30. A double-click on it, its apply button or
        // Enter (not Done then) applies it.
        function test_crop_data() {
            var doubleClick = function() { mouseDoubleClickSequence(item("cutArea"), 40, 40) }
            return [
                { tag: "where it was opened", toCorner: false, left: 28, top: 18, apply: doubleClick },
                { tag: "moved to the frame's corner", toCorner: true, left: 0, top: 0, apply: doubleClick },
                { tag: "applied by its button", toCorner: false, left: 28, top: 18,
                  apply: function() { mouseClick(item("cropApply")) } },
                { tag: "applied by Enter", toCorner: true, left: 0, top: 0,
                  apply: function() { keyClick(Qt.Key_Return) } },
                // Turning the picture ends cropping.
                { tag: "ended by turning", rotate: true },
            ]
        }

        function test_crop(data) {
            load("bands.png")
            var rect = item("cutRectOutside"), handle = item("cutDragSize")
            mouseClick(item("cut"))
            verify(rect.visible && handle.visible && item("cropButtons").visible)
            compare([rect.width, rect.height], [304 * 0.8, 204 * 0.8])
            // Band 4 is white: shaded above the rectangle, bright inside it.
            var shown = itemPixels(item("boardFrame"))
            compare(shown(137, 100), 255)
            verify(shown(137, 5) < 160, "not shaded: " + shown(137, 5))
            if (data.rotate) {
                mouseClick(item("rotate"))
                verify(!item("cut").checked && !rect.visible)
                waitIdle()
                return compare([drawBoard.width, drawBoard.height], [200, 300])
            }
            // The crop's size below shows the handle resized the rectangle,
            // and moving it kept that size.
            var moved = dragInWindow(handle, handle.width / 2, handle.height / 2, -80, -40)
            var width = 304 * 0.8 + moved.dx, height = 204 * 0.8 + moved.dy
            if (data.toCorner) {
                dragInWindow(item("cutArea"), 20, 20, -200, -200)
                compare([rect.x, rect.y], [0, 0])
                fuzzyCompare(handle.x + handle.width, width, 1e-6)
            }
            var right = Math.round(rect.x + width) - 2, bottom = Math.round(rect.y + height) - 2

            page.forceActiveFocus()
            data.apply()
            verify(!item("cut").checked && !rect.visible && !item("cropButtons").visible)
            waitIdle()
            compare([drawBoard.width, drawBoard.height], [right - data.left, bottom - data.top])
            compare(sharedState.carveMode, 0, "Enter went on to Done")
            var pixels = canvasPixels()
            compare([pixels(0, 0), pixels(29 - data.left, 20), pixels(30 - data.left, 20)], [255, 255, 0])
        }

        // The cancel button or Escape puts the crop away and leaves the
        // picture as it was. With a panel open, Escape closes the panel
        // first and the crop stays.
        function test_cropCancelled_data() {
            return [
                { tag: "its button", cancel: function() { mouseClick(item("cropCancel")) } },
                { tag: "Escape", cancel: function() { keyClick(Qt.Key_Escape) } },
                { tag: "Escape, the tone panel open", panel: true, cancel: function() { keyClick(Qt.Key_Escape) } },
            ]
        }

        function test_cropCancelled(data) {
            load("bands.png")
            var before = snapshot(), rect = item("cutRectOutside")
            mouseClick(item("cut"))
            if (data.panel) {
                mouseClick(item("toneButton"))
                verify(item("tonePanel").visible)
                keyClick(Qt.Key_Escape)
                verify(!item("tonePanel").visible)
                verify(rect.visible && item("cut").checked)
            }
            data.cancel()
            verify(!item("cut").checked && !rect.visible && !item("cropButtons").visible)
            wait(300)
            verify(!busy.running)
            verify(snapshot() === before, "the picture changed")
        }

        // The crop buttons sit beside the rectangle, under it, over it or
        // in it, and always whole on the page, where a click reaches them:
        // with the rectangle at the page's bottom, as high as the page,
        // with the frame half off the page, or zoomed while cropping.
        function test_cropButtonsOnPage_data() {
            return [
                { tag: "under the rectangle", file: "bands.png", side: "under" },
                { tag: "under the rectangle, zoomed while cropping", file: "bands.png", zoom: 0.5, side: "under" },
                { tag: "over a rectangle down to the page's bottom", file: "large.png", handleDown: true, side: "over" },
                { tag: "in a rectangle as high as the page", file: "large.png", whole: true, side: "in" },
                { tag: "frame half off the page", file: "bands.png", frameAway: true },
            ]
        }

        function test_cropButtonsOnPage(data) {
            load(data.file)
            var frame = item("boardFrame")
            if (data.frameAway) {
                dragInWindow(item("dragArea"), 100, 100, 600, 400)
                tryVerify(function() { return frame.x + frame.width > page.width && frame.y + frame.height > page.height })
            }
            mouseClick(item("cut"))
            var rect = item("cutRectOutside"), handle = item("cutDragSize"), bar = item("cropButtons")
            if (data.handleDown)
                dragInWindow(handle, handle.width / 2, handle.height / 2, 0, 400)
            if (data.whole) {
                dragInWindow(item("cutArea"), 20, 20, -400, -400)
                dragInWindow(handle, handle.width / 2, handle.height / 2, 1200, 1200)
            }
            if (data.zoom) {
                item("zoomSlider").value = data.zoom
                tryCompare(frame, "scale", data.zoom)
            }
            var top = rect.mapToItem(page, 0, 0), bottom = rect.mapToItem(page, rect.width, rect.height)
            tryVerify(function() { return bar.x >= 0 && bar.y >= 0 && bar.x + bar.width <= page.width && bar.y + bar.height <= page.height },
                      1000, "off the page at " + bar.x + ", " + bar.y)
            if (data.side === "under")
                verify(bar.y >= bottom.y && bar.y < bottom.y + 10, bar.y + " not under " + bottom.y)
            else if (data.side === "over")
                verify(bar.y + bar.height <= top.y)
            else if (data.side === "in")
                verify(bar.y >= top.y && bar.y + bar.height <= bottom.y)
            mouseClick(item("cropCancel"))
            verify(!item("cut").checked && !rect.visible)
        }

        // Text is drawn where the box showed it: the text's left edge at the
        // box's dragX and its baseline at dragY, in canvas pixels.
        function test_placeText() {
            var box = item("drawText"), textArea = item("textDrag")
            mouseClick(item("textButton"))
            mouseClick(textArea, 300, 150)
            verify(box.visible && box.dropFlag)
            compare([box.x, box.y], [300, 150])
            box.textField.text = "Vandra"

            mouseDoubleClickSequence(textArea, 500, 500)
            verify(!box.visible && !box.dropFlag)
            var pixels = canvasPixels()
            var left = box.dragX - 2, baseline = box.dragY - 2, leftmost = 1000, lowest = -1
            for (var x = left - 8; x < left + 40; ++x) {
                for (var y = baseline - 16; y <= baseline + 8; ++y) {
                    if (pixels(x, y) < 128) {
                        leftmost = Math.min(leftmost, x)
                        lowest = Math.max(lowest, y)
                    }
                }
            }
            verify(Math.abs(leftmost - left) <= 1, "text starts at " + leftmost + ", not " + left)
            verify(lowest >= baseline - 2 && lowest <= baseline, "text ends at " + lowest + ", not " + baseline)
            compare(pixels(400, 400), 255)

            // Switching the tool off takes a waiting box away.
            mouseClick(textArea, 50, 50)
            verify(box.visible)
            mouseClick(item("zoomButton"))
            verify(!box.visible && !box.dropFlag)
        }

        // A click on a tool opens its panel, and the canvas takes the tool.
        // The panel stays open with the pointer gone, and while the tip
        // the tool shows comes and goes on the page's own timer; its slider
        // sets the canvas. It closes as the row says, and a press where it
        // was then reaches what lies under it: the canvas draws, or the
        // frame moves.
        function test_panels_data() {
            return [
                { tag: "pen, closed by its tool", button: "penButton", panel: "penStyle", drawType: DrawBoard.PenType,
                  slider: "penSizeSlider", setting: "penSize", close: "tool", under: "stroke" },
                { tag: "eraser, closed by Escape", button: "rubberButton", panel: "rubberStyle", drawType: DrawBoard.RubberType,
                  slider: "rubberSlider", setting: "rubberSize", close: "escape" },
                { tag: "text, closed by another tool", button: "textButton", panel: "textStyle", slider: "textSizeSlider",
                  setting: "textSize", close: "other", tip: true },
                { tag: "zoom, closed by a press on the background", button: "zoomButton", panel: "zoomStyle",
                  close: "background", under: "drag" },
                { tag: "size, closed by cropping", button: "adjustScale", panel: "adjustScaleStyle", close: "crop" },
                { tag: "tone, closed by its button", button: "toneButton", panel: "tonePanel", close: "tool", under: "drag" },
                { tag: "tone, closed by a tool's panel", button: "toneButton", panel: "tonePanel", close: "other" },
                { tag: "tone, closed by Escape", button: "toneButton", panel: "tonePanel", close: "escape" },
            ]
        }

        function test_panels(data) {
            var button = item(data.button), panel = item(data.panel), toast = item("infoRemind")
            verify(!panel.visible)
            mouseMove(button, button.width / 2, button.height / 2)
            mouseClick(button)
            verify(panel.visible)
            compare(drawBoard.enabled, data.drawType !== undefined)
            if (data.drawType !== undefined)
                compare(drawBoard.drawType, data.drawType)
            mouseMove(page, 500, 30)
            if (data.tip) {
                tryCompare(toast.anchors, "bottomMargin", -2)
                tryCompare(toast.anchors, "bottomMargin", -24, 5000)
            }
            wait(0)
            verify(panel.visible, "closed by itself")
            if (data.slider) {
                item(data.slider).value = 56
                compare(drawBoard[data.setting], 56)
            }
            var where = panel.mapToItem(page, panel.width / 2, panel.height / 2)

            var other = item(data.button === "penButton" ? "rubberButton" : "penButton")
            var closeBy = {
                tool: function() { mouseClick(button) },
                escape: function() { keyClick(Qt.Key_Escape) },
                other: function() { mouseClick(other) },
                background: function() { mousePress(page, 880, 650); mouseRelease(page, 880, 650) },
                crop: function() { mouseClick(item("cut")) },
            }
            closeBy[data.close]()
            verify(!panel.visible)
            compare(item("penStyle").visible, data.close === "other" && data.button !== "penButton")
            compare(item("rubberStyle").visible, data.close === "other" && data.button === "penButton")
            if (data.close === "tool") {
                mouseClick(button)
                verify(panel.visible, "the tool opens its panel again")
                mouseClick(button)
                verify(!panel.visible)
            }

            if (data.under === "stroke") {
                verify(!drawBoard.canUndo)
                dragInWindow(page, where.x, where.y, 40, 20)
                verify(drawBoard.canUndo, "the stroke did not reach the canvas")
            } else if (data.under === "drag") {
                var frame = item("boardFrame"), x = frame.x
                var moved = dragInWindow(page, where.x, where.y, 80, 0)
                tryCompare(frame, "x", x + moved.dx)
            }
        }

        // Done hands the job over: engraving mode by effect, the preview,
        // the byte stream with the slider's threshold, then the control page.
        // The effect is then released at a threshold: grey turns the lighter
        // bands white and keeps the others' grey; black and white moves its
        // boundary.
        function test_done_data() {
            return [
                // Grey starts at 255, the picture's own greys, and burns every
                // pixel of the 450 × 300 job.
                { tag: "grey", effect: "greyButton", mode: 1, value: 255, shown: host.bandGreys,
                  bounds: [0, 0, 449, 299], threshold: 200, at: function(grey, t) { return grey > t ? 255 : grey } },
                // Black and white at 128 burns the bands 1 to 3 (canvas x 30 to 119).
                { tag: "black and white", effect: "binarizeButton", mode: 2, value: 128, shown: [255, 0, 0, 0, 255, 255, 255, 255, 255, 255],
                  bounds: [45, 0, 179, 299], threshold: 140, at: function(grey, t) { return grey < t ? 0 : 255 } },
            ]
        }

        function test_done(data) {
            load("bands.png")
            mouseClick(item(data.effect))
            waitIdle()
            compare([item("effectSlider").value, bandGreys(20)], [data.value, data.shown])
            mouseClick(item("doneButton"))
            compare(sharedState.carveMode, data.mode)
            // The run makes the page busy, and Done is not offered again.
            verify(busy.running && !offered(item("doneButton")))
            tryCompare(sharedState, "changeModelCount", 1, 20000)
            verify(!busy.running)
            compare(finishedLoadSpy.count, 1)
            compare(Array.prototype.slice.call(finishedLoadSpy.signalArguments[0], 0, 4), data.bounds)
            // The preview published for the control page is the picture at
            // engraving resolution.
            var preview = Qt.createQmlObject('import QtQuick 2.7; Image { source: "image://screen/test" + Math.random() }', host)
            compare([preview.implicitWidth, preview.implicitHeight], [450, 300])
            preview.destroy()

            var threshold = releaseEffectSlider(data.threshold)
            waitIdle()
            compare(bandGreys(20), host.bandGreys.map(function(grey) { return data.at(grey, threshold) }))
        }

        // Every way in reaches the same picture as a drop of the same file,
        // and an unreadable file through it keeps the current picture with
        // the same refusal.
        function test_openWays_data() {
            return [
                { tag: "open dialog", open: function(url) { page.openChosenFile(url) } },
                { tag: "command line", open: function(url) { page.openStartupFile(url) } },
                { tag: "drop", open: function(url) { page.dropFiles({ hasUrls: true, urls: [url] }) } },
            ]
        }

        function test_openWays(data) {
            load("upright.png")
            var before = snapshot()
            drop("bands.png")
            waitIdle()
            var dropped = snapshot()
            drop("upright.png")
            waitIdle()
            compare(snapshot(), before)

            data.open(fileUrl("bands.png"))
            waitIdle()
            compare(item("effectFrame").buttonSelect, 2)
            verify(snapshot() === dropped, "differs from the dropped picture")

            data.open(fileUrl("nothing-here.png"))
            tryCompare(busy, "running", false, 20000)
            compare(item("infoText").text, "无法读取图片……")
            verify(snapshot() === dropped, "the current picture did not stay")
        }

        // The open dialog starts where a file was last chosen, a restart
        // of the page later too, and both the button and Ctrl+O open it;
        // the export dialog starts there as well, from its button or
        // Ctrl+Shift+S.
        function test_openDialog_data() {
            return [
                { tag: "button", dialog: "openDialog", open: function() { mouseClick(item("openButton")) } },
                { tag: "Ctrl+O", dialog: "openDialog", open: function() { keyClick(Qt.Key_O, Qt.ControlModifier) } },
                { tag: "export button", dialog: "exportDialog", open: function() { mouseClick(item("exportButton")) } },
                { tag: "Ctrl+Shift+S", dialog: "exportDialog",
                  open: function() { keyClick(Qt.Key_S, Qt.ControlModifier | Qt.ShiftModifier) } },
            ]
        }

        function test_openDialog(data) {
            page.openChosenFile(fileUrl("bands.png"))
            waitIdle()
            restartPage()
            page = pageLoader.item
            busy = item("busy")
            var dialog = item(data.dialog)
            verify(!dialog.visible)
            page.forceActiveFocus()
            data.open()
            tryCompare(dialog, "visible", true)
            compare(String(dialog.folder), "file:///proc/self/cwd")
            dialog.close()
            tryCompare(dialog, "visible", false)
        }

        // Export writes what Done would engrave, in the background, and says
        // where it went: one bit a pixel in black and white, the grey levels
        // in grey, ".png" added to a name without it. A folder that is not
        // there is named as the reason it failed.
        function test_export_data() {
            return [
                { tag: "black and white", look: 2, name: "exported-bw", written: "exported-bw.png",
                  greys: [255, 0, 0, 0, 255, 255, 255, 255, 255, 255] },
                { tag: "grey", look: 1, name: "exported-grey.PNG", written: "exported-grey.PNG",
                  greys: host.bandGreys },
                { tag: "no such folder", look: 2, name: "missing/exported", written: "missing/exported.png" },
            ]
        }

        // Save work keeps the edited picture at its size with its look, tone
        // and dithering, and the control page's placement, power, depth and
        // fan; opening it, here dropped as a picture is, once all of them
        // have changed brings each back, the placement with the next job.
        // A work file that cannot be read says why and changes nothing.
        function test_workFile() {
            controlLoader.active = true
            var control = controlLoader.item, area = findChild(control, "carveFrame"), tone = item("tonePanel")
            var power = findChild(control, "laserSlider"), depth = findChild(control, "speedSlider")
            var fan = findChild(control, "fanButton"), toast = item("infoText")
            load("bands.png")
            drawBoard.adjustImageScale(30, 20)
            tone.brightness = 15
            tone.gamma = 1.4
            tone.method = DrawBoard.Atkinson
            tone.serpentine = true
            item("effectFrame").start(3, 100)
            waitIdle()
            var size = [drawBoard.width, drawBoard.height], saved = snapshot()
            verify(size[0] > 300, "not resized")
            page.finish()
            tryCompare(finishedLoadSpy, "count", 1, 20000)
            control.placePicture(100, 50)
            var placed = [area.pictureLeft(), area.pictureTop()]
            power.value = 62.5
            depth.value = 30
            fan.checked = !fan.checked
            var fanSaved = fan.checked
            item("workKeeper").save(fileUrl("job"))
            tryCompare(toast, "text", "作品已保存到 " + host.workDir + "job.vandra", 5000)

            drop("upright.png")
            waitIdle()
            resetLookSettings()
            power.value = 0
            depth.value = 0
            fan.checked = !fanSaved
            control.placePicture(0, 0)
            drop("job.vandra")
            waitIdle()
            compare([drawBoard.width, drawBoard.height], size)
            compare([drawBoard.look, drawBoard.lookThreshold, item("effectFrame").buttonSelect], [DrawBoard.Floyd, 100, 3])
            compare([tone.brightness, tone.contrast, tone.gamma, tone.method, tone.serpentine], [15, 0, 1.4, DrawBoard.Atkinson, true])
            verify(snapshot() === saved, "the picture on show differs")
            compare(toast.text, "已打开作品 " + host.workDir + "job.vandra")
            compare([power.value, depth.value, fan.checked], [62.5, 30, fanSaved])
            // Its history starts with its picture, as any picture's.
            drawBoard.undo()
            verify(!drawBoard.canUndo, "the history did not start anew")
            drawBoard.redo()
            page.finish()
            tryCompare(finishedLoadSpy, "count", 2, 20000)
            fuzzyCompare(area.pictureLeft(), placed[0], 0.01)
            fuzzyCompare(area.pictureTop(), placed[1], 0.01)

            page.openChosenFile(fileUrl("nothing-here.vandra"))
            tryCompare(toast, "text", "无法读取作品文件：no such file", 5000)
            verify(!page.busy)
            verify(snapshot() === saved, "the picture on show changed")
        }

        function test_export(data) {
            load("bands.png")
            if (data.look === 1) {
                mouseClick(item("greyButton"))
                waitIdle()
            }
            page.exportTo(fileUrl(data.name))
            var path = host.workDir + data.written, toast = item("infoText")
            if (!data.greys) {
                tryVerify(function() { return toast.text.indexOf("图片导出失败：") === 0 }, 5000)
                verify(toast.text.length > "图片导出失败：".length, "no reason given")
                return
            }
            tryCompare(toast, "text", "图片已导出到 " + path, 5000)
            var pixels = filePixels("file://" + path, 300, 200)
            compare(host.bandGreys.map(function(grey, band) { return pixels(band * 30 + 15, 20) }), data.greys)
        }

        // Ctrl+V with text, no picture, on the clipboard does nothing.
        function test_pasteWithoutPicture() {
            load("bands.png")
            var before = snapshot()
            clipboardText.selectAll()
            clipboardText.copy()
            page.forceActiveFocus()
            propertyChangedSpy.clear()
            keyClick(Qt.Key_V, Qt.ControlModifier)
            verify(!page.loadingFile && !busy.running)
            wait(300)
            compare(propertyChangedSpy.count, 0)
            verify(snapshot() === before)
        }

        // Over a history of a run, a pen stroke and a turn, undo goes back
        // step by step to the exact pixels and redo forward again, through
        // the buttons or the keys; each step fits the picture anew.
        function test_undoRedo_data() {
            return [
                { tag: "buttons", undo: function() { mouseClick(item("undoButton")) },
                  redo: function() { mouseClick(item("redoButton")) } },
                { tag: "Ctrl+Z, Ctrl+Shift+Z", undo: function() { keyClick(Qt.Key_Z, Qt.ControlModifier) },
                  redo: function() { keyClick(Qt.Key_Z, Qt.ControlModifier | Qt.ShiftModifier) } },
                { tag: "Ctrl+Z, Ctrl+Y", undo: function() { keyClick(Qt.Key_Z, Qt.ControlModifier) },
                  redo: function() { keyClick(Qt.Key_Y, Qt.ControlModifier) } },
            ]
        }

        function test_undoRedo(data) {
            load("bands.png")
            var states = [snapshot()]
            mouseClick(item("negative"))
            waitIdle()
            states.push(snapshot())
            mouseClick(item("penButton"))
            mousePress(drawBoard, 20, 20)
            for (var step = 1; step <= 10; ++step)
                mouseMove(drawBoard, 20 + step * 20, 20 + step * 10)
            mouseRelease(drawBoard, 220, 120)
            states.push(snapshot())
            mouseClick(item("rotate"))
            waitIdle()
            states.push(snapshot())
            compare([drawBoard.width, drawBoard.height], [200, 300])
            for (var i = 1; i < states.length; ++i)
                verify(states[i] !== states[i - 1], "edit " + i + " changed nothing")
            verify(!item("redoButton").enabled)

            page.forceActiveFocus()
            for (i = states.length - 2; i >= 0; --i) {
                verify(item("undoButton").enabled)
                propertyChangedSpy.clear()
                data.undo()
                tryCompare(propertyChangedSpy, "count", 1)
                waitIdle()
                verify(snapshot() === states[i], "undo to state " + i)
            }
            verify(item("redoButton").enabled)
            for (i = 1; i < states.length; ++i) {
                data.redo()
                waitIdle()
                verify(snapshot() === states[i], "redo to state " + i)
            }
            verify(!item("redoButton").enabled)
        }

        // A look chosen after a crop keeps the crop, and the lit look button
        // and the threshold slider follow the picture on show through undo
        // and redo: each step shows the look, threshold and size it had.
        function test_lookFollowsUndo() {
            load("bands.png")
            var lit = function() {
                return ["greyButton", "binarizeButton", "ditheringButton"].filter(function(name) {
                    return Qt.colorEqual(item(name).circleTextAlias.color, "limegreen")
                })
            }
            var shown = function() {
                return [lit(), item("effectSlider").value, drawBoard.width, drawBoard.height]
            }
            var states = [shown()]
            mouseClick(item("ditheringButton"))
            waitIdle()
            states.push(shown())
            var threshold = releaseEffectSlider(160)
            waitIdle()
            states.push(shown())
            drawBoard.cutImage(20, 10, 200, 150)
            waitIdle()
            states.push(shown())
            mouseClick(item("greyButton"))
            waitIdle()
            states.push(shown())
            compare(states, [
                [["binarizeButton"], 128, 300, 200], [["ditheringButton"], 120, 300, 200],
                [["ditheringButton"], threshold, 300, 200], [["ditheringButton"], threshold, 200, 150],
                [["greyButton"], 255, 200, 150]
            ])
            // The grey look of the cropped picture, which starts 20 px into
            // the bands: each sample falls one band further on.
            compare(bandGreys(20).slice(0, 6), [40, 100, 127, 128, 150, 199])

            for (var i = states.length - 2; i >= 0; --i) {
                page.undo()
                waitIdle()
                compare(shown(), states[i], "undo to state " + i)
            }
            for (i = 1; i < states.length; ++i) {
                page.redo()
                waitIdle()
                compare(shown(), states[i], "redo to state " + i)
            }

            // A new picture takes the look chosen last and its threshold,
            // and so will the next start.
            drop("bands.png")
            waitIdle()
            compare(shown(), [["greyButton"], 255, 300, 200])
            compare(Number(store.value("lastLook")), 1)
            compare(Number(store.value("lastThreshold")), 255)
        }

        // While a run is under way nothing can be taken back, not even a
        // step before it: the button is not offered and undo does nothing
        // (asked at once, before the event loop can report the run's end);
        // afterwards the run's step can.
        function test_noUndoWhileBusy() {
            load("bands.png")
            mouseClick(item("negative"))
            waitIdle()
            var negative = snapshot()
            page.transform(DrawBoard.Rotate, 90)
            verify(drawBoard.busy && busy.running)
            verify(!item("undoButton").enabled && !item("redoButton").enabled)
            page.undo()
            page.redo()
            verify(drawBoard.busy)
            waitIdle()
            compare([drawBoard.width, drawBoard.height], [200, 300])
            verify(item("undoButton").enabled)
            mouseClick(item("undoButton"))
            waitIdle()
            verify(snapshot() === negative)
        }

        // The keys stay out of a field being typed into: the text tool's box
        // and the size panel's spin box. With the focus elsewhere, the same
        // key acts (Ctrl+Z takes the negative back, Enter is Done).
        function test_keysWhileTyping_data() {
            var undoKey = { key: Qt.Key_Z, modifiers: Qt.ControlModifier, acted: function() { return propertyChangedSpy.count === 1 } }
            var enterKey = { key: Qt.Key_Return, modifiers: Qt.NoModifier, acted: function() { return sharedState.carveMode === 2 } }
            return [
                { tag: "Ctrl+Z in the text box", field: "text", press: undoKey },
                { tag: "Enter in the text box", field: "text", press: enterKey },
                { tag: "Ctrl+Z in a spin box", field: "spin", press: undoKey },
                { tag: "Enter in a spin box", field: "spin", press: enterKey },
            ]
        }

        function test_keysWhileTyping(data) {
            load("bands.png")
            mouseClick(item("negative"))
            waitIdle()
            var field
            if (data.field === "text") {
                mouseClick(item("textButton"))
                mouseClick(item("textDrag"), 300, 150)
                field = item("drawText").textField
            } else {
                item("adjustScaleStyle").onView()
                field = item("widthSpinBox").contentItem
            }
            field.forceActiveFocus()
            verify(field.activeFocus)
            keyClick(Qt.Key_1)
            propertyChangedSpy.clear()
            keyClick(data.press.key, data.press.modifiers)
            wait(300)
            verify(!busy.running)
            compare([propertyChangedSpy.count, sharedState.carveMode, drawBoard.canUndo], [0, 0, true])

            page.forceActiveFocus()
            keyClick(data.press.key, data.press.modifiers)
            tryVerify(data.press.acted, 20000)
        }

        // The tone and the dithering change the dithered look when the user
        // changes them (the look on show runs again), and back at their
        // neutral values the look is exactly as before.
        function test_lookSettings_data() {
            return [
                { tag: "brightness", set: { brightness: 40 }, signal: "toneMoved" },
                { tag: "contrast", set: { contrast: 60 }, signal: "toneMoved" },
                { tag: "gamma", set: { gamma: 2.5 }, signal: "toneMoved" },
                { tag: "Atkinson", set: { method: DrawBoard.Atkinson }, signal: "ditherMoved" },
                { tag: "Bayer", set: { method: DrawBoard.Bayer }, signal: "ditherMoved" },
                { tag: "halftone", set: { method: DrawBoard.Halftone, halftoneCell: 10 }, signal: "ditherMoved" },
                { tag: "serpentine", from: { method: DrawBoard.Stucki }, set: { serpentine: true }, signal: "ditherMoved" },
                { tag: "dot size", set: { dotSize: 2 }, signal: "ditherMoved" },
            ]
        }

        function test_lookSettings(data) {
            load("bands.png")
            mouseClick(item("ditheringButton"))
            waitIdle()
            var plain = snapshot(), before = plain, panel = item("tonePanel"), key
            if (data.from) {
                for (key in data.from)
                    panel[key] = data.from[key]
                panel[data.signal]()
                waitIdle()
                before = snapshot()
            }
            for (key in data.set)
                panel[key] = data.set[key]
            propertyChangedSpy.clear()
            panel[data.signal]()
            waitIdle()
            compare(propertyChangedSpy.count, 1)
            compare(item("effectFrame").buttonSelect, 3)
            verify(snapshot() !== before, "the look did not change")

            resetLookSettings()
            panel[data.signal]()
            waitIdle()
            verify(snapshot() === plain, "neutral values changed the look")
        }

        // Dragging a tone slider re-runs black and white too, at its
        // threshold; the reset goes back to the picture as before.
        function test_toneSliderAndReset() {
            load("bands.png")
            var plain = snapshot(), panel = item("tonePanel")
            mouseClick(item("toneButton"))
            verify(panel.visible)
            var slider = item("brightnessSlider")
            mouseDrag(slider, slider.width / 2, slider.height / 2, slider.width / 4, 0)
            verify(panel.brightness > 0)
            compare(drawBoard.toneBrightness, panel.brightness)
            waitIdle()
            compare(item("effectSlider").value, 128)
            verify(snapshot() !== plain)
            panel.onView()
            mouseClick(item("brightnessSliderReset"))
            compare(panel.brightness, 0)
            waitIdle()
            verify(snapshot() === plain)
        }

        // The tone and dithering chosen are set on the canvas again when
        // the page is made anew, as at the next start.
        function test_lookSettingsSurviveRestart() {
            var panel = item("tonePanel")
            panel.method = DrawBoard.Stucki
            panel.serpentine = true
            panel.dotSize = 2.5
            panel.gamma = 1.5
            restartPage()
            compare([drawBoard.ditherMethod, drawBoard.ditherSerpentine, drawBoard.dotSize, drawBoard.toneGamma, drawBoard.halftoneCell],
                    [DrawBoard.Stucki, true, 2.5, 1.5, 6])
            compare(item("ditherMethodBox").currentText, "Stucki")
        }

        // Each stored tone, dithering and folder value is checked when the
        // page reads it: one of the wrong type, not a number, out of range,
        // huge or empty leaves the canvas and the open dialog as on a first
        // start. A halftone cell of 30000 would take gigabytes to dither.
        function test_badStoredValues_data() {
            var defaults = { toneBrightness: 0, toneContrast: 0, toneGamma: 1, ditherMethod: DrawBoard.FloydSteinberg,
                             ditherSerpentine: false, halftoneCell: 6, dotSize: 1, lastFolder: "" }
            var bad = [
                { tag: "text", value: "abc" }, { tag: "list", value: [1, 2] }, { tag: "map", value: { a: 1 } },
                { tag: "flag", value: true }, { tag: "NaN", value: NaN }, { tag: "infinity", value: -Infinity },
                { tag: "negative", value: -1000 }, { tag: "huge", value: 1e9 }, { tag: "empty", value: "" },
            ]
            // Each row stores its bad value under every key it does not suit.
            var rows = bad.map(function(b) {
                var stored = []
                for (var key in defaults) {
                    if (!(key === "ditherSerpentine" && b.tag === "flag") && !(key === "lastFolder" && b.tag === "empty"))
                        stored.push([key, b.value])
                }
                return { tag: b.tag, stored: stored, defaults: defaults }
            })
            return rows.concat([
                { tag: "just beyond", defaults: defaults,
                  stored: [["toneBrightness", 100.5], ["toneContrast", -101], ["toneGamma", 0.1], ["ditherMethod", 7],
                           ["ditherSerpentine", 1], ["halftoneCell", 17], ["dotSize", 4.5], ["lastFolder", "/tmp"]] },
                { tag: "ditherMethod -3", stored: [["ditherMethod", -3]], defaults: defaults },
                { tag: "ditherMethod 999, folder on the web", defaults: defaults,
                  stored: [["ditherMethod", 999], ["lastFolder", "https://example.com/"]] },
                { tag: "halftoneCell 30000, dithered", stored: [["ditherMethod", DrawBoard.Halftone], ["halftoneCell", 30000]],
                  defaults: defaults, dither: true },
            ])
        }

        function test_badStoredValues(data) {
            // Written once the page, which writes what it holds, is gone.
            function reopen(values) {
                pageLoader.active = false
                wait(50)
                values.forEach(function(entry) { store.setValue(entry[0], entry[1]) })
                restartPage()
            }
            function dialogFolder() {
                page.openFileDialog()
                var dialog = item("openDialog")
                tryCompare(dialog, "visible", true)
                var folder = String(dialog.folder)
                dialog.close()
                tryCompare(dialog, "visible", false)
                return folder
            }
            reopen([["lastFolder", ""]])
            var firstFolder = dialogFolder()
            reopen(data.stored)
            var expected = {}
            for (var key in data.defaults)
                expected[key] = data.defaults[key]
            if (data.dither)
                expected.ditherMethod = DrawBoard.Halftone
            compare([drawBoard.toneBrightness, drawBoard.toneContrast, drawBoard.toneGamma, drawBoard.ditherMethod,
                     drawBoard.ditherSerpentine, drawBoard.halftoneCell, drawBoard.dotSize],
                    [expected.toneBrightness, expected.toneContrast, expected.toneGamma, expected.ditherMethod,
                     expected.ditherSerpentine, expected.halftoneCell, expected.dotSize])
            var panel = item("tonePanel")
            compare([panel.halftoneCell, panel.method], [expected.halftoneCell, expected.ditherMethod])
            if (data.dither) {
                load("bands.png")
                mouseClick(item("ditheringButton"))
                waitIdle()
                compare(item("effectFrame").buttonSelect, 3)
            }
            compare(dialogFolder(), firstFolder)

            var neutral = []
            for (key in data.defaults)
                neutral.push([key, data.defaults[key]])
            reopen(neutral)
        }
    }
}
