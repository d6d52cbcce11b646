import QtQuick 2.7
import Zan.Engraver 1.0

// The control page's part of a work file: where the picture's top-left
// corner is on the engraving area (once a job has been shown there), the
// laser power and depth, and the fan. It is kept in the shared state for
// Save work. Opening a work puts it back: the placement for the next job
// shown; power, depth and fan at once, unless a job is under way (which
// goes on as it was started), sent to the engraver now or, when none is
// connected, as soon as one is, so that the job burns as it did.
Item {
    id: part

    // The control page (its shared state, link and job, and the way it
    // sends commands), its engraving area and its tool column.
    property Item page: null
    property Item area: null
    property Item tools: null
    readonly property bool connected: !!page && page.connected
    // Power, depth and fan from a work file that the engraver has not been
    // sent yet.
    property bool unsent: false

    function restore(engraver) {
        if (engraver.placed)
            area.placeNext(engraver.x, engraver.y)
        if (page.jobActive)
            return
        tools.restore(engraver.laserPower, engraver.depth, engraver.fan)
        unsent = true
        sendRestored()
    }

    function sendRestored() {
        if (!unsent || !connected)
            return
        unsent = false
        page.send(EngraverProtocol.laserPowerCommand(tools.laserPower / 100))
        page.send(EngraverProtocol.depthCommand(tools.depth / 100))
        page.send(tools.fanOn ? EngraverProtocol.fanOnCommand : EngraverProtocol.fanOffCommand)
    }

    onConnectedChanged: sendRestored()

    Binding {
        target: part.page.shared
        property: "controlWork"
        value: ({
            "laserPower": part.tools.laserPower,
            "depth": part.tools.depth,
            "fan": part.tools.fanOn,
            "placed": part.area.pictureShown,
            "x": part.area.pictureLeft() * part.area.mmPerPix,
            "y": part.area.pictureTop() * part.area.mmPerPix
        })
    }

    Connections {
        target: part.page.shared

        function onWorkOpened(engraver) {
            part.restore(engraver)
        }
    }
}
