import QtQuick 2.9
import Qt.labs.settings 1.0
import Zan.DrawBoard 1.0
import Zan.Desktop 1.0

// The tone and dithering, kept for the next start, and the look chosen last
// with its threshold, for the next picture. Each stored value is checked
// once, when the page is made, and handed to the tone panel, which the
// canvas follows: one out of range or of another type gives way to its
// default and never reaches the canvas, not even for a moment, so nothing
// binds the panel to the store. The panel's values are written back as
// they change.
Item {
    id: kept

    // The page's tone panel, set when the page is made.
    property Item tonePanel: null
    property alias lastLook: store.lastLook
    property alias lastThreshold: store.lastThreshold

    Settings {
        id: store

        property real toneBrightness: 0
        property real toneContrast: 0
        property real toneGamma: 1
        property int ditherMethod: DrawBoard.FloydSteinberg
        property bool ditherSerpentine: false
        property int halftoneCell: 6
        property real dotSize: 1
        property int lastLook: 2
        property int lastThreshold: 128

        // The panel and the property that writes it back both take the
        // checked value.
        Component.onCompleted: {
            var tone = kept.tonePanel
            tone.brightness = toneBrightness = StoredSettings.checked("toneBrightness", value("toneBrightness"))
            tone.contrast = toneContrast = StoredSettings.checked("toneContrast", value("toneContrast"))
            tone.gamma = toneGamma = StoredSettings.checked("toneGamma", value("toneGamma"))
            tone.method = ditherMethod = StoredSettings.checked("ditherMethod", value("ditherMethod"))
            tone.serpentine = ditherSerpentine = StoredSettings.checked("ditherSerpentine", value("ditherSerpentine"))
            tone.halftoneCell = halftoneCell = StoredSettings.checked("halftoneCell", value("halftoneCell"))
            tone.dotSize = dotSize = StoredSettings.checked("dotSize", value("dotSize"))
            lastLook = StoredSettings.checked("lastLook", value("lastLook"))
            lastThreshold = StoredSettings.checked("lastThreshold", value("lastThreshold"))
        }
    }

    Connections {
        target: kept.tonePanel
        function onBrightnessChanged() { store.toneBrightness = kept.tonePanel.brightness }
        function onContrastChanged() { store.toneContrast = kept.tonePanel.contrast }
        function onGammaChanged() { store.toneGamma = kept.tonePanel.gamma }
        function onMethodChanged() { store.ditherMethod = kept.tonePanel.method }
        function onSerpentineChanged() { store.ditherSerpentine = kept.tonePanel.serpentine }
        function onHalftoneCellChanged() { store.halftoneCell = kept.tonePanel.halftoneCell }
        function onDotSizeChanged() { store.dotSize = kept.tonePanel.dotSize }
    }
}
