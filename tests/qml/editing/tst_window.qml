import QtQuick 2.7
import QtTest 1.0

// The editing page inside the real main window: Done prepares the job and
// shows the control page, at once or after the running job has stopped.
Item {
    id: host

    width: 200
    height: 200

    Rectangle {
        id: picture

        width: 120
        height: 80
        color: "#404040"

        Rectangle {
            width: 60
            height: 80
            color: "white"
        }
    }

    SignalSpy {
        id: finishedLoadSpy

        target: operationEnd
        signalName: "finishedLoad"
    }

    TestCase {
        property var window: null
        property var page: null

        function child(parent, name) {
            var found = findChild(parent, name)
            verify(found !== null, "no item " + name)
            return found
        }

        name: "EditingPageInWindow"
        when: windowShown

        function initTestCase() {
            var saved = null
            picture.grabToImage(function(result) { saved = result.saveToFile("/proc/self/cwd/window.png") })
            tryVerify(function() { return saved !== null })
            verify(saved)
        }

        function init() {
            window = Qt.createComponent("qrc:/main.qml").createObject(null)
            verify(window !== null)
            tryVerify(function() { return window.visible })
            page = child(window, "caseLoader1").item
            verify(page !== null)
            page.dropFiles({ hasUrls: true, urls: ["file:///proc/self/cwd/window.png"] })
            tryCompare(child(page, "busy"), "running", false, 20000)
            compare(child(page, "drawBoard").width, 120)
            finishedLoadSpy.clear()
        }

        function cleanup() {
            tryCompare(child(page, "busy"), "running", false, 20000)
            window.destroy()
            window = null
        }

        function test_done_data() {
            return [
                { tag: "no job running", running: false, stops: false, shown: true },
                { tag: "job stopped", running: true, stops: true, shown: true },
                { tag: "popup cancelled", running: true, stops: false, shown: false },
            ]
        }

        function test_done(data) {
            var shared = child(window, "connectDrawOperations")
            var popup = child(window, "imageProcessDoneDialog")
            shared.setStartCarveFlag(data.running)
            mouseClick(child(page, "doneButton"))
            compare(popup.visible, data.running)
            if (data.running) {
                wait(300)
                compare(finishedLoadSpy.count, 0)
                verify(child(window, "caseLoader1").visible)
                if (data.stops) {
                    // The control page has seen the engraver stop.
                    shared.setStartCarveFlag(false)
                    shared.stopDone()
                } else {
                    popup.close()
                }
                tryCompare(popup, "visible", false)
            }
            if (data.shown) {
                tryCompare(child(window, "caseLoader2"), "visible", true, 20000)
                verify(!child(window, "caseLoader1").visible)
                compare(shared.readCarveMode(), 2)
                compare(finishedLoadSpy.count, 1)
            } else {
                wait(300)
                verify(child(window, "caseLoader1").visible)
                compare(finishedLoadSpy.count, 0)
            }
            // The picture stays on the editing page.
            compare(child(page, "drawBoard").width, 120)
        }
    }
}
