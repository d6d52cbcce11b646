import QtQuick 2.7
import QtTest 1.0

// Done during a job, inside the real main window: the confirmation popup
// opens and nothing is prepared until the engraver has stopped; then the
// job is prepared and the control page shown. Cancelled, nothing happens.
Item {
    width: 200
    height: 200

    SignalSpy {
        id: finishedLoadSpy

        target: operationEnd
        signalName: "finishedLoad"
    }

    TestCase {
        property var window: null

        // A missing item fails the test at its first use.
        function child(name) { return findChild(window, name) }

        name: "EditingPageInWindow"
        when: windowShown

        function init() {
            window = Qt.createComponent("qrc:/main.qml").createObject(null)
            tryVerify(function() { return window.visible })
            finishedLoadSpy.clear()
        }

        function cleanup() { window.destroy() }

        function test_doneDuringJob_data() {
            return [
                { tag: "job stopped", stops: true },
                { tag: "popup cancelled", stops: false },
            ]
        }

        function test_doneDuringJob(data) {
            var shared = child("connectDrawOperations"), popup = child("imageProcessDoneDialog")
            shared.setStartCarveFlag(true)
            mouseClick(findChild(child("caseLoader1").item, "doneButton"))
            verify(popup.visible)
            wait(300)
            compare(finishedLoadSpy.count, 0)
            if (data.stops) {
                // The control page has seen the engraver stop.
                shared.setStartCarveFlag(false)
                shared.stopDone()
                tryCompare(child("caseLoader2"), "visible", true, 20000)
                // A fresh page, with nothing loaded, is in grey.
                compare(shared.readCarveMode(), 1)
            } else {
                popup.close()
                wait(300)
            }
            tryCompare(popup, "visible", false)
            compare(child("caseLoader1").visible, !data.stops)
            compare(finishedLoadSpy.count, data.stops ? 1 : 0)
        }
    }
}
