#pragma once

#include <QLoggingCategory>

// Diagnostics of the engraver link, its protocol and the job upload.
Q_DECLARE_LOGGING_CATEGORY(lcEngraver)
