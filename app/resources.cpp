#include "app/resources.h"

#include <QtCore/QtGlobal>

static void initResourcesOnce()
{
    Q_INIT_RESOURCE(qml);
    Q_INIT_RESOURCE(translations);
}

void initVandraResources()
{
    static const bool done = (initResourcesOnce(), true);
    Q_UNUSED(done);
}
