#pragma once

#include <QLoggingCategory>

// Diagnostics of the engraver link, its protocol and the job upload.
Q_DECLARE_LOGGING_CATEGORY(lcEngraver)
// The upload's line per chunk (a data request answered, the end of the
// data): thousands a job, so a release build keeps them quiet unless
// QT_LOGGING_RULES="vandra.upload.debug=true" asks for them.
Q_DECLARE_LOGGING_CATEGORY(lcUpload)
