// Saves what the X display shows as a PNG: the screenshot script starts a
// program on its own virtual display and grabs it with this.
//
//   vandra_screengrab <output.png>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
        return 2;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "no screen\n");
        return 1;
    }
    const QPixmap shot = screen->grabWindow(0);
    if (shot.isNull() || !shot.save(app.arguments().at(1), "PNG")) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(app.arguments().at(1)));
        return 1;
    }
    return 0;
}
