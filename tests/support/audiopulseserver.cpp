#include "audiopulseserver.h"

#include "toolrun.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr int PactlTimeoutMs = 5000;

} // namespace

PulseAudioServer::PulseAudioServer() = default;

PulseAudioServer::~PulseAudioServer()
{
    stop();
}

bool PulseAudioServer::isInstalled()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()
           && !QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty();
}

bool PulseAudioServer::pactl(const QStringList &arguments, QString *output) const
{
    QProcess process;
    if (!runTool(process, QStringLiteral("pactl"), arguments, PactlTimeoutMs).isEmpty())
        return false;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return true;
}

bool PulseAudioServer::answers() const
{
    return pactl({QStringLiteral("info")});
}

bool PulseAudioServer::start()
{
    if (m_process)
        return true;
    if (!isInstalled()) {
        m_error = QStringLiteral("pulseaudio or pactl is not installed");
        return false;
    }
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->start(QStandardPaths::findExecutable(QStringLiteral("pulseaudio")),
                     {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                      QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                      QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix"),
                      QStringLiteral("-L"),
                      QStringLiteral("module-null-source source_name=%1 description=NullInput").arg(SourceName),
                      QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=%1").arg(SinkName)});
    if (!m_process->waitForStarted(3000)) {
        m_error = QStringLiteral("pulseaudio did not start");
        m_process.reset();
        return false;
    }
    QDeadlineTimer deadline(8000);
    while (!deadline.hasExpired()) {
        if (m_process->state() != QProcess::Running) {
            m_error = QStringLiteral("pulseaudio ended: ") + QString::fromLocal8Bit(m_process->readAll());
            m_process.reset();
            return false;
        }
        if (answers())
            return true;
        QThread::msleep(100);
    }
    m_error = QStringLiteral("pulseaudio does not answer");
    stop();
    return false;
}

void PulseAudioServer::stop()
{
    if (!m_process)
        return;
    m_process->terminate();
    if (!m_process->waitForFinished(3000)) {
        m_process->kill();
        m_process->waitForFinished(3000);
    }
    m_process.reset();
}

int PulseAudioServer::addSource(const QString &name, const QString &description)
{
    QString output;
    if (!pactl({QStringLiteral("load-module"), QStringLiteral("module-null-source"),
                QStringLiteral("source_name=%1").arg(name), QStringLiteral("description=\"%1\"").arg(description)},
               &output))
        return -1;
    bool ok = false;
    const int index = output.trimmed().toInt(&ok);
    return ok ? index : -1;
}

bool PulseAudioServer::removeSource(int moduleIndex)
{
    return moduleIndex >= 0 && pactl({QStringLiteral("unload-module"), QString::number(moduleIndex)});
}
