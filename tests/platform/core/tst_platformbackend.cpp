#include "core/platformbackend.h"

#include <QtTest>

using platform::PlatformBackend;

class TestPlatformBackend : public QObject
{
    Q_OBJECT

private slots:
    void environmentChoosesOnFirstUse();
    void codeOverridesTheChoice();
};

void TestPlatformBackend::environmentChoosesOnFirstUse()
{
    // The choice is made once, from LUMIDESK_SIMULATE as it stands at the first use.
    qputenv("LUMIDESK_SIMULATE", "1");
    QCOMPARE(PlatformBackend::current(), PlatformBackend::Simulated);
    qputenv("LUMIDESK_SIMULATE", "0");
    QVERIFY(PlatformBackend::isSimulated());
}

void TestPlatformBackend::codeOverridesTheChoice()
{
    PlatformBackend::select(PlatformBackend::Linux);
    QVERIFY(!PlatformBackend::isSimulated());
    PlatformBackend::select(PlatformBackend::Simulated);
    QVERIFY(PlatformBackend::isSimulated());
}

QTEST_GUILESS_MAIN(TestPlatformBackend)
#include "tst_platformbackend.moc"
