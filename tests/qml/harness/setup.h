#pragma once

#include <QObject>

class Operations;
class QQmlEngine;

// Prepares every Qt Quick Test engine the way the start-up prepares the
// program's engine: resources, the DrawBoard type, a fresh "operationEnd"
// with its "screen" provider, and the edition flag. The environment variable
// VANDRA_TEST_LANGUAGE ("English" or "日本の") installs that translation and
// VANDRA_TEST_EDITION=japanese makes the documents run as the Japanese edition.
class QuickTestSetup : public QObject
{
    Q_OBJECT
public:
    // The controller made for the latest engine.
    Operations *operations() const { return m_operations; }

public slots:
    void applicationAvailable();
    void qmlEngineAvailable(QQmlEngine *engine);

private:
    Operations *m_operations = nullptr;
};
