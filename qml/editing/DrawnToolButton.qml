import QtQuick 2.7
import "../common"

// A tool button of one action (not one of its column's tools) whose icon is drawn
// here as a few strokes: "open" a folder, "export" an arrow rising out of
// a tray, "tone" a half-shaded circle, "saveWork" a diskette, "openWork" a
// sheet with a folded corner, "undo" a bent arrow back, "redo" the same
// arrow forward and "lock" a padlock, shut while the button is checked.
ToolIconButton {
    id: button

    property string glyph

    checkable: false
    autoExclusive: false
    onCheckedChanged: glyphCanvas.requestPaint()

    Canvas {
        id: glyphCanvas

        anchors.centerIn: parent
        width: 24
        height: 24
        opacity: button.enabled ? 1 : Theme.disabledOpacity
        // Redo is undo mirrored.
        transform: Scale {
            origin.x: 12
            xScale: button.glyph === "redo" ? -1 : 1
        }
        onPaint: {
            var ctx = getContext("2d")
            ctx.reset()
            ctx.strokeStyle = Theme.ink
            ctx.fillStyle = Theme.ink
            ctx.lineWidth = 2
            ctx.lineJoin = "round"
            if (button.glyph === "open") {
                // A folder with its tab, the front flap lifted.
                ctx.beginPath()
                ctx.moveTo(2, 20)
                ctx.lineTo(2, 5)
                ctx.lineTo(9, 5)
                ctx.lineTo(11, 8)
                ctx.lineTo(19, 8)
                ctx.lineTo(19, 11)
                ctx.stroke()
                ctx.beginPath()
                ctx.moveTo(2, 20)
                ctx.lineTo(6, 11)
                ctx.lineTo(22, 11)
                ctx.lineTo(18, 20)
                ctx.closePath()
                ctx.stroke()
            } else if (button.glyph === "export") {
                // A tray, and an arrow leaving it upwards.
                ctx.beginPath()
                ctx.moveTo(3, 13)
                ctx.lineTo(3, 21)
                ctx.lineTo(21, 21)
                ctx.lineTo(21, 13)
                ctx.stroke()
                ctx.beginPath()
                ctx.moveTo(12, 17)
                ctx.lineTo(12, 7)
                ctx.stroke()
                ctx.beginPath()
                ctx.moveTo(12, 1)
                ctx.lineTo(17, 8)
                ctx.lineTo(7, 8)
                ctx.closePath()
                ctx.fill()
            } else if (button.glyph === "tone") {
                // A circle, dark on one half: light and shade.
                ctx.beginPath()
                ctx.arc(12, 12, 9, 0, 2 * Math.PI)
                ctx.stroke()
                ctx.beginPath()
                ctx.arc(12, 12, 9, Math.PI / 2, 3 * Math.PI / 2)
                ctx.closePath()
                ctx.fill()
            } else if (button.glyph === "saveWork") {
                // The diskette's body with its cut corner, its shutter and
                // its label.
                ctx.beginPath()
                ctx.moveTo(3, 3)
                ctx.lineTo(17, 3)
                ctx.lineTo(21, 7)
                ctx.lineTo(21, 21)
                ctx.lineTo(3, 21)
                ctx.closePath()
                ctx.stroke()
                ctx.fillRect(7, 3, 9, 6)
                ctx.strokeRect(7, 13, 10, 8)
            } else if (button.glyph === "openWork") {
                // A sheet with its corner folded, and lines of writing.
                ctx.beginPath()
                ctx.moveTo(5, 2)
                ctx.lineTo(14, 2)
                ctx.lineTo(19, 7)
                ctx.lineTo(19, 22)
                ctx.lineTo(5, 22)
                ctx.closePath()
                ctx.moveTo(14, 2)
                ctx.lineTo(14, 7)
                ctx.lineTo(19, 7)
                ctx.moveTo(8, 12)
                ctx.lineTo(16, 12)
                ctx.moveTo(8, 16)
                ctx.lineTo(16, 16)
                ctx.stroke()
            } else if (button.glyph === "lock") {
                // The body, and the shackle in it or lifted out on the left.
                ctx.fillRect(5, 11, 14, 10)
                ctx.beginPath()
                if (button.checked) {
                    ctx.moveTo(8, 11)
                    ctx.lineTo(8, 7)
                    ctx.arc(12, 7, 4, Math.PI, 2 * Math.PI)
                    ctx.lineTo(16, 11)
                } else {
                    ctx.moveTo(8, 7)
                    ctx.lineTo(8, 4)
                    ctx.arc(12, 4, 4, Math.PI, 2 * Math.PI)
                    ctx.lineTo(16, 11)
                }
                ctx.stroke()
            } else {
                // An arrow bending back to the left.
                ctx.beginPath()
                ctx.moveTo(20, 20)
                ctx.bezierCurveTo(20, 8, 14, 8, 6, 8)
                ctx.stroke()
                ctx.beginPath()
                ctx.moveTo(2, 8)
                ctx.lineTo(9, 3)
                ctx.lineTo(9, 13)
                ctx.closePath()
                ctx.fill()
            }
        }
    }
}
