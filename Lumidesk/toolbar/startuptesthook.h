#pragma once

#include <QFile>
#include <QObject>
#include <QSet>

class LumideskStartup;
class QSocketNotifier;
class QWindow;

// Lets a test drive the running program without a window-manager tool. It exists only in the test
// build of the program (LumideskTestHost), never in the installed one: it prints
// "shown <class> <w>x<h>+<x>+<y>" on standard output each time a top-level window is mapped, and reads
// commands from standard input: "ok" presses the first-run guide's OK button, "close" closes the
// toolbar.
class StartupTestHook : public QObject
{
    Q_OBJECT

public:
    // Before the start, once the program found no other one running: LUMIDESK_TEST_UPDATE_SERVER,
    // when set, is the update server the start-up check asks (a test's own on 127.0.0.1) in place of
    // the build's; with LUMIDESK_TEST_HOLD_START set, the start prints "holding" and waits for a line
    // "go" on standard input, so a test can start another while this one is under way.
    static void prepare();

    explicit StartupTestHook(LumideskStartup *startup, QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void readCommand();

private:
    void report(QWindow *window);

    LumideskStartup *m_startup;
    QFile m_input;
    QSocketNotifier *m_notifier = nullptr;
    QSet<QWindow *> m_shown;
};
