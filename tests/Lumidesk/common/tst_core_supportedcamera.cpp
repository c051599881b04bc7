#include "common/supportedcamera.h"

#include <QtTest>

class TestSupportedCamera : public QObject
{
    Q_OBJECT

private slots:
    void ids_data();
    void ids();
};

void TestSupportedCamera::ids_data()
{
    QTest::addColumn<int>("vid");
    QTest::addColumn<int>("pid");
    QTest::addColumn<bool>("vpid");
    QTest::addColumn<bool>("vidOnly");
    QTest::addColumn<bool>("pidOnly");

    QTest::newRow("maker, last product") << 0x2574 << 0x1FFF << true << true << true;
    QTest::newRow("maker, first product") << 0x2574 << 0x0000 << true << true << true;
    QTest::newRow("maker, out of range") << 0x2574 << 0x2000 << false << true << false;
    QTest::newRow("partner 0110") << 0x07CA << 0x0110 << true << true << true;
    QTest::newRow("partner 0111") << 0x07CA << 0x0111 << true << true << true;
    QTest::newRow("partner 0112") << 0x07CA << 0x0112 << false << true << true;
    QTest::newRow("partner 0010") << 0x07CA << 0x0010 << false << true << true;
    QTest::newRow("partner high bit") << 0x07CA << 0x8110 << false << true << false;
    QTest::newRow("other vendor") << 0x046D << 0x0110 << false << false << true;
}

void TestSupportedCamera::ids()
{
    QFETCH(int, vid);
    QFETCH(int, pid);
    QFETCH(bool, vpid);
    QFETCH(bool, vidOnly);
    QFETCH(bool, pidOnly);
    QCOMPARE(IsSupportVPID(quint16(vid), quint16(pid)), vpid);
    QCOMPARE(IsSupportVID(quint16(vid)), vidOnly);
    QCOMPARE(IsSupportPID(quint16(pid)), pidOnly);
}

QTEST_GUILESS_MAIN(TestSupportedCamera)
#include "tst_core_supportedcamera.moc"
