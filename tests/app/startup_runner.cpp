// startup_runner <selectable|japanese> <root-url> [close-windows-after-ms]
#include "app/startup.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <cstdlib>
#include <cstring>

static int closeAfterMs = -1;

// Closes every window like a user would, once the application is running.
static void scheduleClose()
{
    if (closeAfterMs >= 0) {
        QTimer::singleShot(closeAfterMs, [] {
            for (QWindow *w : QGuiApplication::topLevelWindows())
                w->close();
        });
    }
}
Q_COREAPP_STARTUP_FUNCTION(scheduleClose)

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 64;
    if (argc > 3)
        closeAfterMs = std::atoi(argv[3]);
    const auto edition = std::strcmp(argv[1], "japanese") == 0 ? Startup::Edition::Japanese
                                                               : Startup::Edition::Selectable;
    int programOnly = 1;
    return Startup::run(programOnly, argv, edition, QUrl(QString::fromUtf8(argv[2])));
}
