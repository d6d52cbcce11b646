import QtQuick 2.7

Rectangle {
    anchors.fill: parent
}
