.pragma library

// Finds an object by objectName below root, through item children,
// resources (popups live there), popup content and loaded pages.
function find(root, name) {
    if (!root)
        return null
    if (root.objectName === name)
        return root
    var next = []
    if (root.contentItem !== undefined && root.contentItem !== null)
        next.push(root.contentItem)
    if (root.item !== undefined && root.item !== null && typeof root.sourceComponent !== "undefined")
        next.push(root.item)
    if (root.data !== undefined) {
        for (var i = 0; i < root.data.length; ++i)
            next.push(root.data[i])
    } else if (root.children !== undefined) {
        for (var j = 0; j < root.children.length; ++j)
            next.push(root.children[j])
    }
    for (var k = 0; k < next.length; ++k) {
        var found = find(next[k], name)
        if (found)
            return found
    }
    return null
}

// Which translation is installed, told by a message whose translation
// differs in every language.
function language() {
    var edit = qsTranslate("MenuModel", "修图")
    if (edit === "Edit")
        return "en"
    if (edit === "を編集")
        return "ja"
    return "zh"
}
