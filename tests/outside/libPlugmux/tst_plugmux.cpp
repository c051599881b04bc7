// The plug-in controller on a stand-in panel plug-in loaded from disk: what it refuses, what it relays
// each way, and that it gives its panel reference back.
#include "fakepanel.h"
#include "plugmux.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSignalSpy>
#include <QWidget>
#include <QtTest>

#include <memory>

using drawlet::ui::Plugmux;

class TestPlugmux : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void refusesWhatIsNoPanel_data();
    void refusesWhatIsNoPanel();
    void looksBesideTheProgram();
    void relaysBetweenPanelAndProgram();
    void serverAliveFollowsThePanel();
    void bringsBackOnlyWhatItHid();
    void givesItsReferenceBack();

private:
    FakePanel m_fake {QStringLiteral(FAKE_DESKPAD_PATH)};
};

void TestPlugmux::init()
{
    QVERIFY2(m_fake.isLoaded(), qPrintable(m_fake.errorString()));
    m_fake.setServerAlive(true);
}

void TestPlugmux::refusesWhatIsNoPanel_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QStringLiteral("/nonexistent/plugins/libDeskpad.so") << "cannot load";
    QTest::newRow("no entry") << QStringLiteral(NO_ENTRY_PATH) << "has no entry acquireDeskpadImpl";
}

void TestPlugmux::refusesWhatIsNoPanel()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(reason)));
    std::unique_ptr<Plugmux> controller(Plugmux::createPlugmux(nullptr, path));
    QVERIFY(!controller);
}

// This test runs from a folder shaped like the annotation program's: the stand-in panel lies where the
// build put it, in plugins/ one level up, and that is where the controller looks by itself.
void TestPlugmux::looksBesideTheProgram()
{
    const QString placed = QFileInfo(QStringLiteral(FAKE_DESKPAD_PATH)).canonicalFilePath();
    QCOMPARE(QFileInfo(QStringLiteral(FAKE_DESKPAD_PATH)).dir().dirName(), QStringLiteral("plugins"));
    QCOMPARE(QFileInfo(Plugmux::defaultPluginPath()).canonicalFilePath(), placed);
    std::unique_ptr<Plugmux> controller(Plugmux::createPlugmux(nullptr));
    QVERIFY(controller);
    QCOMPARE(controller->getPluginWidget()->objectName(), QStringLiteral("fakeDeskpadWidget"));
}

void TestPlugmux::relaysBetweenPanelAndProgram()
{
    QPointer<QObject> parent(new QObject);
    Plugmux *controller = Plugmux::createPlugmux(parent, QStringLiteral(FAKE_DESKPAD_PATH));
    QVERIFY(controller);
    QCOMPARE(controller->parent(), parent.data());
    QCOMPARE(controller->getPluginWidget()->objectName(), QStringLiteral("fakeDeskpadWidget"));

    QSignalSpy shutdown(controller, &Plugmux::serverShutdown);
    QSignalSpy hided(controller, &Plugmux::lumideskHided);
    QSignalSpy language(controller, &Plugmux::drawletLanguageChanged);
    m_fake.emitLumideskHided(120, -40);
    m_fake.emitLangChanged(QStringLiteral("en_US"));
    m_fake.emitServerShutdown();
    QCOMPARE(hided.value(0), (QList<QVariant>{120, -40}));
    QCOMPARE(language.value(0).value(0).toString(), QStringLiteral("en_US"));
    QCOMPARE(shutdown.count(), 1);

    controller->drawletHided(640, -12);
    QCOMPARE(m_fake.shownAt(), QStringList{"640,-12"});
    delete parent;
    QVERIFY(!m_fake.panel());
}

void TestPlugmux::serverAliveFollowsThePanel()
{
    std::unique_ptr<Plugmux> controller(Plugmux::createPlugmux(nullptr, QStringLiteral(FAKE_DESKPAD_PATH)));
    QVERIFY(controller->checkServerAlive());
    m_fake.setServerAlive(false);
    QElapsedTimer waited;
    waited.start();
    QVERIFY(!controller->checkServerAlive());
    // A link still being set up gets a short while, not more; the bound above leaves a busy machine
    // its stalls and still tells a grace from a wait without end.
    QVERIFY(waited.elapsed() >= Plugmux::ConnectGraceMs - 50);
    QVERIFY(waited.elapsed() < Plugmux::ConnectGraceMs + 5000);
}

void TestPlugmux::bringsBackOnlyWhatItHid()
{
    std::unique_ptr<Plugmux> controller(Plugmux::createPlugmux(nullptr, QStringLiteral(FAKE_DESKPAD_PATH)));
    QWidget *panel = controller->getPluginWidget();
    panel->show();
    controller->hideWidget();
    QVERIFY(!panel->isVisible());
    controller->showWidget();
    QVERIFY(panel->isVisible());

    // A panel that was not shown before a capture is not brought up by its end.
    panel->hide();
    controller->hideWidget();
    controller->showWidget();
    QVERIFY(!panel->isVisible());
}

void TestPlugmux::givesItsReferenceBack()
{
    std::unique_ptr<Plugmux> first(Plugmux::createPlugmux(nullptr, QStringLiteral(FAKE_DESKPAD_PATH)));
    std::unique_ptr<Plugmux> second(Plugmux::createPlugmux(nullptr, QStringLiteral(FAKE_DESKPAD_PATH)));
    QCOMPARE(m_fake.references(), 2);
    QCOMPARE(first->getPluginWidget(), second->getPluginWidget());
    QPointer<QWidget> widget(first->getPluginWidget());
    first.reset();
    QCOMPARE(m_fake.references(), 1);
    QVERIFY(widget);
    second.reset();
    QVERIFY(!m_fake.panel());
    QVERIFY(!widget);
}

QTEST_MAIN(TestPlugmux)
#include "tst_plugmux.moc"
