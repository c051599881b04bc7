#include "dialogs/updateinstaller.h"

#include "common/lumidesklog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

const char UpdateInstaller::ScriptName[] = "install.sh";
const char UpdateInstaller::PackageFolderName[] = "package";

namespace {

constexpr Journix::LogLevel FailureLevel = Journix::Critical;
constexpr Journix::LogLevel StateLevel = Journix::Warning;
// What a failing step said, kept short for the log.
constexpr int OutputTail = 2048;

const char *stepName(bool unpacking)
{
    return unpacking ? "unzip" : "install.sh";
}

} // namespace

UpdateInstaller::UpdateInstaller(QObject *parent)
    : QObject(parent)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMIDESK_APP_DIR"), QCoreApplication::applicationDirPath());
    m_process.setProcessEnvironment(environment);
    connect(&m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &UpdateInstaller::stepFinished);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            stepFailed(QStringLiteral("could not be started"));
    });
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        stepFailed(QStringLiteral("took too long"));
        m_process.kill();
    });
}

UpdateInstaller::~UpdateInstaller()
{
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

bool UpdateInstaller::start(const QString &folder, const QString &archiveName)
{
    // The archive is a plain name in folder, nothing reached through another folder.
    if (isRunning() || folder.isEmpty() || archiveName.isEmpty() || archiveName.contains(QLatin1Char('/')))
        return false;
    const QFileInfo archive(QDir(folder).filePath(archiveName));
    if (!archive.isFile()) {
        _LumideskLog::log(FailureLevel, "Update package not found.");
        return false;
    }
    m_archive = archive.absoluteFilePath();
    m_packageFolder = QDir(folder).filePath(QString::fromLatin1(PackageFolderName));
    // A package unpacked before must not lend its files to this one.
    QDir(m_packageFolder).removeRecursively();
    if (!QDir().mkpath(m_packageFolder)) {
        _LumideskLog::log(FailureLevel, "Cannot make the folder to unpack the update package in.");
        return false;
    }
    run(Unpacking, QStringLiteral("unzip"),
        {QStringLiteral("-o"), QStringLiteral("-d"), m_packageFolder, m_archive}, m_unpackLimit);
    return true;
}

void UpdateInstaller::setTimeLimits(int unpackMsecs, int scriptMsecs)
{
    m_unpackLimit = unpackMsecs;
    m_scriptLimit = scriptMsecs;
}

void UpdateInstaller::run(Step step, const QString &program, const QStringList &arguments, int timeLimit)
{
    m_step = step;
    m_process.setWorkingDirectory(m_packageFolder);
    m_limit.start(timeLimit);
    m_process.start(program, arguments);
}

void UpdateInstaller::stepFinished(int exitCode, QProcess::ExitStatus status)
{
    if (m_step == Idle)
        return;
    m_limit.stop();
    if (status != QProcess::NormalExit || exitCode != 0) {
        stepFailed(QStringLiteral("ended with status %1").arg(status == QProcess::NormalExit ? exitCode : -1));
        return;
    }
    if (m_step == Unpacking) {
        const QString script = QDir(m_packageFolder).filePath(QString::fromLatin1(ScriptName));
        if (!QFileInfo(script).isFile()) {
            stepFailed(QStringLiteral("left no install.sh"));
            return;
        }
        run(Installing, QStringLiteral("sh"), {QStringLiteral("./") + QString::fromLatin1(ScriptName)},
            m_scriptLimit);
        return;
    }
    _LumideskLog::log(StateLevel, "Update package installed.");
    finish(true);
}

void UpdateInstaller::stepFailed(const QString &why)
{
    if (m_step == Idle)
        return;
    m_limit.stop();
    const QByteArray output = m_process.readAll().right(OutputTail);
    _LumideskLog::log(FailureLevel, "Update install failed: %s %s. %s", stepName(m_step == Unpacking),
                      why.toUtf8().constData(), output.constData());
    finish(false);
}

void UpdateInstaller::finish(bool success)
{
    m_step = Idle;
    // From the event loop, so a receiver may delete whoever owns this installer.
    QMetaObject::invokeMethod(this, [this, success] { emit finished(success); }, Qt::QueuedConnection);
}
