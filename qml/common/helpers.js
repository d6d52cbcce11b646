.pragma library

// Plain calculations of the two pages, kept apart from their items.

// The item with the keyboard focus takes text (a text box, a spin box's
// editor, a coordinate field): the pages' keys leave it alone then, so that
// typing never edits the picture or moves the laser.
function takesText(focusItem) {
    return !!focusItem && focusItem.cursorPosition !== undefined
}

// A typed coordinate in millimetres; NaN for anything that is not a number.
function typedMillimetres(text) {
    var trimmed = String(text).trim()
    if (trimmed.length === 0)
        return NaN
    return Number(trimmed)
}

// A rectangle of the given share of width × height, centred in it.
function centredRect(width, height, share) {
    return {
        x: (width - width * share) / 2,
        y: (height - height * share) / 2,
        width: width * share,
        height: height * share
    }
}

// What the rectangle r covers of a canvas that lies at (left, top) with the
// given size, in whole canvas pixels: the crop never reaches past the canvas.
// null when the two do not overlap.
function cropOf(r, left, top, width, height) {
    var x0 = Math.max(0, Math.round(r.x - left))
    var y0 = Math.max(0, Math.round(r.y - top))
    var x1 = Math.min(width, Math.round(r.x + r.width - left))
    var y1 = Math.min(height, Math.round(r.y + r.height - top))
    if (x1 <= x0 || y1 <= y0)
        return null
    return { x: x0, y: y0, width: x1 - x0, height: y1 - y0 }
}

// Where a bar of w × h goes beside the rectangle r (x, y, width, height) on
// a page of pageWidth × pageHeight, gap away from it: under r's bottom-right
// corner, else over its top-right corner, else inside r along its bottom,
// clear of the square of side corner in r's bottom-right corner. Whichever
// it is, the bar lies whole on the page.
function barBeside(r, w, h, pageWidth, pageHeight, gap, corner) {
    var x = r.x + r.width - w, y = r.y + r.height + gap
    if (y + h > pageHeight) {
        y = r.y - gap - h
        if (y < 0) {
            x -= corner + gap
            y = r.y + r.height - h - gap
        }
    }
    return {
        x: Math.max(0, Math.min(x, pageWidth - w)),
        y: Math.max(0, Math.min(y, pageHeight - h))
    }
}

// The limits of the size panel's spin boxes, in millimetres, for sides kept
// at the ratio width / height: the longer side may reach 80 mm, the shorter
// no less than 5 mm.
function ratioLimits(ratio) {
    if (ratio > 1)
        return { widthFrom: Math.ceil(5 * ratio), widthTo: 80, heightFrom: 5, heightTo: Math.floor(80 / ratio) }
    return { widthFrom: 5, widthTo: Math.floor(80 * ratio), heightFrom: Math.ceil(5 / ratio), heightTo: 80 }
}

// The size panel for a frame of w × h pixels, 0.075 mm each: its ratio, its
// sides in whole millimetres and the limits that keep that ratio.
function sizeLimits(w, h) {
    var limits = ratioLimits(w / h)
    limits.ratio = w / h
    limits.width = Math.round(w * 0.075)
    limits.height = Math.round(h * 0.075)
    return limits
}

// The zoom that shows a frame of w × h whole on a page of pageWidth ×
// pageHeight; 1 when it fits already.
function fitZoom(w, h, pageWidth, pageHeight) {
    if (w > pageWidth || h > pageHeight)
        return Math.min(pageHeight / h, pageWidth / w)
    return 1
}

// A time in whole seconds as a clock shows it, H:MM:SS ("0:05:33",
// "12:00:07"); "-:--:--" when unknown (negative).
function clockText(seconds) {
    if (seconds < 0 || isNaN(seconds))
        return "-:--:--"
    var s = Math.floor(seconds)
    var minutes = Math.floor(s / 60) % 60
    var rest = s % 60
    return Math.floor(s / 3600) + ":" + (minutes < 10 ? "0" : "") + minutes + ":" + (rest < 10 ? "0" : "") + rest
}

// A length in millimetres as the status line gives it: at most one decimal,
// none when whole ("40", "12.5").
function millimetres(mm) {
    return String(Math.round(mm * 10) / 10)
}

// The square side that fits a room of width × height once the margins are
// taken off; never below minimum.
function fittedSide(width, height, left, right, top, bottom, minimum) {
    return Math.max(minimum, Math.min(width - left - right, height - top - bottom))
}
