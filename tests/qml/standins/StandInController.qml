import QtQuick 2.7

// Stands in for the engraver controller in the page and window tests:
// records what the pages send and ask for, and offers the signals and the
// job buffer they listen to. Given the id "operationEnd" in a test document,
// it also shadows the real controller for a window created from there.
QtObject {
    property var sent: []
    property var connectCalls: []
    property int clearCount: 0
    property int disconnectCalls: 0
    property int reconnectCalls: 0
    // A running job has asked for no data for a while.
    property bool dataRequestOverdue: false
    // The link as the status line tells it.
    property bool searching: false
    property string portName: ""
    property bool engraverSilent: false
    // The published job: its size, how far it has been sent, its picture.
    property QtObject jobBuffer: QtObject {
        property int size: 0
        property int sent: 0
        property int pictureWidth: 680
        property int pictureHeight: 680
        property real previewScale: 1
    }

    signal finishedLoad(int xmin, int ymin, int xmax, int ymax)
    signal toFrontStatus(string cmd)
    signal includeBackStatus(int type)
    signal completePecent(real pecent)
    signal writeStalled()
    signal searchFinished(bool found)
    signal engraverNotFound(string deniedPort)
    signal linkClosed()

    function serialWriteData(command) {
        sent = sent.concat([String(command)])
    }
    function connectToBelow(en) {
        connectCalls = connectCalls.concat([en])
    }
    function clearIndex() {
        clearCount += 1
    }
    function finishedLoadProcess() {}
    function stopAndDisconnect() {
        disconnectCalls += 1
    }
    function reconnect() {
        reconnectCalls += 1
    }
}
