#include "debugmessagefilehandler.h"

#include "desktop/desktoppaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QTextStream>

#include <cstdio>

namespace drawlet {
namespace ui {

namespace {

QLatin1String levelTag(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QLatin1String("{Debug}\t");
    case QtWarningMsg:
        return QLatin1String("{Warning}\t");
    case QtCriticalMsg:
        return QLatin1String("{Critical}\t");
    case QtInfoMsg:
        return QLatin1String("{Info}\t");
    case QtFatalMsg:
        break;
    }
    return QLatin1String("{Fatal}\t");
}

// Messages come from any thread (Qt's own threads log too); records are written whole, one at a time.
QBasicMutex logMutex;

} // namespace

QString logFilePath()
{
    return platform::DesktopPaths::documentsFolder() + QLatin1String("/DrawletLogFile.log");
}

QString formatLogRecord(QtMsgType type, const QMessageLogContext &context, const QString &message,
                        const QDateTime &time)
{
    const int nul = message.indexOf(QChar(0));
    return QLatin1String("[") + time.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) + QLatin1String("] ")
            + levelTag(type)
            + QLatin1String("Func: ") + QString::fromLatin1(context.function)
            + QLatin1String(" has be called!!\n")
            + QLatin1String("<Msg>: ") + (nul < 0 ? message : message.left(nul)) + QLatin1String(" \n")
            + QLatin1String("at ") + QString::fromUtf8(context.file) + QLatin1String(" line: ")
            + QString::number(context.line) + QLatin1String("\n\n");
}

void DebugMessageFileHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // A fatal message is written too: it is the reason the process ends (Qt aborts after this).
    const QString record = formatLogRecord(type, context, message, QDateTime::currentDateTime());
    QMutexLocker locker(&logMutex);
    const QString path = logFilePath();
    QFile file(path);
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text;
    // The folder is made only when the file cannot be opened, not for every message.
    const bool opened = file.open(mode) || (QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(mode));
    if (opened) {
        QTextStream stream(&file);
        stream.setCodec("UTF-8");
        stream << record;
        stream.flush();
        if (stream.status() == QTextStream::Ok && file.error() == QFileDevice::NoError)
            return;
    }
    const QByteArray bytes = record.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace ui
} // namespace drawlet
