#include "nginxrtmp.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {

int freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

NginxRtmp::NginxRtmp() = default;

NginxRtmp::~NginxRtmp()
{
    stop();
}

QString NginxRtmp::modulePath()
{
    const QString candidates[] = {
        QStringLiteral("/usr/lib/nginx/modules/ngx_rtmp_module.so"),
        QStringLiteral("/usr/share/nginx/modules/ngx_rtmp_module.so"),
    };
    for (const QString &path : candidates) {
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

bool NginxRtmp::start(int port)
{
    stop();
    if (!m_dir.isValid() || modulePath().isEmpty()) {
        m_error = QStringLiteral("no temporary folder or no RTMP module");
        return false;
    }
    QDir(m_dir.path()).mkpath(QStringLiteral("rec"));
    // A free port can be taken between the probe and nginx's bind: try a few.
    for (int attempt = 0; attempt < 5; ++attempt) {
        m_port = port > 0 ? port : freePort();
        if (m_port == 0 || !writeConfig())
            return false;
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::MergedChannels);
        m_process->start(QStringLiteral("nginx"),
                         { QStringLiteral("-p"), m_dir.path(), QStringLiteral("-e"),
                           m_dir.filePath(QStringLiteral("error.log")), QStringLiteral("-c"),
                           m_dir.filePath(QStringLiteral("nginx.conf")) });
        if (m_process->waitForStarted(5000) && waitUntilListening(5000))
            return true;
        m_error = QString::fromLocal8Bit(m_process->readAll()) + errorLog();
        stop();
        if (port > 0)
            QThread::msleep(200); // the old socket may still be closing
    }
    return false;
}

bool NginxRtmp::writeConfig()
{
    QFile config(m_dir.filePath(QStringLiteral("nginx.conf")));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QString text = QStringLiteral(
        "load_module %1;\n"
        "daemon off;\n"
        "master_process off;\n"
        "worker_processes 1;\n"
        "pid %2/nginx.pid;\n"
        "error_log %2/error.log info;\n"
        "events { worker_connections 64; }\n"
        "rtmp {\n"
        "    server {\n"
        "        listen 127.0.0.1:%3;\n"
        "        chunk_size 4096;\n"
        "        application live {\n"
        "            live on;\n"
        "            record all;\n"
        "            record_path %2/rec;\n"
        "            record_unique off;\n"
        "        }\n"
        "    }\n"
        "}\n").arg(modulePath(), m_dir.path()).arg(m_port);
    return config.write(text.toUtf8()) > 0;
}

bool NginxRtmp::waitUntilListening(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process->state() != QProcess::Running)
            return false;
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(m_port));
        if (socket.waitForConnected(200))
            return true;
        QThread::msleep(50);
    }
    return false;
}

void NginxRtmp::kill()
{
    if (!m_process)
        return;
    m_process->kill();
    m_process->waitForFinished(5000);
    m_process.reset();
}

void NginxRtmp::stop()
{
    if (!m_process)
        return;
    m_process->terminate();
    if (!m_process->waitForFinished(5000)) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
    m_process.reset();
}

bool NginxRtmp::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

QString NginxRtmp::url() const
{
    return QStringLiteral("rtmp://127.0.0.1:%1/live").arg(m_port);
}

QString NginxRtmp::recordPath(const QString &key) const
{
    return m_dir.filePath(QStringLiteral("rec/%1.flv").arg(key));
}

bool NginxRtmp::waitForRecording(const QString &key, int timeoutMs) const
{
    // The server closes the file as the publisher's connection ends, which its log tells; a busy
    // machine's publisher may stall for any time before that, so a file that stops growing for a
    // while says nothing. Complete is: the publisher gone and the server no longer holding the file.
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QString path = recordPath(key);
        if (publisherLeft(key) && QFileInfo(path).size() > 0 && !holdsOpen(path))
            return true;
        QThread::msleep(50);
    }
    return false;
}

// Whether the server (one process: no master) has the file open, read from its descriptors.
bool NginxRtmp::holdsOpen(const QString &path) const
{
    if (!isRunning())
        return false;
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(m_process->processId()));
    for (const QString &descriptor : descriptors.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFile::symLinkTarget(descriptors.filePath(descriptor)) == target)
            return true;
    }
    return false;
}

bool NginxRtmp::publisherLeft(const QString &key) const
{
    // "*7 publish: name='key' ..." and later "*7 disconnect, ...": the connection that last published
    // under the key has gone.
    const QString log = errorLog();
    const QRegularExpression published(
        QStringLiteral("\\*(\\d+) publish: name='%1'").arg(QRegularExpression::escape(key)));
    QString connection;
    int after = -1;
    QRegularExpressionMatchIterator matches = published.globalMatch(log);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        connection = match.captured(1);
        after = match.capturedEnd();
    }
    return !connection.isEmpty() && log.indexOf(QStringLiteral("*%1 disconnect").arg(connection), after) >= 0;
}

QString NginxRtmp::errorLog() const
{
    QFile log(m_dir.filePath(QStringLiteral("error.log")));
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(log.readAll());
}
