#pragma once

#include <QLoggingCategory>

// Diagnostics of the processing pipeline and the algorithms.
Q_DECLARE_LOGGING_CATEGORY(lcImaging)
