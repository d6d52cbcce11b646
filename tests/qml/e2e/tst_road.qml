import QtQuick 2.7
import QtTest 1.0

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

    function connectEngraver(expectUp) {
        var button = child(control, "connectButton")
        if (button.connectFlag)
            return
        mouseClick(button)
        if (expectUp)
            tryCompare(button, "connectFlag", true, 5000)
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
        child(control, "imageXField").text = String(xmm)
        child(control, "imageYField").text = String(ymm)
        mouseClick(child(control, "operateImageFrame"), 5, 5)
        tryCompare(control, "pictureX", xmm / 0.05 * child(control, "carveFrame").scaleSize)
    }

    // Play, then wait until the engraver reports the job stopped.
    function engrave() {
        roadFixture.forgetBurnPicture()
        mouseClick(child(control, "playButton"))
        tryCompare(shared, "startCarveFlag", true, 5000)
        tryCompare(shared, "startCarveFlag", false, 120000)
    }

    name: "Road"
    when: windowShown

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
        compare(roadFixture.jobPreviewWidth(), Math.floor(child(editing, "drawBoard").width * 1.5))
        connectEngraver(true)
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
        compare(child(control, "carveProgress").value, 0)
        verify(child(control, "playButton").toggle)

        // The same job again, from its first byte.
        engrave()
        compare(roadFixture.burnMismatches(px, py), 0)
    }
}
