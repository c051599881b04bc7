#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

class QMessageLogContext;

namespace drawlet {
namespace ui {

// The annotation program's message handler: appends every message of the process as one record to
// "DrawletLogFile.log" in the user's documents folder. When the file cannot be written the record goes
// to the standard error output instead, so nothing is lost and the program goes on.
void DebugMessageFileHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);

// One record as it is written, ending with the empty line that separates records.
QString formatLogRecord(QtMsgType type, const QMessageLogContext &context, const QString &message,
                        const QDateTime &time);

// "<documents>/DrawletLogFile.log".
QString logFilePath();

} // namespace ui
} // namespace drawlet
