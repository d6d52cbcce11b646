// startup_runner <selectable|japanese> <root-url> [--close-windows-after MS] [Qt options]
#include "app/startup.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <cstring>
#include <vector>

static int closeAfterMs = -1;

static void scheduleClose()
{
    if (closeAfterMs < 0)
        return;
    QTimer::singleShot(closeAfterMs, [] {
        const auto windows = QGuiApplication::topLevelWindows();
        for (QWindow *w : windows)
            w->close();
    });
}
Q_COREAPP_STARTUP_FUNCTION(scheduleClose)

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 64;
    const auto edition = std::strcmp(argv[1], "japanese") == 0 ? Startup::Edition::Japanese
                                                               : Startup::Edition::Selectable;
    const QUrl root(QString::fromUtf8(argv[2]));
    std::vector<char *> rest {argv[0]};
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--close-windows-after") == 0 && i + 1 < argc)
            closeAfterMs = std::atoi(argv[++i]);
        else
            rest.push_back(argv[i]);
    }
    int restCount = int(rest.size());
    rest.push_back(nullptr);
    return Startup::run(restCount, rest.data(), edition, root);
}
