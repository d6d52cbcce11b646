.pragma library

// Plain calculations of the two pages, kept apart from their items.

// A typed coordinate in millimetres; NaN for anything that is not a number.
function typedMillimetres(text) {
    var trimmed = String(text).trim()
    if (trimmed.length === 0)
        return NaN
    return Number(trimmed)
}
