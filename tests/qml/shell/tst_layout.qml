import QtQuick 2.7
import QtTest 1.0
import "../standins" as Stand

// Every text the user can see, in the language and edition under test, is
// whole and apart: none elided, cut by what clips it, past the window's
// edge or its panel's, lying over another or under a control (a slider's
// handle, a button, a spin box); no button's label squeezed. Every icon
// button says what it does in a tip. Walked on each page, with each of its
// panels open, in each popup, and with a tip on show.
TestCase {
    id: testCase

    property var window: null

    Stand.StandInController {
        id: operationEnd
    }

    // Items are found under the window's content (a delegate's QObject
    // parent may lie elsewhere), the rest (pop-ups) under the window.
    function part(name) {
        var found = findChild(window.contentItem, name) || findChild(window, name)
        verify(found !== null, "no object named " + name)
        return found
    }

    function shown(item) {
        for (var i = item; i; i = i.parent) {
            if (!i.visible || i.opacity === 0)
                return false
        }
        return true
    }

    function isAncestor(item, of) {
        for (var i = of.parent; i; i = i.parent) {
            if (i === item)
                return true
        }
        return false
    }

    // The part of a text item its glyphs cover, in window coordinates.
    function glyphRect(text) {
        var w = Math.min(text.contentWidth, text.width > 0 ? Math.max(text.width, text.contentWidth) : text.contentWidth)
        var h = text.contentHeight
        var x = 0, y = 0
        if (text.horizontalAlignment === Text.AlignHCenter)
            x = (text.width - w) / 2
        else if (text.horizontalAlignment === Text.AlignRight)
            x = text.width - w
        if (text.verticalAlignment === Text.AlignVCenter)
            y = (text.height - h) / 2
        else if (text.verticalAlignment === Text.AlignBottom)
            y = text.height - h
        return text.mapToItem(null, x, y, w, h)
    }

    function describe(item) {
        return (item.objectName || String(item).split("(")[0]) + " \"" + item.text + "\""
    }

    // What a pop-up shows lies over the page by design: a text is measured
    // against what lies in its own layer only, the page or one pop-up.
    function layerOf(item) {
        for (var i = item; i && i.parent; i = i.parent) {
            if (i.parent === window.overlay)
                return i
        }
        return null
    }

    // A tool panel (BoardButtom) holding the item; null outside panels.
    function panelOf(item) {
        for (var i = item.parent; i; i = i.parent) {
            if (i.open !== undefined && typeof i.onView === "function")
                return i
        }
        return null
    }

    // A control a text must not lie under: one the user acts on, or a busy
    // indicator while it spins.
    function isControl(item) {
        if (item.availableWidth === undefined || item === window.contentItem)
            return false
        if (item.running !== undefined)
            return item.running
        return item.pressed !== undefined || item.value !== undefined
    }

    // An icon button: the editing page's tools (iconSource), the round
    // buttons (buttonIcon, circleTextAlias) and the control page's.
    function isIconButton(item) {
        return item.iconSource !== undefined || item.circleTextAlias !== undefined
    }

    function tipOf(item) {
        if (item.tip !== undefined)
            return item.tip
        var tip = findChild(item, "tip")
        return tip ? tip.text : ""
    }

    function collect(item, found) {
        if (!item.visible || item.opacity === 0)
            return
        var hasText = item.text !== undefined && String(item.text).trim() !== ""
        if (hasText && item.truncated !== undefined && item.contentWidth !== undefined)
            found.texts.push(item)
        else if (hasText && item.availableWidth !== undefined && item.implicitContentWidth !== undefined)
            found.labelled.push(item)
        if (isControl(item))
            found.controls.push(item)
        if (isIconButton(item))
            found.iconButtons.push(item)
        if (item.open === true && typeof item.onView === "function")
            found.panels.push(item)
        for (var i = 0; i < item.children.length; ++i)
            collect(item.children[i], found)
    }

    function outside(r, box) {
        return r.x < box.x - 1 || r.y < box.y - 1 || r.x + r.width > box.x + box.width + 1
                || r.y + r.height > box.y + box.height + 1
    }

    function overlap(r, q) {
        var overlapX = Math.min(r.x + r.width, q.x + q.width) - Math.max(r.x, q.x)
        var overlapY = Math.min(r.y + r.height, q.y + q.height) - Math.max(r.y, q.y)
        return overlapX > 2 && overlapY > 2
    }

    function box(item) {
        return item.mapToItem(null, 0, 0, item.width, item.height)
    }

    // Whether the first item that clips the text lets it show, and cuts it:
    // a list scrolled so that a row lies partly out of view cuts nothing,
    // but a row wider than a list that does not scroll sideways does.
    function clipping(text, r) {
        for (var a = text.parent; a; a = a.parent) {
            if (!a.clip)
                continue
            var frame = box(a)
            if (!overlap(r, frame))
                return { shown: false, cut: false }
            var scrollsDown = a.contentHeight !== undefined && a.contentY !== undefined && a.contentHeight > a.height
            var scrollsAcross = a.contentWidth !== undefined && a.contentX !== undefined && a.contentWidth > a.width
            var cutAcross = r.x < frame.x - 1 || r.x + r.width > frame.x + frame.width + 1
            var cutDown = r.y < frame.y - 1 || r.y + r.height > frame.y + frame.height + 1
            return { shown: true, cut: (cutAcross && !scrollsAcross) || (cutDown && !scrollsDown) }
        }
        return { shown: true, cut: false }
    }

    // What is wrong with the texts on show now; empty when all is well.
    function problems(scene) {
        var root = window.contentItem.parent || window.contentItem
        var found = { texts: [], labelled: [], controls: [], iconButtons: [], panels: [] }, faults = []
        collect(root, found)
        // An open panel is opaque and lies over the page: what it covers is
        // hidden while it is open, not overlapped. Pop-ups (tips, lists)
        // lie over it in turn.
        function covered(item, r) {
            if (layerOf(item) !== null)
                return false
            for (var p = 0; p < found.panels.length; ++p) {
                if (!isAncestor(found.panels[p], item) && overlap(r, box(found.panels[p])))
                    return true
            }
            return false
        }
        found.controls = found.controls.filter(function(c) { return !covered(c, box(c)) })
        var texts = [], rects = []
        for (var k = 0; k < found.texts.length; ++k) {
            var rect = glyphRect(found.texts[k]), clip = clipping(found.texts[k], rect)
            if (!clip.shown || covered(found.texts[k], rect))
                continue
            if (clip.cut)
                faults.push(scene + ": cut by its frame " + describe(found.texts[k]))
            texts.push(found.texts[k])
            rects.push(rect)
        }
        for (var i = 0; i < texts.length; ++i) {
            var t = texts[i], r = rects[i], layer = layerOf(t)
            if (t.truncated)
                faults.push(scene + ": elided " + describe(t))
            if (r.x < -1 || r.y < -1 || r.x + r.width > window.width + 1 || r.y + r.height > window.height + 1)
                faults.push(scene + ": past the window's edge " + describe(t))
            var panel = panelOf(t)
            if (panel && outside(r, box(panel)))
                faults.push(scene + ": past its panel's edge " + describe(t))
            for (var j = i + 1; j < texts.length; ++j) {
                var o = texts[j]
                if (isAncestor(t, o) || isAncestor(o, t) || layerOf(o) !== layer)
                    continue
                if (overlap(r, rects[j]))
                    faults.push(scene + ": " + describe(t) + " over " + describe(o))
            }
            for (j = 0; j < found.controls.length; ++j) {
                var c = found.controls[j]
                if (isAncestor(c, t) || layerOf(c) !== layer)
                    continue
                if (overlap(r, box(c)))
                    faults.push(scene + ": " + describe(t) + " under " + (c.objectName || String(c).split("(")[0]))
            }
        }
        for (i = 0; i < found.controls.length; ++i) {
            c = found.controls[i]
            panel = panelOf(c)
            if (panel && outside(box(c), box(panel)))
                faults.push(scene + ": past its panel's edge " + (c.objectName || String(c).split("(")[0]))
        }
        for (i = 0; i < found.labelled.length; ++i) {
            c = found.labelled[i]
            if (c.implicitContentWidth > c.availableWidth + 1)
                faults.push(scene + ": squeezed " + describe(c))
        }
        for (i = 0; i < found.iconButtons.length; ++i) {
            var button = found.iconButtons[i]
            if (String(tipOf(button)).trim() === "")
                faults.push(scene + ": no tip for " + (button.objectName || String(button).split("(")[0]))
        }
        return faults
    }

    function showPage(index) {
        window.menuClicked(index, part("menuControlList").model.get(index).name)
        tryCompare(part("caseLoader" + (index + 1)), "visible", true)
    }

    name: "Layout"
    when: windowShown

    function init() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = component.createObject(null)
        verify(window !== null)
        waitForRendering(window.contentItem)
    }

    function cleanup() {
        window.destroy()
        wait(0)
    }

    function test_textsWholeAndApart_data() {
        return [
            { tag: "editing page", page: 0 },
            { tag: "pen", page: 0, tool: "penButton", panel: "penStyle" },
            { tag: "rubber", page: 0, tool: "rubberButton", panel: "rubberStyle" },
            { tag: "text", page: 0, tool: "textButton", panel: "textStyle" },
            { tag: "zoom", page: 0, tool: "zoomButton", panel: "zoomStyle" },
            { tag: "size", page: 0, tool: "adjustScale", panel: "adjustScaleStyle" },
            { tag: "tone", page: 0, tool: "toneButton", panel: "tonePanel" },
            { tag: "control page", page: 1 },
            { tag: "laser", page: 1, tool: "laserButton", panel: "laserStyle" },
            { tag: "depth", page: 1, tool: "speedButton", panel: "speedStyle" },
            { tag: "copies", page: 1, tool: "copiesButton", panel: "copiesPanel" },
            { tag: "presets", page: 1, tool: "presetButton", panel: "presetPanel" },
            { tag: "test card", page: 1, tool: "presetButton", panel: "presetPanel", opens: "testCardButton",
              popup: "testCardPanel" },
            { tag: "tone calibration", page: 1, tool: "presetButton", panel: "presetPanel",
              opens: "toneCalibrate", popup: "toneCalibration" },
            // After a card: its squares to pick from, and the new preset's name.
            { tag: "test card squares", page: 1, squares: [20, 40, 60, 80, 100] },
            { tag: "settings", page: 0, menu: 2, popup: "settingDialog" },
            { tag: "about", page: 0, menu: 3, popup: "aboutDialog" },
            { tag: "dithering methods", page: 0, tool: "toneButton", panel: "tonePanel", list: "ditherMethodBox" },
            // The tips themselves: beside a tool, a round button and the
            // upright slider, above a pen's style, all whole within the
            // window.
            { tag: "tool's tip", page: 0, hover: "penButton" },
            { tag: "round button's tip", page: 0, hover: "doneButton" },
            { tag: "threshold's tip", page: 0, hover: "effectSlider" },
            { tag: "pen style's tip", page: 0, tool: "penButton", panel: "penStyle", hover: "pen_pen2" },
            { tag: "control page's tip", page: 1, hover: "connectButton" }
        ]
    }

    // Whether a tip is on show, in a pop-up over the page.
    function tipShown() {
        var items = window.overlay.children
        for (var i = 0; i < items.length; ++i) {
            if (items[i].visible && items[i].opacity === 1 && String(items[i]).indexOf("Popup") >= 0) {
                var found = { texts: [], labelled: [], controls: [], iconButtons: [], panels: [] }
                collect(items[i], found)
                if (found.texts.length > 0)
                    return true
            }
        }
        return false
    }

    function test_textsWholeAndApart(data) {
        showPage(data.page)
        if (data.tool) {
            var tool = part(data.tool)
            mouseMove(tool, tool.width / 2, tool.height / 2)
            mouseClick(tool)
            tryVerify(function() { return shown(part(data.panel)) && part(data.panel).opacity === 1 },
                      3000, data.panel + " opened")
        }
        if (data.list) {
            var chooser = part(data.list)
            chooser.popup.open()
            tryCompare(chooser.popup, "opened", true)
        }
        if (data.squares) {
            var host = part("testCardHost")
            host.showSquares(data.squares, data.squares)
            host.naming = true
            tryCompare(part("testCardPanel"), "opened", true)
        }
        if (data.opens)
            mouseClick(part(data.opens))
        else if (data.popup) {
            var list = part("menuControlList")
            mouseClick(list, list.width / 2, data.menu * 50 + 25)
        }
        if (data.popup)
            tryCompare(part(data.popup), "opened", true)
        if (data.hover) {
            var target = part(data.hover)
            mouseMove(target, target.width / 2, target.height / 2)
            tryVerify(tipShown, 3000, "a tip shows over " + data.hover)
        }
        waitForRendering(window.contentItem)
        // What slides in (the toast, a tip) is judged where it comes to rest.
        var found = problems(data.tag)
        for (var waited = 0; found.length > 0 && waited < 1000; waited += 50) {
            wait(50)
            found = problems(data.tag)
        }
        verify(found.length === 0, found.join("\n"))
    }

    // A tip goes as soon as the pointer leaves its button: one still
    // fading out would take the next click where it lies.
    function test_tipGoesAtOnce_data() {
        return [
            { tag: "tool", page: 0, hover: "penButton" },
            { tag: "round button", page: 0, hover: "greyButton" },
            { tag: "control page", page: 1, hover: "playButton" }
        ]
    }

    function test_tipGoesAtOnce(data) {
        showPage(data.page)
        var target = part(data.hover)
        mouseMove(target, target.width / 2, target.height / 2)
        tryVerify(tipShown, 3000, "a tip shows over " + data.hover)
        mouseMove(window.contentItem, window.width / 2, window.height - 5)
        var left = Array.prototype.filter.call(window.overlay.children, function(popup) { return popup.visible })
        compare(left.length, 0, "a tip left behind")
    }
}
