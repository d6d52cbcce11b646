import QtQuick 2.7
import QtTest 1.0

// The control page against the real engraver controller, which talks to the
// simulated engraver over a pseudo-terminal: the page's commands must make
// the engraver answer, and the answers must drive the page.
Item {
    id: host

    property string unitFontFamily: "幼圆"

    width: 990
    height: 680

    Item {
        id: connectDrawOperations

        property bool startCarveFlag: false
        property bool beginStopFlag: false
        property bool coordinateDisplayFlag: true
        property bool shadyDisplayFlag: true
        property int carveMode: 2

        signal stopDone()
        signal verifyButton()

        function setStartCarveFlag(en) { startCarveFlag = en }
        function readStartCarveFlag() { return startCarveFlag }
        function setCarveMode(set) { carveMode = set }
        function readCarveMode() { return carveMode }
    }

    Component {
        id: pageComponent
        Loader { source: "qrc:/OperationsFront.qml" }
    }

    SignalSpy {
        id: stopDoneSpy
        target: connectDrawOperations
        signalName: "stopDone"
    }

    SignalSpy {
        id: progressSpy
        target: operationEnd
        signalName: "completePecent"
    }

    // One page and one link for the whole case; the functions run in the
    // order of their names, as one session of a user.
    TestCase {
        property var loader: null
        property var page: null

        name: "EngraverLink"
        when: windowShown

        function child(name) {
            var item = findChild(page, name)
            verify(item !== null, "no item " + name)
            return item
        }

        function placeAt(px, py) {
            var s = child("carveFrame").scaleSize
            page.placePicture(px * s, py * s)
            tryCompare(child("operateImageFrame"), "x", px * s)
            tryCompare(child("operateImageFrame"), "y", py * s)
        }

        function init() {
            if (!engineFixture.simulatorRunning)
                skip("the simulated engraver is not available")
        }

        function initTestCase() {
            if (!engineFixture.simulatorRunning)
                return
            loader = pageComponent.createObject(host, { "width": host.width, "height": host.height })
            page = loader.item
            verify(page !== null)
        }

        function cleanupTestCase() {
            if (loader)
                loader.destroy()
        }

        function test_1_connect() {
            var button = child("connectButton")
            // The handshake allows 100 ms; on a loaded machine the simulator
            // may miss it now and then, and a user would press again.
            for (var attempt = 0; attempt < 3 && !button.connectFlag; ++attempt) {
                mouseClick(button)
                for (var waited = 0; waited < 1500 && !button.connectFlag; waited += 50)
                    wait(50)
            }
            verify(button.connectFlag, "no engraver found")
            compare(page.lastMessage, "连接成功……")
        }

        function test_2_fanAndFraming() {
            mouseClick(child("fanButton"))
            tryCompare(page, "lastMessage", "风扇已关闭……", 3000)
            mouseClick(child("fanButton"))
            tryCompare(page, "lastMessage", "风扇已打开……", 3000)

            engineFixture.prepareJob(200, 100, 20, 10, 40, 30, 255)
            operationEnd.finishedLoadProcess()
            compare(String(child("operateImage").source), "image://screen/image10")
            compare(child("operateImage").sourceSize.width, 200)
            compare([page.xImageVertex, page.yImageVertex, page.wImageVertex, page.hImageVertex], [20, 10, 39, 29])
            placeAt(100, 200)

            var frameButton = child("locImageButton")
            mouseClick(frameButton)
            tryCompare(frameButton, "locImageFlag", true, 3000)
            mouseClick(frameButton)
            tryCompare(frameButton, "locImageFlag", false, 3000)
        }

        function test_3_engraveToTheEnd() {
            connectDrawOperations.carveMode = 1
            progressSpy.clear()
            mouseClick(child("playButton"))
            tryCompare(connectDrawOperations, "startCarveFlag", true, 3000)
            // The engraver ends the job by itself once it has every byte.
            tryCompare(connectDrawOperations, "startCarveFlag", false, 10000)
            verify(progressSpy.count >= 5, "chunks sent: " + progressSpy.count)
            compare(child("carveProgress").value, 0)
            verify(child("playButton").toggle)
            verify(!child("carveTiming").running)
            // The burned rectangle sits where the picture was placed.
            tryVerify(function() { return engineFixture.burnedAt(120, 210) === 255 }, 3000)
            compare(engineFixture.burnedAt(159, 239), 255)
            compare(engineFixture.burnedAt(119, 210), 0)
            compare(engineFixture.burnedAt(120, 240), 0)
        }

        // The link has no framing: the engraver tells a command from a data
        // chunk by timing, so a command sent during a job goes right after a
        // chunk, as it would when the user clicks between two requests.
        function afterNextChunk() {
            progressSpy.clear()
            progressSpy.wait(3000)
        }

        function test_4_pauseResumeAndStop() {
            engineFixture.prepareJob(300, 200, 0, 0, 300, 200, 128)
            operationEnd.finishedLoadProcess()
            compare(String(child("operateImage").source), "image://screen/image11")
            var play = child("playButton")
            var stop = child("stopButton")
            var timing = child("carveTiming")
            stopDoneSpy.clear()

            mouseClick(play)
            tryCompare(connectDrawOperations, "startCarveFlag", true, 3000)
            afterNextChunk()
            mouseClick(play)
            tryCompare(play, "toggle", true, 3000)
            verify(!timing.running)
            timing.carveSecond = 7

            mouseClick(play)
            tryCompare(play, "toggle", false, 3000)
            verify(timing.running)
            verify(timing.carveSecond >= 7, "the clock continues after a pause")

            // Done pressed on the editing page during the job, then OK.
            connectDrawOperations.beginStopFlag = true
            afterNextChunk()
            connectDrawOperations.verifyButton()
            tryCompare(stopDoneSpy, "count", 1, 3000)
            verify(!connectDrawOperations.startCarveFlag)
            verify(!timing.running)
            connectDrawOperations.beginStopFlag = false

            // A new start counts from zero and sends the job from its first byte.
            progressSpy.clear()
            mouseClick(play)
            tryCompare(connectDrawOperations, "startCarveFlag", true, 3000)
            verify(timing.carveSecond < 7)
            progressSpy.wait(3000)
            compare(progressSpy.signalArguments[0][0], 0)
            tryCompare(stop.anchors, "topMargin", 60)
            tryCompare(stop, "rotation", 90)
            afterNextChunk()
            mouseClick(stop)
            tryCompare(connectDrawOperations, "startCarveFlag", false, 3000)
        }

        function test_5_disconnect() {
            var button = child("connectButton")
            mouseClick(button)
            tryCompare(button, "connectFlag", false, 3000)
            compare(page.lastMessage, "已断开连接……")
        }
    }
}
