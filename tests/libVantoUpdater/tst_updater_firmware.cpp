#include "updaterfakeisp.h"
#include "vantoupdater.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Poll = UpdaterFakeIsp::Poll;
using Polls = QList<UpdaterFakeIsp::Poll>;
Q_DECLARE_METATYPE(Polls)

namespace {

QByteArray image(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 7 + i / 508) & 0xff);
    return data;
}

Poll present(int status, const QByteArray &detail = QByteArray())
{
    Poll poll;
    poll.status = status;
    poll.detail = detail;
    return poll;
}

Poll absent()
{
    Poll poll;
    poll.present = false;
    return poll;
}

// Answers twice, then reboots: gone for the 16 polls that count as success.
Polls rebooting()
{
    Polls polls{present(4), present(5)};
    for (int i = 0; i < VantoUpdater::AbsentTickLimit; ++i)
        polls << absent();
    return polls;
}

QList<int> percents(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &args : spy)
        values << args.at(0).toInt();
    return values;
}

} // namespace

class UpdaterFirmwareTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void percentSequence();
    void results_data();
    void results();
    void shortChunksWithoutHid();
    void userStopSkipsFileEnd();
    void reprogramPercentCarriesOn();
    void abortWithoutDownloadStopsIsp();

private:
    void writeImage(const QByteArray &data);

    std::unique_ptr<VantoUpdater> m_updater;
    UpdaterFakeIsp *m_isp = nullptr;
};

void UpdaterFirmwareTest::init()
{
    m_updater = std::make_unique<VantoUpdater>();
    m_isp = new UpdaterFakeIsp;
    m_updater->setIspChannel(m_isp);
    m_updater->setReprogramInterval(5);
}

void UpdaterFirmwareTest::cleanup()
{
    m_updater.reset();
}

void UpdaterFirmwareTest::writeImage(const QByteArray &data)
{
    QFile file(m_updater->downloadFolder() + QLatin1String(VantoUpdater::FirmwareFileName));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), qint64(data.size()));
}

void UpdaterFirmwareTest::percentSequence()
{
    const QByteArray data = image(508000);
    writeImage(data);
    m_isp->polls = rebooting();
    QSignalSpy spy(m_updater.get(), &VantoUpdater::sendPercentage);

    QCOMPARE(m_updater->CheckFWUpgrade(), 0);

    QCOMPARE(m_isp->chunks, 1000);
    QCOMPARE(m_isp->received, data);
    QCOMPARE(m_isp->log.first(), QStringLiteral("status 0"));
    QVERIFY(m_isp->log.contains(QStringLiteral("start UpdaterFW.dat 508000")));
    QVERIFY(m_isp->log.contains(QStringLiteral("end UpdaterFW.dat 508000")));
    QVERIFY(m_isp->log.contains(QStringLiteral("isp start")));
    QVERIFY(!m_isp->log.contains(QStringLiteral("isp stop")));

    // One step after every tenth chunk, k / 3 + 33; then the reprogram phase from 67 on and 100.
    QList<int> expected;
    for (int k = 1; k <= 100; ++k)
        expected << k / 3 + 33;
    QCOMPARE(percents(spy).mid(0, 6), (QList<int>{33, 33, 34, 34, 34, 35}));
    for (int p = 67; p < 67 + 2 + VantoUpdater::AbsentTickLimit; ++p)
        expected << p;
    expected << 100;
    QCOMPARE(percents(spy), expected);
}

void UpdaterFirmwareTest::results_data()
{
    QTest::addColumn<int>("statusBefore");
    QTest::addColumn<bool>("haveImage");
    QTest::addColumn<QByteArray>("startAnswer");
    QTest::addColumn<int>("freeSpace"); // -1: plenty
    QTest::addColumn<QByteArray>("endAnswer");
    QTest::addColumn<int>("failChunk");
    QTest::addColumn<Polls>("polls");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("chunks");
    QTest::addColumn<bool>("ispStop");

    const QByteArray startAck = "isp_file_start_ack";
    const QByteArray endAck = "isp_file_end_ack";
    const Polls reboot = rebooting();
    const int all = 10;
    QTest::newRow("success") << 0 << true << startAck << -1 << endAck << -1 << reboot << 0 << all << false;
    QTest::newRow("camera busy") << 2 << true << startAck << -1 << endAck << -1 << reboot << -1 << 0 << false;
    QTest::newRow("no image") << 0 << false << startAck << -1 << endAck << -1 << reboot << 3 << 0 << true;
    QTest::newRow("start refused") << 0 << true << QByteArray("nope") << -1 << endAck << -1 << reboot << 3 << 0
                                   << true;
    QTest::newRow("start says error") << 0 << true << QByteArray("isp_file_err") << -1 << endAck << -1 << reboot << 1
                                      << 0 << true;
    QTest::newRow("free equals size") << 0 << true << startAck << 5080 << endAck << -1 << reboot << 3 << 0 << true;
    QTest::newRow("end says error") << 0 << true << startAck << -1 << QByteArray("isp_file_err") << -1 << reboot << 1
                                    << all << true;
    QTest::newRow("end not acknowledged") << 0 << true << startAck << -1 << QByteArray("?") << -1 << reboot << 3
                                          << all << true;
    QTest::newRow("chunk fails") << 0 << true << startAck << -1 << endAck << 4 << reboot << 2 << 4 << true;
    QTest::newRow("gone before first poll") << 0 << true << startAck << -1 << endAck << -1 << Polls{absent()} << 1
                                            << all << false;
    QTest::newRow("status 6 with 2 before last comma")
        << 0 << true << startAck << -1 << endAck << -1 << Polls{present(4), present(6, "err 1,2,0")} << 1 << all
        << false;
    Polls otherSix{present(6, "ok 2,1,0")};
    otherSix << reboot;
    QTest::newRow("status 6 otherwise goes on") << 0 << true << startAck << -1 << endAck << -1 << otherSix << 0 << all
                                                << false;
    Polls unreadable = reboot;
    unreadable[0].statusFails = true;
    QTest::newRow("unreadable status is a step") << 0 << true << startAck << -1 << endAck << -1 << unreadable << 0
                                                 << all << false;
    QTest::newRow("never finishes") << 0 << true << startAck << -1 << endAck << -1 << Polls{present(3)} << 1 << all
                                    << false;
}

void UpdaterFirmwareTest::results()
{
    QFETCH(int, statusBefore);
    QFETCH(bool, haveImage);
    QFETCH(QByteArray, startAnswer);
    QFETCH(int, freeSpace);
    QFETCH(QByteArray, endAnswer);
    QFETCH(int, failChunk);
    QFETCH(Polls, polls);
    QFETCH(int, result);
    QFETCH(int, chunks);
    QFETCH(bool, ispStop);
    if (haveImage)
        writeImage(image(5080));
    m_isp->statusBefore = statusBefore;
    m_isp->startAnswer = startAnswer;
    if (freeSpace >= 0)
        m_isp->startFree = freeSpace;
    m_isp->endAnswer = endAnswer;
    m_isp->failChunk = failChunk;
    m_isp->polls = polls;
    // A camera that keeps answering without finishing is given up on after the overall limit.
    m_updater->setFirmwareTimeLimit(500);
    QSignalSpy spy(m_updater.get(), &VantoUpdater::sendPercentage);

    QCOMPARE(m_updater->CheckFWUpgrade(), result);
    QCOMPARE(m_isp->chunks, chunks);
    QCOMPARE(m_isp->log.contains(QStringLiteral("isp stop")), ispStop);
    if (statusBefore != 0)
        QCOMPARE(m_isp->log, QStringList{QStringLiteral("status 0")});
    const bool reprogrammed = m_isp->log.contains(QStringLiteral("isp start"));
    QCOMPARE(reprogrammed, !ispStop && statusBefore == 0);
    if (reprogrammed)
        QCOMPARE(spy.last().at(0).toInt(), 100);
    for (const int p : percents(spy))
        QVERIFY(p == 100 || (p >= 33 && p <= 99));
}

void UpdaterFirmwareTest::shortChunksWithoutHid()
{
    const QByteArray data = image(150);
    writeImage(data);
    m_isp->hidSupported = false;
    m_isp->polls = rebooting();

    QCOMPARE(m_updater->CheckFWUpgrade(), 0);
    // 60 bytes a command, each in a zero-padded block.
    QCOMPARE(m_isp->chunks, 3);
    for (int i = 0; i < 3; ++i) {
        const QByteArray block = m_isp->received.mid(i * IspChannel::BlockSize, IspChannel::BlockSize);
        QCOMPARE(block.left(60), data.mid(i * 60, 60).leftJustified(60, '\0'));
        QCOMPARE(block.mid(60), QByteArray(IspChannel::BlockSize - 60, '\0'));
    }
}

void UpdaterFirmwareTest::userStopSkipsFileEnd()
{
    writeImage(image(50800));
    m_isp->polls = rebooting();
    m_isp->onChunk = [this](int chunk) {
        if (chunk == 3)
            m_updater->abortDownload();
    };

    QCOMPARE(m_updater->CheckFWUpgrade(), 3);
    QCOMPARE(m_isp->chunks, 3);
    QVERIFY(!m_isp->log.contains(QStringLiteral("end UpdaterFW.dat 50800")));
    QVERIFY(!m_isp->log.contains(QStringLiteral("isp start")));
    QCOMPARE(m_isp->log.count(QStringLiteral("isp stop")), 2); // the cancel's and the transfer's
}

void UpdaterFirmwareTest::reprogramPercentCarriesOn()
{
    writeImage(image(5080));
    Polls longRun;
    for (int i = 0; i < 40; ++i)
        longRun << present(5);
    longRun << rebooting();
    m_isp->polls = longRun;
    QSignalSpy spy(m_updater.get(), &VantoUpdater::sendPercentage);

    QCOMPARE(m_updater->CheckFWUpgrade(), 0);
    QCOMPARE(m_updater->lastReprogramPercent(), 99);
    QList<int> first = percents(spy);
    QCOMPARE(first.takeLast(), 100);
    QCOMPARE(*std::max_element(first.begin(), first.end()), 99);

    // The second transfer's reprogram steps start where the first left off.
    m_isp = new UpdaterFakeIsp; // replaces (and deletes) the first one
    m_updater->setIspChannel(m_isp);
    m_isp->polls = rebooting();
    spy.clear();
    QCOMPARE(m_updater->CheckFWUpgrade(), 0);
    const QList<int> second = percents(spy);
    QCOMPARE(second.mid(second.size() - 3), (QList<int>{99, 99, 100}));
}

void UpdaterFirmwareTest::abortWithoutDownloadStopsIsp()
{
    m_updater->abortDownload();
    QCOMPARE(m_isp->log, QStringList{QStringLiteral("isp stop")});
}

QTEST_GUILESS_MAIN(UpdaterFirmwareTest)
#include "tst_updater_firmware.moc"
