import QtQuick 2.7

// Ties the editing page's look, threshold, dithering and tone to the state
// the pages share, for the control page's material presets: what is set now
// goes out as shared.lookSettings, and a preset chosen comes in through
// shared.lookChosen(). The chosen look runs as if its button had been
// pressed, at the preset's threshold and after its tone is set, so that one
// run shows it all; a picture still loading gets it once it is in, as the
// look chosen last. The material's measured response (shared.toneResponse)
// goes to the canvas through its own binding; when it changes, the look on
// show runs again with it.
Item {
    id: link

    property QtObject shared: null
    property Item tonePanel: null
    property Item effects: null
    // EditingSettings: the look and threshold the next picture gets.
    property Item keptSettings: null
    property bool loadingFile: false
    // The response the look on show was asked with, as text: a preset
    // chosen sets the response and runs its look at once, which needs no
    // second run.
    property string askedResponse: "[]"

    function take(settings) {
        askedResponse = JSON.stringify(shared.toneResponse)
        tonePanel.setAll(settings.brightness, settings.contrast, settings.gamma, settings.method,
                         settings.serpentine, settings.halftoneCell, settings.dotSize)
        keptSettings.lastLook = settings.look
        keptSettings.lastThreshold = settings.threshold
        if (!loadingFile)
            effects.start(settings.look, settings.threshold)
    }

    Binding {
        target: link.shared
        property: "lookSettings"
        when: link.shared !== null && link.tonePanel !== null && link.effects !== null
        value: ({
            "look": link.effects.buttonSelect,
            "threshold": Math.round(link.effects.slider.value),
            "method": link.tonePanel.method,
            "serpentine": link.tonePanel.serpentine,
            "halftoneCell": link.tonePanel.halftoneCell,
            "brightness": link.tonePanel.brightness,
            "contrast": link.tonePanel.contrast,
            "gamma": link.tonePanel.gamma,
            "dotSize": link.tonePanel.dotSize
        })
    }

    // After the canvas's binding has taken the new response.
    function rerun() {
        var response = JSON.stringify(shared.toneResponse)
        if (response === askedResponse)
            return
        askedResponse = response
        if (!loadingFile && effects.buttonSelect > 0)
            effects.start(effects.buttonSelect, Math.round(effects.slider.value))
    }

    Connections {
        target: link.shared

        function onLookChosen(settings) {
            link.take(settings)
        }

        function onToneResponseChanged() {
            Qt.callLater(link.rerun)
        }
    }
}
