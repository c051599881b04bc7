#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

// Installs a downloaded software package: unpacks the archive into a fresh "package" folder beside it
// ("unzip -o -d <folder>/package <archive>") and runs the package's script there ("sh ./install.sh",
// with that folder as working folder and LUMIDESK_APP_DIR naming the program's folder). Both run without
// a shell; each must end normally with status 0 within its time limit, or the install has failed.
//
// The caller starts it only with a verified download and keeps the folder (the update object that owns
// it) until finished() has come.
class UpdateInstaller : public QObject
{
    Q_OBJECT

public:
    static const char ScriptName[];
    static const char PackageFolderName[];
    static constexpr int DefaultUnpackTimeLimit = 2 * 60 * 1000;
    static constexpr int DefaultScriptTimeLimit = 10 * 60 * 1000;

    explicit UpdateInstaller(QObject *parent = nullptr);
    ~UpdateInstaller() override;

    // False, with nothing started, when an install runs already or archiveName is not the plain name of
    // a file in folder.
    bool start(const QString &folder, const QString &archiveName);
    bool isRunning() const { return m_step != Idle; }
    void setTimeLimits(int unpackMsecs, int scriptMsecs);

signals:
    // Comes from the event loop after the last step, never from inside start().
    void finished(bool success);

private:
    enum Step { Idle, Unpacking, Installing };

    void run(Step step, const QString &program, const QStringList &arguments, int timeLimit);
    void stepFinished(int exitCode, QProcess::ExitStatus status);
    void stepFailed(const QString &why);
    void finish(bool success);

    QProcess m_process;
    QTimer m_limit;
    Step m_step = Idle;
    QString m_packageFolder;
    QString m_archive;
    int m_unpackLimit = DefaultUnpackTimeLimit;
    int m_scriptLimit = DefaultScriptTimeLimit;
};
