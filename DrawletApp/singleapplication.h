#pragma once

#include <QApplication>
#include <QString>

class QLocalSocket;

namespace platform {
class LocalListener;
}

namespace drawlet {
namespace application {

// The annotation program's application object, which also keeps it to one instance per user: the
// first start listens on the local socket named after the application ("Drawlet", in the user's
// private runtime folder); a later start connects to it, hands over its last command-line argument
// and is told to end (isRunning()).
class SingleApplication : public QApplication
{
    Q_OBJECT

public:
    static const char ApplicationName[];
    // How long a later start tries to reach the running one.
    static const int ConnectTimeoutMs = 500;
    // How long the running instance waits for a handed-over argument.
    static const int HandOverWaitMs = 1000;
    // What the running instance reads of a hand-over at most.
    static const int HandOverLimitBytes = 4096;

    SingleApplication(int &argc, char **argv);
    ~SingleApplication() override;

    // True when another instance runs and got the argument: the caller ends at once.
    bool isRunning() const { return m_running; }
    // True while this instance holds the name.
    bool isGuarding() const;

public slots:
    void newLocalConnection(QLocalSocket *socket);

private:
    bool handOver(const QString &path);
    void readHandOver(QLocalSocket *socket);

    platform::LocalListener *m_localServer = nullptr;
    bool m_running = false;
};

} // namespace application
} // namespace drawlet
