import QtQuick 2.7
import QtQuick.Controls 2.2
import "../common"
import "../common/helpers.js" as Helpers

// The engraving area to scale: the published picture, which the user places
// by dragging or by typing millimetres, the laser marker whose pin tip is the
// laser position, their coordinate tags, the positioning menu and the job's
// progress. The area only places things; the page sends the commands when it
// is told that something was let go or stepped.
Item {
    id: area

    property string fontFamily: Theme.fontFamily
    property int carveWidth: 1600
    property int carveHeight: 1600
    property real mmPerPix: 0.05
    // The published picture's size in engraving pixels; its preview may be
    // smaller, made at the size shown here.
    property int pictureWidth: 680
    property int pictureHeight: 680
    readonly property real scaleSize: height / carveWidth
    // One step of the positioning menu in screen units: 0.5 mm.
    readonly property real stepSize: 0.5 / mmPerPix * scaleSize

    // Where the picture and the marker were last placed.
    property alias pictureX: operateImageFrame.placedX
    property alias pictureY: operateImageFrame.placedY
    property alias markerX: carveLocation.placedX
    property alias markerY: carveLocation.placedY
    // A job's picture has been published: it shows (while the page does).
    property bool pictureShown: false
    // Where the next picture shown goes (a work file's placement), in the
    // area's units; null: where the picture before it was.
    property var nextPlace: null

    // The picture is being framed: a right click opens the positioning menu.
    property bool framing: false
    property bool markerDraggable: true
    property bool showCoordinates: true
    property bool showProgress: true
    // A job is under way: the progress line shows on the picture.
    property bool engraving: false
    // The burned area of the job, in engraving pixels.
    property int jobX: 0
    property int jobY: 0
    property int jobWidth: 0
    property int jobHeight: 0
    // The share of the job sent, 0 to 1.
    property real progress: 0

    // The marker was let go or clicked: its tip is where the laser goes.
    signal markerReleased()
    // The focused marker was moved with the arrow keys: the same, by key.
    signal markerJogged()
    // The picture was let go or clicked.
    signal pictureReleased()
    // The positioning menu moved the picture.
    signal pictureStepped()
    // A typed coordinate of the picture was refused (once for each field).
    signal coordinateRefused()

    // Shows a new picture: the first one in the middle of the area, each one
    // after it where the picture before it was placed (or where placeNext
    // asked for), moved in only as far as it must be to stay on the area.
    function showPicture(source) {
        operateImage.source = source
        var place = nextPlace || (pictureShown ? Qt.point(pictureX, pictureY) : null)
        nextPlace = null
        if (place)
            placePicture(Math.max(0, Math.min(place.x, width - operateImageFrame.width)),
                         Math.max(0, Math.min(place.y, height - operateImageFrame.height)))
        else
            placePicture((width - operateImageFrame.width) / 2, (height - operateImageFrame.height) / 2)
        pictureShown = true
        imageCoordinate.opacity = 1
    }

    function placePicture(x, y) {
        operateImageFrame.place(x, y)
    }

    // The next picture shown goes with its top-left corner at x, y mm.
    function placeNext(xMm, yMm) {
        nextPlace = Qt.point(xMm / mmPerPix * scaleSize, yMm / mmPerPix * scaleSize)
    }

    // The picture's top-left corner on the area, in engraving pixels.
    function pictureLeft() {
        return pictureX / scaleSize
    }

    function pictureTop() {
        return pictureY / scaleSize
    }

    function markerTipX() {
        return (markerX + carveLocation.width / 2) / scaleSize
    }

    function markerTipY() {
        return (markerY + carveLocation.height) / scaleSize
    }

    // The jog that a key event on the marker asks for; null for other keys
    // or while the marker may not move.
    function jogStep(event) {
        if (!markerDraggable || (event.modifiers & ~(Qt.ShiftModifier | Qt.KeypadModifier)) !== 0)
            return null
        var steps = (event.modifiers & Qt.ShiftModifier) ? 10 : 1
        switch (event.key) {
        case Qt.Key_Left: return { dx: -1, dy: 0, steps: steps }
        case Qt.Key_Right: return { dx: 1, dy: 0, steps: steps }
        case Qt.Key_Up: return { dx: 0, dy: -1, steps: steps }
        case Qt.Key_Down: return { dx: 0, dy: 1, steps: steps }
        default: return null
        }
    }

    function closeMenu() {
        imageLocMenu.visible = false
    }

    // A click on the picture: apply the typed millimetres, each field on its
    // own; a refused field leaves its axis alone.
    function applyPictureCoordinates() {
        var x = Helpers.typedMillimetres(imageCoordinate.xField.text)
        var y = Helpers.typedMillimetres(imageCoordinate.yField.text)
        var newX = pictureX
        var newY = pictureY
        if (x >= 0 && x <= (carveWidth - pictureWidth) * mmPerPix)
            newX = x / mmPerPix * scaleSize
        else
            coordinateRefused()
        if (y >= 0 && y <= (carveHeight - pictureHeight) * mmPerPix)
            newY = y / mmPerPix * scaleSize
        else
            coordinateRefused()
        placePicture(newX, newY)
    }

    // A click on the marker: typed millimetres move its tip; anything outside
    // the area is ignored without a message.
    function applyMarkerCoordinates() {
        var x = Helpers.typedMillimetres(markerCoordinate.xField.text)
        var y = Helpers.typedMillimetres(markerCoordinate.yField.text)
        var limit = carveWidth * mmPerPix
        var newX = markerX
        var newY = markerY
        if (x >= 0 && x <= limit)
            newX = x / mmPerPix * scaleSize - carveLocation.width / 2
        if (y >= 0 && y <= limit)
            newY = y / mmPerPix * scaleSize - carveLocation.height
        carveLocation.place(newX, newY)
    }

    // Moves the picture by a number of 0.5 mm steps in the direction dx, dy
    // (each -1, 0 or 1), stopping at the area's edges.
    function movePicture(dx, dy, steps) {
        var maxX = width - operateImageFrame.width
        var maxY = height - operateImageFrame.height
        placePicture(Math.max(0, Math.min(maxX, pictureX + dx * steps * stepSize)),
                     Math.max(0, Math.min(maxY, pictureY + dy * steps * stepSize)))
    }

    // Moves the marker by a number of 0.5 mm steps, its tip kept on the area.
    function jogMarker(dx, dy, steps) {
        carveLocation.place(Math.max(carveLocation.minimumX, Math.min(carveLocation.maximumX, markerX + dx * steps * stepSize)),
                            Math.max(carveLocation.minimumY, Math.min(carveLocation.maximumY, markerY + dy * steps * stepSize)))
        markerJogged()
    }

    // dx, dy are -1, 0 or 1 steps; the picture stays on the area.
    function stepPicture(dx, dy) {
        var maxX = width - operateImageFrame.width
        var maxY = height - operateImageFrame.height
        if ((dx < 0 && pictureX > 0) || (dx > 0 && pictureX < maxX)
                || (dy < 0 && pictureY > 0) || (dy > 0 && pictureY < maxY))
            placePicture(pictureX + dx * stepSize, pictureY + dy * stepSize)
        pictureStepped()
    }

    // The area's edges: the laser reaches no further.
    Rectangle {
        objectName: "areaBorder"
        anchors.fill: parent
        color: "transparent"
        border.width: 2
        border.color: Theme.line
    }

    // Left click anywhere on the area closes the positioning menu; a
    // right click opens it while framing.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onClicked: {
            if (mouse.button !== Qt.RightButton)
                imageLocMenu.visible = false
            else if (area.framing)
                imageLocMenu.openAt(mouse.x, mouse.y)
        }
    }

    Movable {
        id: operateImageFrame

        objectName: "operateImageFrame"
        visible: area.pictureShown
        width: area.pictureWidth * area.scaleSize + 4
        height: area.pictureHeight * area.scaleSize + 4
        border.width: 2
        border.color: Theme.frameBorder
        radius: 3
        maximumX: area.width - width
        maximumY: area.height - height
        dragArea.objectName: "imageDragArea"
        onLetGo: area.pictureReleased()
        onClicked: {
            imageCoordinate.xField.focus = false
            imageCoordinate.yField.focus = false
            imageLocMenu.visible = false
            area.applyPictureCoordinates()
        }

        Image {
            id: operateImage

            objectName: "operateImage"
            anchors.fill: parent
            anchors.margins: 2
            source: "image://screen"
            mipmap: true
            smooth: true
        }

        // Progress on the picture: the row the engraver has reached.
        Rectangle {
            objectName: "progressLine"
            visible: area.showProgress
            opacity: area.engraving ? 1 : 0
            x: area.jobX * area.scaleSize
            y: (area.jobY + area.jobHeight * area.progress) * area.scaleSize
            width: area.jobWidth * area.scaleSize + 5
            height: 2 / area.scale
            radius: 1 / area.scale
            color: Theme.frameBorder
        }
    }

    // The picture's position in millimetres, editable.
    CoordinateTag {
        id: imageCoordinate

        objectName: "imageCoordinate"
        fontFamily: area.fontFamily
        x: operateImageFrame.x
        y: operateImageFrame.y - height - 4
        opacity: 0
        visible: area.showCoordinates
        xValue: operateImageFrame.x / area.scaleSize * area.mmPerPix
        yValue: operateImageFrame.y / area.scaleSize * area.mmPerPix
        xField.objectName: "imageXField"
        yField.objectName: "imageYField"
    }

    // The laser head: the pin's tip is the laser position.
    Movable {
        id: carveLocation

        objectName: "carveLocation"
        width: 32
        height: 32
        x: 0
        y: 10
        placedY: 10
        draggable: area.markerDraggable
        minimumX: -width / 2
        maximumX: area.width - width / 2
        minimumY: -height
        maximumY: area.height - height
        dragArea.objectName: "markerDragArea"
        // Focused by a click or by Tab, it is jogged with the arrow keys
        // (Shift: ten steps), while it may be dragged.
        activeFocusOnTab: true
        border.width: activeFocus ? 1 : 0
        border.color: Theme.accentBorder
        onLetGo: {
            forceActiveFocus()
            area.markerReleased()
        }
        onClicked: area.applyMarkerCoordinates()
        // Taken before any shortcut of the window sees them.
        Keys.onShortcutOverride: event.accepted = area.jogStep(event) !== null
        Keys.onPressed: {
            var step = area.jogStep(event)
            if (step === null)
                return
            event.accepted = true
            area.jogMarker(step.dx, step.dy, step.steps)
        }

        Image {
            anchors.fill: parent
            source: "qrc:/image/pin.png"
            smooth: true
        }
    }

    CoordinateTag {
        id: markerCoordinate

        objectName: "markerCoordinate"
        fontFamily: area.fontFamily
        x: carveLocation.x
        y: carveLocation.y <= 0 ? carveLocation.y + carveLocation.height - height
                                : carveLocation.y - height - 4
        visible: area.showCoordinates
        xValue: (carveLocation.x + carveLocation.width / 2) / area.scaleSize * area.mmPerPix
        yValue: (carveLocation.y + carveLocation.height) / area.scaleSize * area.mmPerPix
        xField.objectName: "markerXField"
        yField.objectName: "markerYField"
    }

    StepMenu {
        id: imageLocMenu

        objectName: "imageLocMenu"
        fontFamily: area.fontFamily
        onStep: area.stepPicture(dx, dy)
    }
}
