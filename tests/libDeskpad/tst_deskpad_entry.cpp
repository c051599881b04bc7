// The plug-in's entry, reached the way DrawletApp's plug-in controller reaches it: the built library loaded
// with QLibrary from where the controller looks for it, the C entry resolved by name, the panel driven
// through its interface and its signals connected by name. Nothing of the plug-in is linked.

#include "deskpadintf.h"

#include "linkrawserver.h"
#include "linkrawsocket.h"

#include "desktop/installlayout.h"

#include <QLibrary>
#include <QPointer>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

class TestDeskpadEntry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void oneReferenceCountedPanel();
    void lastReleaseOnAnotherThreadDeletesOnTheGuiThread();
    void firstAcquireOnlyOnTheGuiThread();
    void relaysTheLinkSignals();
    void reportsAnAbsentServer();

private:
    static int references(DeskpadIntf *panel);

    AcquireDeskpadImplFunction m_acquire = nullptr;
};

void TestDeskpadEntry::initTestCase()
{
    const QString path = platform::InstallLayout::deskpadPlugin(QStringLiteral(LUMIDESK_DRAWLET_OUTPUT_DIR));
    QLibrary library(path);
    QVERIFY2(library.load(), qPrintable(library.errorString()));
    // An unmangled name: the entry has C linkage.
    m_acquire = reinterpret_cast<AcquireDeskpadImplFunction>(library.resolve(DESKPAD_ENTRY_NAME));
    QVERIFY(m_acquire);
}

int TestDeskpadEntry::references(DeskpadIntf *panel)
{
    int count = -1;
    QMetaObject::invokeMethod(panel, "referenceCount", Qt::DirectConnection, Q_RETURN_ARG(int, count));
    return count;
}

void TestDeskpadEntry::oneReferenceCountedPanel()
{
    DeskpadIntf *first = m_acquire();
    DeskpadIntf *second = m_acquire();
    QVERIFY(first);
    QCOMPARE(second, first);
    QCOMPARE(references(first), 2);
    QWidget *widget = first->createWidget();
    QVERIFY(widget);
    QCOMPARE(second->createWidget(), widget);

    QPointer<DeskpadIntf> panel(first);
    QPointer<QWidget> panelWidget(widget);
    first->release();
    QVERIFY(panel && panelWidget);
    QCOMPARE(first->createWidget(), widget);
    second->release();
    QVERIFY(!panel);
    QVERIFY(!panelWidget);

    DeskpadIntf *again = m_acquire();
    QVERIFY(again);
    QCOMPARE(references(again), 1);
    QPointer<QWidget> newWidget(again->createWidget());
    QVERIFY(newWidget);
    again->release();
    QVERIFY(!newWidget);
}

void TestDeskpadEntry::lastReleaseOnAnotherThreadDeletesOnTheGuiThread()
{
    DeskpadIntf *panel = m_acquire();
    QPointer<DeskpadIntf> alive(panel);
    QThread *deletedOn = nullptr;
    connect(panel->createWidget(), &QObject::destroyed, this, [&] { deletedOn = QThread::currentThread(); },
            Qt::DirectConnection);

    QThread *worker = QThread::create([panel] { panel->release(); });
    worker->start();
    QVERIFY(worker->wait(5000));
    delete worker;

    // The panel waits for the GUI thread; meanwhile a stray release neither counts below zero nor
    // deletes it twice, and a new acquire makes a new panel.
    QVERIFY(alive);
    panel->release();
    QCOMPARE(references(panel), 0);
    DeskpadIntf *next = m_acquire();
    QVERIFY(next && next != panel);

    QTRY_VERIFY(!alive);
    QCOMPARE(deletedOn, QThread::currentThread());
    next->release();
}

void TestDeskpadEntry::firstAcquireOnlyOnTheGuiThread()
{
    DeskpadIntf *offThread = reinterpret_cast<DeskpadIntf *>(1);
    QThread *worker = QThread::create([&] { offThread = m_acquire(); });
    worker->start();
    QVERIFY(worker->wait(5000));
    QCOMPARE(offThread, nullptr);

    // With a panel made, any thread may take and give back a reference.
    DeskpadIntf *panel = m_acquire();
    DeskpadIntf *shared = nullptr;
    QThread *second = QThread::create([&] {
        shared = m_acquire();
        shared->release();
    });
    second->start();
    QVERIFY(second->wait(5000));
    QCOMPARE(shared, panel);
    QCOMPARE(references(panel), 1);
    panel->release();
    delete worker;
    delete second;
}

void TestDeskpadEntry::relaysTheLinkSignals()
{
    LinkRawServer server;
    QVERIFY(server.listen(QStringLiteral("LumideskServer")));
    DeskpadIntf *panel = m_acquire();
    QSignalSpy hided(panel, SIGNAL(lumideskHided(int,int)));
    QSignalSpy language(panel, SIGNAL(langChanged(QString)));
    QSignalSpy shutdown(panel, SIGNAL(serverShutdown()));
    QTRY_VERIFY(panel->checkServerAlive() && server.newestPeer());
    LinkRawSocket *peer = server.newestPeer();

    peer->writeFrame(QStringLiteral("cap_hideLumidesk/p120/p-40"));
    peer->writeFrame(QStringLiteral("cap_changeLanguage/pen_US"));
    QTRY_COMPARE(language.count(), 1);
    QCOMPARE(hided.value(0), (QList<QVariant>{120, -40}));
    QCOMPARE(language.value(0).value(0).toString(), QStringLiteral("en_US"));

    // The screen goes back to the main program through the interface's slot, called by name.
    QVERIFY(QMetaObject::invokeMethod(panel, "showLumidesk", Q_ARG(int, 640), Q_ARG(int, -12)));
    QTRY_COMPARE(peer->messages(), (QStringList{"cap_panelReady", "cap_showLumidesk/p640/p-12"}));

    QCOMPARE(shutdown.count(), 0);
    server.close();
    QTRY_VERIFY(shutdown.count() >= 1);
    QVERIFY(!panel->checkServerAlive());
    panel->release();
}

void TestDeskpadEntry::reportsAnAbsentServer()
{
    DeskpadIntf *panel = m_acquire();
    QSignalSpy shutdown(panel, SIGNAL(serverShutdown()));
    QVERIFY(!panel->checkServerAlive());
    QTRY_VERIFY_WITH_TIMEOUT(shutdown.count() >= 1, 15000);
    panel->release();
}

QTEST_MAIN(TestDeskpadEntry)
#include "tst_deskpad_entry.moc"
