#pragma once

#include <QLoggingCategory>

// Diagnostics of the canvas item and its drawing tools.
Q_DECLARE_LOGGING_CATEGORY(lcCanvas)
