#include "audiopulseserver.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QThread>

PulseAudioServer::PulseAudioServer() = default;

PulseAudioServer::~PulseAudioServer()
{
    stop();
}

bool PulseAudioServer::answers() const
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return pactl.waitForFinished(2000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
}

bool PulseAudioServer::start()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (program.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty()) {
        m_error = QStringLiteral("pulseaudio or pactl is not installed");
        return false;
    }
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->start(program,
                     {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                      QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                      QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix"),
                      QStringLiteral("-L"),
                      QStringLiteral("module-null-source source_name=%1 description=NullInput").arg(SourceName),
                      QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=lumidesk_null_output")});
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
