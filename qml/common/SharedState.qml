import QtQuick 2.7

// The engraving state that the two pages share, handed to each page as its
// "shared" property. The main window keeps the one instance and overrides
// open() and changeModel(); a page loaded on its own gets an instance of its
// own, on which both do nothing.
Item {
    // A job is running or paused on the engraver: Done asks first, and the
    // settings popup offers no machine command. Written by the control page.
    property bool startCarveFlag: false
    // The confirmation after Done is open: the end of the job answers it.
    property bool beginStopFlag: false
    property bool coordinateDisplayFlag: true
    property bool shadyDisplayFlag: true
    // How the job is engraved: 1 grey levels, 2 black and white.
    property int carveMode: 2
    // The editing page's look, threshold, dithering and tone as they are
    // now (LookLink keeps it), for the control page's material presets.
    property var lookSettings: ({})
    // The chosen material preset's measured response (its 16 grey-step
    // levels; empty when it has none), which the looks correct for, and the
    // bare material's colour ("#rrggbb", or empty), which the true-size view
    // can show it in.
    property var toneResponse: []
    property string materialTint: ""

    // The control page's part of a work file as it stands (see
    // control/WorkPart.qml), for Save work; null without a control page.
    property var controlWork: null

    // The job has ended (or was lost) while the confirmation was open.
    signal stopDone()
    // A work file was opened: the control page takes its part of it.
    signal workOpened(var engraver)
    // The user confirmed that the running job is to be replaced.
    signal verifyButton()
    // A material preset was chosen: the editing page takes its look,
    // threshold, dithering and tone.
    signal lookChosen(var settings)

    function setStartCarveFlag(en) {
        startCarveFlag = en
    }
    function readStartCarveFlag() {
        return startCarveFlag
    }
    function setCarveMode(set) {
        carveMode = set
    }
    function readCarveMode() {
        return carveMode
    }
    // Opens the confirmation after Done.
    function open() {}
    // Shows the control page.
    function changeModel() {}

    visible: false
}
