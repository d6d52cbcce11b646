import QtQuick 2.7
import QtTest 1.0
import Zan.Engraver 1.0

// One engraving from file to laser, through the real main window, the real
// canvas and engraver controller, and the simulated engraver; then the same
// road under faults. The functions run in the order of their names, as one
// user's session.
TestCase {
    id: road

    property var window: null
    property var editing: null
    property var control: null
    property var shared: null
    property string photo: ""
    property string smallPhoto: ""
    // The size of the job whose copies test_9 burns.
    property int singleSize: 0

    function child(parent, name) {
        var found = findChild(parent, name)
        verify(found !== null, "no item " + name)
        return found
    }

    function waitIdle(page) {
        tryCompare(child(page, "busy"), "running", false, 30000)
    }

    function showEditing() {
        window.menuClicked(0, "修图")
        tryCompare(child(window, "caseLoader1"), "visible", true)
    }

    function drop(url) {
        showEditing()
        editing.dropFiles({ hasUrls: true, urls: [url] })
        waitIdle(editing)
    }

    function connectEngraver() {
        var button = child(control, "connectButton")
        // A loaded machine may miss the handshake's 100 ms now and then; a
        // user would press connect again.
        for (var attempt = 0; attempt < 3 && !button.connectFlag; ++attempt) {
            mouseClick(button)
            for (var waited = 0; waited < 1500 && !button.connectFlag; waited += 50)
                wait(50)
        }
        verify(button.connectFlag, "no engraver found")
    }

    // Picks a look and a threshold as a user does: the effect button, then
    // the slider let go at the threshold.
    function pickLook(look, threshold) {
        var button = child(editing, { grey: "greyButton", bw: "binarizeButton", dither: "ditheringButton" }[look])
        mouseClick(button)
        waitIdle(editing)
        child(editing, "effectSlider").value = threshold
        editing.applyEffectThreshold()
        waitIdle(editing)
    }

    function pressDone() {
        mouseClick(child(editing, "doneButton"))
        tryCompare(child(window, "caseLoader2"), "visible", true, 30000)
    }

    // Types the picture's place in millimetres and clicks the picture.
    function place(xmm, ymm) {
        var frame = child(control, "operateImageFrame")
        // Let the page finish moving the new picture into the middle.
        tryVerify(function() { return frame.x === control.pictureX && frame.y === control.pictureY })
        child(control, "imageXField").text = String(xmm)
        child(control, "imageYField").text = String(ymm)
        mouseClick(child(control, "operateImageFrame"), 5, 5)
        tryCompare(control, "pictureX", xmm / 0.05 * child(control, "carveFrame").scaleSize)
    }

    // Play, then wait until the engraver reports the job stopped.
    function engrave() {
        roadFixture.forgetBurnPicture()
        startSpy.clear()
        mouseClick(child(control, "playButton"))
        // A small job on a fast engraver may start and end between two looks.
        tryVerify(function() { return startSpy.count > 0 }, 5000, "the job did not start")
        tryCompare(shared, "startCarveFlag", false, 120000)
    }

    name: "Road"
    when: windowShown

    SignalSpy {
        id: startSpy

        target: shared
        signalName: "startCarveFlagChanged"
    }

    SignalSpy {
        id: statusSpy

        target: operationEnd
        signalName: "toFrontStatus"
    }

    SignalSpy {
        id: progressSpy

        target: operationEnd
        signalName: "completePecent"
    }

    function initTestCase() {
        verify(roadFixture.startSimulator(["--rate", "0"]) !== "")
        photo = roadFixture.makePhoto("photo.png", 300, 200)
        smallPhoto = roadFixture.makePhoto("small.png", 60, 40)
        window = Qt.createComponent("qrc:/main.qml").createObject(null)
        verify(window !== null)
        editing = child(window, "caseLoader1").item
        control = child(window, "caseLoader2").item
        shared = child(window, "connectDrawOperations")
        // Power and depth that burn: play asks nothing. (Set on the page
        // only; the simulator keeps its own depth.)
        child(control, "laserSlider").value = 100
        child(control, "speedSlider").value = 10
    }

    function cleanupTestCase() {
        if (window)
            window.destroy()
    }

    function test_1_fromFileToLaser_data() {
        return [
            { tag: "grey", look: "grey", threshold: 200, mm: 0, x: 10, y: 5, mode: 1 },
            { tag: "black and white", look: "bw", threshold: 100, mm: 0, x: 20, y: 30, mode: 2 },
            { tag: "dithered", look: "dither", threshold: 120, mm: 0, x: 0, y: 0, mode: 2 },
            { tag: "resized to 80 mm", look: "bw", threshold: 128, mm: 80, x: 0, y: 0, mode: 2 },
        ]
    }

    function test_1_fromFileToLaser(data) {
        drop(photo)
        pickLook(data.look, data.threshold)
        if (data.mm > 0) {
            child(editing, "widthSpinBox").value = data.mm
            child(editing, "adjustScaleSave").clicked()
            waitIdle(editing)
            // The height follows within whole millimetres, which may trim
            // the width by a fraction of a millimetre.
            verify(child(editing, "drawBoard").width > Math.floor(40 * (data.mm - 1) / 3))
        }
        pressDone()
        compare(shared.readCarveMode(), data.mode)
        verify(roadFixture.jobSize() > 0)
        // The picture takes the job's size on the area; its preview was made
        // at the size the page shows it, not at the job's.
        var buffer = control.jobBuffer
        verify(buffer.previewScale < 1)
        compare(child(control, "operateImageFrame").width,
                buffer.pictureWidth * child(control, "carveFrame").scaleSize + 4)
        tryCompare(child(control, "operateImage").sourceSize, "width",
                   Math.ceil(buffer.pictureWidth * buffer.previewScale))
        connectEngraver()
        place(data.x, data.y)

        var px = data.x / 0.05, py = data.y / 0.05
        progressSpy.clear()
        engrave()
        compare(roadFixture.burnMismatches(px, py), 0)
        // Progress went up to the share before the last chunk.
        var size = roadFixture.jobSize()
        var lastChunkStart = Math.floor((size - 1) / 1024) * 1024
        compare(progressSpy.signalArguments[progressSpy.count - 1][0], lastChunkStart / size)
        compare(roadFixture.jobPosition(), 0)
        // Sent whole: the page reads 100 % until the next start.
        compare(child(control, "carveProgress").value, 1)
        verify(child(control, "playButton").toggle)

        // The same job again, from its first byte.
        engrave()
        compare(roadFixture.burnMismatches(px, py), 0)
    }

    // A logo on pure white, dithered: the laser leaves the white blank (no
    // dot runs from the disc to the edge), and burns what the job says.
    function test_1a_logoDitheredLeavesWhiteBlank() {
        drop(roadFixture.makeLogo("logo.png", 300, 200))
        pickLook("dither", 120)
        pressDone()
        var buffer = control.jobBuffer
        // The halo's radius is 0.4 of the height; the scaling to engraving
        // pixels blurs it by a pixel or two.
        compare(roadFixture.burnedOutside(buffer.pictureWidth / 2, buffer.pictureHeight / 2,
                                          buffer.pictureHeight * 0.4 + 3), 0)
        connectEngraver()
        place(0, 0)
        engrave()
        compare(roadFixture.burnMismatches(0, 0), 0)
    }

    // A crop stays through a change of look and its threshold, up to the
    // job: the job has the cropped picture's shape.
    function test_1b_cropKeptThroughLook() {
        drop(photo)
        var canvas = child(editing, "drawBoard")
        canvas.cutImage(20, 10, 200, 100)
        waitIdle(editing)
        pickLook("dither", 140)
        pickLook("grey", 200)
        compare([canvas.width, canvas.height], [200, 100])
        pressDone()
        var buffer = control.jobBuffer
        compare(Math.round(buffer.pictureWidth / buffer.pictureHeight), 2)
        place(0, 0)
        engrave()
        compare(roadFixture.burnMismatches(0, 0), 0)
    }

    // A fresh simulated engraver with the given options; the page sees the
    // old one go and connects to the new one.
    function replaceEngraver(options) {
        verify(roadFixture.startSimulator(options) !== "")
        tryCompare(child(control, "connectButton"), "connectFlag", false, 5000)
        connectEngraver()
    }

    function prepareJob(url, look) {
        drop(url)
        pickLook(look, 128)
        pressDone()
        place(0, 0)
    }

    // Paused right after a chunk and resumed, the job burns exactly once.
    function test_2_pauseAndResume() {
        prepareJob(smallPhoto, "bw")
        replaceEngraver(["--rate", "500"])
        roadFixture.forgetBurnPicture()
        var play = child(control, "playButton")
        mouseClick(play)
        tryCompare(shared, "startCarveFlag", true, 5000)
        // The link has no framing: the engraver tells a command from a data
        // chunk by timing, so the click goes right after a chunk, as a user's
        // between two data requests would.
        progressSpy.clear()
        progressSpy.wait(5000)
        mouseClick(play)
        tryCompare(play, "toggle", true, 5000)
        mouseClick(play)
        tryCompare(shared, "startCarveFlag", false, 60000)
        compare(roadFixture.burnMismatches(0, 0), 0)
    }

    function test_3_engraverVanishesMidJob() {
        prepareJob(photo, "bw")
        replaceEngraver(["--rate", "0", "--vanish-after", "5"])
        mouseClick(child(control, "playButton"))
        tryCompare(child(control, "connectButton"), "connectFlag", false, 10000)
        compare(control.lastMessage, "已断开连接……")
        // Nothing waits for a stop report that cannot come.
        compare(shared.startCarveFlag, false)
        verify(child(control, "playButton").toggle)
        var sent = roadFixture.jobPosition()
        verify(sent > 0 && sent < roadFixture.jobSize())

        // Reconnected, play resumes where the transfer stopped.
        replaceEngraver(["--rate", "0"])
        engrave()
        compare(roadFixture.burnMismatches(0, 0, sent), 0)

        // Interrupted again: stop starts the job over from its first byte.
        replaceEngraver(["--rate", "0", "--vanish-after", "3"])
        mouseClick(child(control, "playButton"))
        tryCompare(child(control, "connectButton"), "connectFlag", false, 10000)
        replaceEngraver(["--rate", "0"])
        mouseClick(child(control, "stopButton"))
        tryVerify(function() { return roadFixture.jobPosition() === 0 }, 5000, "stop did not reset the job")
        engrave()
        compare(roadFixture.burnMismatches(0, 0), 0)
    }

    // An engraver left waiting for a chunk that never came (as after the
    // program was killed mid-job) runs on without asking for data: the page
    // says so until the job is stopped, and the job then runs whole.
    function test_3a_engraverWaitsForALostChunk() {
        prepareJob(photo, "bw")
        replaceEngraver(["--rate", "0", "--lose-chunk", "3"])
        operationEnd.dataRequestTimeout = 500
        var notice = child(control, "stalledJobNotice")
        mouseClick(child(control, "playButton"))
        tryCompare(notice, "visible", true, 10000)
        verify(shared.startCarveFlag)
        mouseClick(child(notice, "stalledStopButton"))
        tryCompare(shared, "startCarveFlag", false, 5000)
        verify(!notice.visible)
        operationEnd.dataRequestTimeout = 10000
        engrave()
        compare(roadFixture.burnMismatches(0, 0), 0)
    }

    // Done during a job opens the confirmation popup; an engraver that
    // vanishes then must not leave it waiting for ever.
    function test_4_doneWhileTheEngraverVanishes() {
        replaceEngraver(["--rate", "2000"])
        mouseClick(child(control, "playButton"))
        tryCompare(shared, "startCarveFlag", true, 5000)
        showEditing()
        mouseClick(child(editing, "doneButton"))
        var popup = child(window, "imageProcessDoneDialog")
        tryCompare(popup, "visible", true)
        roadFixture.killSimulator()
        tryCompare(popup, "visible", false, 10000)
        tryCompare(child(window, "caseLoader2"), "visible", true, 30000)
        compare(child(control, "connectButton").connectFlag, false)
    }

    function test_5_handshakeNeverAnswered() {
        verify(roadFixture.startSimulator(["--no-handshake"]) !== "")
        mouseClick(child(control, "connectButton"))
        wait(500)
        compare(child(control, "connectButton").connectFlag, false)
        // Still usable: the next engraver is found.
        replaceEngraver(["--rate", "0"])
    }

    function test_6_repliesSplitOrBackToBack_data() {
        return [
            { tag: "split over two writes", option: "--split" },
            { tag: "back to back", option: "--coalesce" },
        ]
    }

    function test_6_repliesSplitOrBackToBack(data) {
        prepareJob(smallPhoto, "dither")
        replaceEngraver(["--rate", "0", data.option])
        engrave()
        compare(roadFixture.burnMismatches(0, 0), 0)
    }

    function test_7_garbageFlood() {
        prepareJob(smallPhoto, "bw")
        verify(roadFixture.startSimulator(["--rate", "0", "--garbage", "300000"]) !== "")
        tryCompare(child(control, "connectButton"), "connectFlag", false, 5000)
        mouseClick(child(control, "connectButton"))
        // The noise may hold anything, even an end-of-link reply; whatever it
        // does, the program stays usable and the next engraver works.
        wait(1500)
        showEditing()
        window.menuClicked(1, "控制")
        replaceEngraver(["--rate", "0"])
        engrave()
        compare(roadFixture.burnMismatches(0, 0), 0)
    }

    function test_8_brokenFileRefused_data() {
        // "huge" claims 60000 x 60000 pixels.
        return ["truncated", "bitflipped", "empty", "directory", "text", "huge"].map(function(kind) {
            return { tag: kind, kind: kind }
        })
    }

    function test_8_brokenFileRefused(data) {
        // Away from the tool buttons, whose tips would take the message line.
        mouseMove(window.contentItem, 5, 5)
        drop(smallPhoto)
        var board = child(editing, "drawBoard")
        drop(roadFixture.makeBrokenFile(data.kind))
        compare(child(editing, "infoText").text, "无法读取图片……")
        compare([board.width, board.height], [60, 40])
        // The program goes on: the picture still becomes a job.
        pressDone()
        verify(roadFixture.jobSize() > 0)
    }

    // A grid of copies burns the job at each step, and nothing else; one
    // that would leave the area is refused before anything is sent.
    function test_9_copiesInGrid() {
        prepareJob(smallPhoto, "bw")
        replaceEngraver(["--rate", "0"])
        place(10, 5)
        roadFixture.keepJob()
        var single = roadFixture.jobSize()
        singleSize = single
        var layout = child(control, "copiesControl").layout
        child(control, "copyColumnsBox").value = 40
        startSpy.clear()
        mouseClick(child(control, "playButton"))
        verify(control.lastMessage.indexOf("副本放不下") === 0, control.lastMessage)
        wait(300)
        compare(startSpy.count, 0)
        compare(roadFixture.jobSize(), single)

        child(control, "copyColumnsBox").value = 3
        child(control, "copyRowsBox").value = 2
        child(control, "copyGapBox").value = 15 // 1.5 mm
        compare(layout.stepX, layout.burned.width + 30)
        verify(findChild(child(control, "carveFrame"), "copyOutline") !== null)
        engrave()
        compare(roadFixture.jobSize(), 6 * single)
        compare(roadFixture.keptMismatches(200, 100, 3, 2, layout.stepX, layout.stepY, Qt.rect(0, 0, 1600, 1600)), 0)
    }

    // After the grid, a rectangle dragged over part of it burns only the
    // grid's pixels inside it, where they were burned.
    function test_9a_touchUp() {
        var layout = child(control, "copiesControl").layout
        mouseClick(child(control, "touchUpButton"))
        var area = child(control, "touchUpArea")
        var scale = child(control, "carveFrame").scaleSize
        // From inside the first copy to inside the second row's second copy.
        var x1 = (200 + layout.burned.x + 20) * scale, y1 = (100 + layout.burned.y + 10) * scale
        var x2 = x1 + layout.stepX * scale, y2 = y1 + layout.stepY * scale
        mousePress(area, x1, y1)
        mouseMove(area, (x1 + x2) / 2, (y1 + y2) / 2)
        mouseMove(area, x2, y2)
        mouseRelease(area, x2, y2)
        var chosen = child(control, "touchUpOverlay").chosenPixels()
        roadFixture.forgetBurnPicture()
        startSpy.clear()
        mouseClick(child(control, "touchUpBurnButton"))
        tryVerify(function() { return startSpy.count > 0 }, 5000, "the touch-up did not start")
        tryCompare(shared, "startCarveFlag", false, 120000)
        verify(roadFixture.jobSize() > 0)
        compare(roadFixture.keptMismatches(200, 100, 3, 2, layout.stepX, layout.stepY, chosen), 0)

        // The next start burns the whole grid again, then one copy for one.
        engrave()
        compare(roadFixture.keptMismatches(200, 100, 3, 2, layout.stepX, layout.stepY, Qt.rect(0, 0, 1600, 1600)), 0)
        child(control, "copyColumnsBox").value = 1
        child(control, "copyRowsBox").value = 1
        engrave()
        compare(roadFixture.jobSize(), singleSize)
        compare(roadFixture.burnMismatches(200, 100), 0)
        compare(roadFixture.keptMismatches(200, 100, 1, 1, 0, 0, Qt.rect(0, 0, 1600, 1600)), 0)
    }

    // The program gone in the middle of a job (the link and the window gone
    // without a word to the engraver) leaves the job to be taken up: the
    // next window asks, shows it where it was, and play burns the rest from
    // the chunk the engraver had not confirmed.
    function test_9b_resumeAfterRestart() {
        prepareJob(photo, "bw")
        replaceEngraver(["--rate", "4000"])
        mouseClick(child(control, "playButton"))
        tryCompare(shared, "startCarveFlag", true, 5000)
        tryVerify(function() { return roadFixture.jobPosition() >= 4096 }, 10000)
        operationEnd.connectToBelow(false)
        tryCompare(child(control, "connectButton"), "connectFlag", false, 5000)
        window.destroy()
        wait(0)

        window = Qt.createComponent("qrc:/main.qml").createObject(null)
        verify(window !== null)
        editing = child(window, "caseLoader1").item
        control = child(window, "caseLoader2").item
        shared = child(window, "connectDrawOperations")
        child(control, "laserSlider").value = 100
        child(control, "speedSlider").value = 10
        var question = child(control, "resumeQuestion")
        tryCompare(question, "opened", true, 5000)
        var from = Math.round(control.jobRun.resumeShare * roadFixture.jobSize())
        verify(from > 0, "the engraver had confirmed a chunk")
        mouseClick(child(question, "resumeContinueButton"))
        tryCompare(child(window, "caseLoader2"), "visible", true, 5000)
        verify(control.jobRun.resumePending)
        connectEngraver()
        engrave()
        compare(roadFixture.burnMismatches(0, 0, from), 0)
        verify(!control.jobRun.active, "a job that ended leaves nothing to resume")
    }

    // The test card burns row after row without the user: the power once,
    // then each row's depth confirmed before its start; every pixel of the
    // card arrives once, the last row as its records say, and the job and
    // the power and depth set before the card come back.
    function test_9c_testCard() {
        prepareJob(smallPhoto, "bw")
        var single = roadFixture.jobSize()
        var placeX = control.pictureX
        var card = control.runDriver.testCard

        // Stopped in its first row: no row follows, the job before it comes
        // back, and nothing is offered for resuming after a restart.
        replaceEngraver(["--rate", "2000"])
        verify(control.runDriver.startCard())
        tryCompare(shared, "startCarveFlag", true, 5000)
        // As the stop button does (it is still sliding out).
        control.runDriver.stop()
        tryCompare(card, "holding", false, 10000)
        compare(shared.startCarveFlag, false)
        compare(roadFixture.jobSize(), single)
        verify(!control.jobRun.unfinishedJob())

        replaceEngraver(["--rate", "0", "--counts", roadFixture.countsFile()])
        card.powerFrom = 40
        card.powerTo = 80
        card.powerCount = 3
        card.depthFrom = 20
        card.depthTo = 60
        card.depthCount = 3
        card.squareSize = 4
        card.gapSize = 2
        compare(card.problem, 0)
        statusSpy.clear()
        mouseClick(child(control, "presetButton"))
        mouseClick(child(control, "testCardButton"))
        var burn = child(control, "testCardBurn")
        tryCompare(burn, "visible", true)
        mouseClick(burn)
        verify(card.active)
        tryCompare(card, "holding", false, 120000)
        compare(shared.startCarveFlag, false)
        tryCompare(child(control, "testCardPanel"), "opened", true)

        // Put back after the card: the engraver echoes them.
        tryCompare(child(control, "laserSlider"), "value", 100)
        tryCompare(child(control, "speedSlider"), "value", 10)
        var statuses = []
        for (var i = 0; i < statusSpy.count; ++i) {
            var reply = statusSpy.signalArguments[i][0]
            var number = EngraverProtocol.statusNumber(reply)
            if (number === 8 || number === 9)
                statuses.push(number + ":" + EngraverProtocol.statusValue(reply).toFixed(2))
            else if (number === 20)
                statuses.push("start")
        }
        compare(statuses, ["8:0.80", "9:0.20", "start", "9:0.40", "start", "9:0.60", "start", "8:1.00", "9:0.10"])
        compare(roadFixture.cardCountMismatches(card), 0)
        compare(roadFixture.cardLastRowMismatches(card), 0)
        compare(roadFixture.jobSize(), single)
        tryCompare(control, "pictureX", placeX)

        // The square of 60 % power and 40 % depth kept as a preset:
        // choosing it sets them, the rest as it was set.
        // (findChild does not reach a repeater's items; the grid's children do.)
        var squares = child(control, "testCardSquares").children
        for (var k = 0; k < squares.length; ++k) {
            if (squares[k].objectName === "cardSquare_1_1")
                mouseClick(squares[k])
        }
        mouseClick(child(control, "testCardSavePreset"))
        child(control, "testCardPresetName").text = "卡片 60/40"
        mouseClick(child(control, "testCardPresetOk"))
        var box = child(control, "presetBox")
        var index = box.model.indexOf("卡片 60/40")
        verify(index >= 0, "no preset saved")
        box.activated(index)
        compare(child(control, "laserSlider").value, 60)
        compare(child(control, "speedSlider").value, 40)
    }
}
