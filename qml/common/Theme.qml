pragma Singleton
import QtQuick 2.7

// The look shared by every document: one place for the font, the colours,
// the text sizes and the panel gradient, so that a page never restates them.
QtObject {
    // The window's own face; the CJK fonts stand in where it is missing.
    readonly property string fontFamily: "幼圆"

    // Text sizes in pixels, smallest first.
    readonly property int noteSize: 10      // footnotes, the effect percentage
    readonly property int captionSize: 11   // title and menu captions, progress
    readonly property int textSize: 12      // panel labels, buttons, popup texts
    readonly property int messageSize: 14   // the message line
    readonly property int circleSize: 15    // labels of the round buttons
    readonly property int titleSize: 16     // popup titles, coordinate tags
    readonly property int headerSize: 20    // the font list's header

    // The window's bars and dark text.
    readonly property color ink: "#393939"
    readonly property color caption: "grey"
    readonly property color line: "grey"
    readonly property color menuHover: "#666666"
    readonly property color menuCurrent: "#222222"
    // The status line in the header: what it tells, and what needs a look.
    readonly property color statusText: "#DDDDDD"
    readonly property color statusAlert: "#FFB74D"
    // A short warning on a light panel: why an action did nothing.
    readonly property color warning: "#D84315"

    // Panels: a light gradient from top to bottom.
    readonly property color panelTop: "#F4F4F4"
    readonly property color panelBottom: "#E0E0E0"
    readonly property Gradient panelGradient: Gradient {
        GradientStop { position: 0.0; color: panelTop }
        GradientStop { position: 1.0; color: panelBottom }
    }
    readonly property color softBorder: "#BDBDBD"
    readonly property color toastBorder: "lightgray"

    // Buttons: at rest, under the pointer, pressed or on.
    readonly property color hover: "#EEEEEE"
    readonly property color hoverLight: "#F8F8F8"
    readonly property color lit: "#C5E1A5"
    readonly property color accent: "#8BC34A"
    readonly property color accentDark: "#558B2F"
    readonly property color accentBorder: "#87C34A"
    readonly property color knobBorder: "#9E9E9E"
    readonly property color ring: "lightgreen"
    readonly property color chosen: "limegreen"
    // How long the pointer rests on a button before its tip shows, in ms.
    readonly property int tipDelay: 500
    // An action that cannot run now.
    readonly property real disabledOpacity: 0.4

    // Pictures: their frame, the coordinate tags over them, the crop
    // handle, the shade over what a crop cuts away and the text box (its
    // fill all but transparent).
    readonly property color frameBorder: "#50000000"
    readonly property color tag: "#A0A0A0"
    readonly property color handle: "green"
    readonly property color cropShade: "#8C000000"
    readonly property color textBox: "#0042f465"
}
