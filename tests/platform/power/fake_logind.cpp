// logind's side of the conversation for a test that must not load D-Bus itself:
//
//   fake_logind ADDRESS
//
// owns logind's name on the bus at ADDRESS and prints "ready"; answers Inhibit with a descriptor and
// prints "inhibit"; sends PrepareForSleep(true) for each line "sleep" on its input and
// PrepareForSleep(false) for each line "wake". Ends when its input ends.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QSocketNotifier>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

namespace {

const QString Path = QStringLiteral("/org/freedesktop/login1");
const QString Interface = QStringLiteral("org.freedesktop.login1.Manager");

void say(const char *word)
{
    std::printf("%s\n", word);
    std::fflush(stdout);
}

} // namespace

class FakeLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString &, const QString &, const QString &, const QString &)
    {
        say("inhibit");
        m_lockFile.open();
        return QDBusUnixFileDescriptor(m_lockFile.handle());
    }

private:
    QTemporaryFile m_lockFile;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLocal8Bit(argv[1]), QStringLiteral("logind"));
    FakeLogind logind;
    if (!bus.registerService(QStringLiteral("org.freedesktop.login1"))
        || !bus.registerObject(Path, &logind, QDBusConnection::ExportAllSlots))
        return 1;

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        const ssize_t read = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (read <= 0) {
            input.setEnabled(false);
            app.quit();
            return;
        }
        pending.append(buffer, int(read));
        for (int end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            QDBusMessage signal = QDBusMessage::createSignal(Path, Interface, QStringLiteral("PrepareForSleep"));
            signal << (line == "sleep");
            bus.send(signal);
        }
    });
    say("ready");
    return app.exec();
}

#include "fake_logind.moc"
