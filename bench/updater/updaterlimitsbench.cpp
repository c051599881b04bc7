// Measures what a hostile update server can make a download cost: the peak memory (VmHWM) and the peak
// disk use of the downloading process, and how long the download runs before it ends, with the
// program's own limits.
//
// Each case runs in fresh processes: a copy of this program with --serve runs the scripted server, and
// another with --fetch runs one VantoUpdater download against it in a private cache folder while a
// thread of its own polls the process's memory and the folder's size every 20 ms (a thread, so that a
// busy event loop cannot hide the figures). A guard ends a download that would not end by itself after
// 120 s, 2 GiB on disk or 2 GiB of memory, by ending the process: the figures of an unbounded download
// are lower bounds.
//
// Cases: an endless 200 body fetched as a package; a 1 MiB gzip body that inflates to 1 GiB fetched as
// a package; a package that announces 1 GiB and sends 1.2 KB/s (120 bytes every 100 ms), which its
// size at the least rate would allow more than 9 hours; an endless update.cfg fetched by the software
// check.
#include "scriptedhttpserver.h"
#include "vantoupdater.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMetaEnum>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <atomic>
#include <cstdlib>

namespace {

const qint64 MiB = 1024 * 1024;
const qint64 GuardDiskBytes = 2048 * MiB;
const qint64 GuardMemoryBytes = 2048 * MiB;
const int GuardMsecs = 120000;

struct Case
{
    const char *name;
    const char *path;
    bool check;
};

const Case Cases[] = {
    {"endless 200 body (package)", "/pkg/LinuxUpdater.zip", false},
    {"1 MiB gzip inflating to 1 GiB (package)", "/bomb/LinuxUpdater.zip", false},
    {"1 GiB announced, 1.2 KB/s (package)", "/trickle/LinuxUpdater.zip", false},
    {"endless update.cfg (software check)", "/Tivlo/check4Update/update.cfg", true},
};

qint64 statusValue(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// The bytes in files below path: those with a name, and those this process holds open without one
// (a file being saved is written unnamed and linked into place only once complete).
qint64 folderBytes(const QString &path)
{
    qint64 total = 0;
    QDirIterator it(path, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    const QString canonical = QFileInfo(path).canonicalFilePath();
    QDirIterator fds(QStringLiteral("/proc/self/fd"), QDir::AllEntries | QDir::System);
    while (fds.hasNext()) {
        const QString fd = fds.next();
        const QString target = QFile::symLinkTarget(fd);
        if (target.startsWith(canonical) && !QFileInfo::exists(target))
            total += QFileInfo(fd).size();
    }
    return total;
}

int serve()
{
    ScriptedHttpServer server;
    if (!server.listen())
        return 1;
    ScriptedHttpServer::Reply endless;
    endless.body = QByteArray(64 * 1024, 'x');
    endless.endless = true;
    server.route("/pkg/LinuxUpdater.zip", endless);
    server.route("/Tivlo/check4Update/update.cfg", endless);
    ScriptedHttpServer::Reply bomb;
    bomb.body = ScriptedHttpServer::gzipped(QByteArray(int(MiB), '\0'), 1024);
    bomb.headers.append({QByteArray("Content-Encoding"), QByteArray("gzip")});
    server.route("/bomb/LinuxUpdater.zip", bomb);
    ScriptedHttpServer::Reply trickle;
    trickle.body = QByteArray(int(MiB), 't');
    trickle.announcedLength = 1024 * MiB;
    trickle.pieceBytes = 120;
    trickle.pieceDelayMsecs = 100;
    server.route("/trickle/LinuxUpdater.zip", trickle);
    QTextStream(stdout) << server.port() << " " << bomb.body.size() << Qt::endl;
    return qApp->exec();
}

// Watches the downloading process from a thread of its own.
class Monitor : public QThread
{
public:
    explicit Monitor(const QString &folder) : m_folder(folder) {}
    std::atomic<qint64> lastRead{0};
    std::atomic<bool> done{false};
    qint64 peakDisk = 0;

    QString figures(bool ok, bool guarded) const
    {
        return QStringLiteral("%1%2 after %3 s, %4 KiB read; peak memory %5 MiB, peak disk %6 MiB")
            .arg(QLatin1String(ok ? "succeeded" : "failed"),
                 QLatin1String(guarded ? " (stopped by the guard)" : ""))
            .arg(m_clock.elapsed() / 1000.0, 0, 'f', 2)
            .arg(lastRead / 1024)
            .arg(statusValue("VmHWM:") / MiB)
            .arg(peakDisk / MiB);
    }
    void startClock() { m_clock.start(); }

protected:
    void run() override
    {
        while (!done) {
            peakDisk = qMax(peakDisk, folderBytes(m_folder));
            if (m_clock.elapsed() > GuardMsecs || peakDisk > GuardDiskBytes || statusValue("VmRSS:") > GuardMemoryBytes) {
                QTextStream(stdout) << figures(false, true) << Qt::endl;
                std::_Exit(0);
            }
            msleep(20);
        }
        peakDisk = qMax(peakDisk, folderBytes(m_folder));
    }

private:
    QString m_folder;
    QElapsedTimer m_clock;
};

int fetch(const QString &base, const QString &path, bool check)
{
    VantoUpdater::setUpdateServerBase(QUrl(base));
    VantoUpdater updater;
    // The parent folder too: a download may write beside its own folder.
    Monitor monitor(QFileInfo(updater.downloadFolder() + QStringLiteral("..")).absoluteFilePath());
    QObject::connect(&updater, &VantoUpdater::dataReadProgress, [&](qint64 read, qint64) { monitor.lastRead = read; });
    monitor.startClock();
    monitor.start();
    bool ok = false;
    if (check) {
        QString remote;
        ok = updater.checkSWVersion(&remote) == 0;
    } else {
        ok = updater.downloadFile(QUrl(base + path.mid(1)));
    }
    monitor.done = true;
    monitor.wait();
    QTextStream out(stdout);
    out << monitor.figures(ok, false);
    if (!ok && !check)
        out << " (" << QMetaEnum::fromType<VantoUpdater::DownloadFailure>().valueToKey(updater.downloadFailure())
            << ")";
    out << Qt::endl;
    return 0;
}

int drive()
{
    QTextStream out(stdout);
    const QString self = QCoreApplication::applicationFilePath();
    for (const Case &c : Cases) {
        QProcess server;
        server.start(self, {QStringLiteral("--serve")});
        if (!server.waitForReadyRead(120000))
            return 1;
        const QList<QByteArray> ready = server.readLine().trimmed().split(' ');
        const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(QString::fromLatin1(ready.value(0)));

        QTemporaryDir home;
        QProcess client;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path());
        env.insert(QStringLiteral("HOME"), home.path());
        client.setProcessEnvironment(env);
        client.start(self, {QStringLiteral("--fetch"), base, QString::fromLatin1(c.path),
                            QString::number(c.check ? 1 : 0)});
        client.waitForFinished(120000);
        out << c.name << ": " << client.readAllStandardOutput().trimmed();
        if (QByteArray(c.path).startsWith("/bomb"))
            out << " (body " << ready.value(1).toLongLong() / 1024 << " KiB)";
        out << Qt::endl;
        server.kill();
        server.waitForFinished();
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--serve"))
        return serve();
    if (args.value(1) == QLatin1String("--fetch"))
        return fetch(args.value(2), args.value(3), args.value(4) == QLatin1String("1"));
    return drive();
}
