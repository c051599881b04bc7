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
    // A user's simulated mode keeps the real screen wherever it can be grabbed.
    QCOMPARE(PlatformBackend::screenChoice(), PlatformBackend::RealScreenWhereGrabbable);
}

void TestPlatformBackend::codeOverridesTheChoice()
{
    PlatformBackend::select(PlatformBackend::Linux);
    QVERIFY(!PlatformBackend::isSimulated());
    QCOMPARE(PlatformBackend::screenChoice(), PlatformBackend::RealScreen);
    // A test that asks for the simulated devices in code gets the simulated screen as well.
    PlatformBackend::select(PlatformBackend::Simulated);
    QVERIFY(PlatformBackend::isSimulated());
    QCOMPARE(PlatformBackend::screenChoice(), PlatformBackend::SimulatedScreen);
}

QTEST_GUILESS_MAIN(TestPlatformBackend)
#include "tst_platformbackend.moc"
