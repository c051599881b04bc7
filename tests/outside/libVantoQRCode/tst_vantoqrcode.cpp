#include "qrcodeimage.h"
#include "vantoqrcode.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Facts = VantoQRCode::InterfaceFacts;

Facts interface(const QString &name, const QStringList &addresses, bool up = true, bool running = true,
                bool loopback = false)
{
    Facts facts;
    facts.name = name;
    facts.up = up;
    facts.running = running;
    facts.loopback = loopback;
    for (const QString &address : addresses)
        facts.addresses.append(QHostAddress(address));
    return facts;
}

// The network as a test lays it out.
class FixedNetwork : public VantoQRCode
{
public:
    FixedNetwork(const QList<Facts> &facts, const QString &sysfsRoot)
        : VantoQRCode(sysfsRoot)
        , m_facts(facts)
    {
    }

protected:
    QList<Facts> interfaces() const override { return m_facts; }

private:
    QList<Facts> m_facts;
};

// What a phone would read: the picture decoded by zbarimg.
QString decode(const QImage &image, const QString &folder)
{
    const QString path = folder + QStringLiteral("/code.png");
    if (!image.save(path))
        return QStringLiteral("<not saved>");
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), path});
    if (!zbar.waitForFinished(20000) || zbar.exitStatus() != QProcess::NormalExit || zbar.exitCode() != 0)
        return QStringLiteral("<not decoded>");
    return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
}

QStringList names(const QList<NetInfo> &list)
{
    QStringList result;
    for (const NetInfo &info : list)
        result.append(QStringLiteral("%1 %2%3").arg(info.name, info.ip, info.wireless ? QStringLiteral(" wireless") : QString()));
    return result;
}

} // namespace

Q_DECLARE_METATYPE(QList<VantoQRCode::InterfaceFacts>)

class TestVantoQRCode : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void codeReadsBackAsItsText_data();
    void codeReadsBackAsItsText();
    void pairingCodeCarriesAddressPortAndToken();
    void noNetworkGivesNoCode();
    void offeredInterfaces_data();
    void offeredInterfaces();

private:
    QTemporaryDir m_folder;
    QString m_sysfs;
};

void TestVantoQRCode::init()
{
    QVERIFY(m_folder.isValid());
    m_sysfs = m_folder.filePath(QStringLiteral("sys"));
    QVERIFY(QDir().mkpath(m_sysfs + QStringLiteral("/class/net/wlan0/wireless")));
    QVERIFY(QDir().mkpath(m_sysfs + QStringLiteral("/class/net/eth0")));
    VantoQRCode::setPairingPort(30380);
}

void TestVantoQRCode::codeReadsBackAsItsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("shownSize");
    const QString longest = VantoQRCode::pairingText(QStringLiteral("255.255.255.255"), 65535, VantoQRCode::pairingToken());
    QTest::newRow("pairing text") << VantoQRCode::pairingText(QStringLiteral("192.168.1.5"), 30380,
                                                              QStringLiteral("0123456789abcdef"))
                                  << 0;
    QTest::newRow("longest pairing text") << longest << 0;
    // The pairing page shows the code shrunk to 80 x 80 without smoothing; it must still read.
    QTest::newRow("longest, as the pairing page shows it") << longest << 80;
    QTest::newRow("beyond a 40-module canvas") << QString(200, QLatin1Char('x')) << 0;
}

void TestVantoQRCode::codeReadsBackAsItsText()
{
    QFETCH(QString, text);
    QFETCH(int, shownSize);
    QImage image = QRCodeImage::render(text.toUtf8());
    QVERIFY(!image.isNull());
    QCOMPARE(image.format(), QImage::Format_RGB32);
    QCOMPARE(image.width(), image.height());
    if (shownSize > 0) {
        QCOMPARE(image.width() % shownSize, 0);
        image = image.scaled(shownSize, shownSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    QCOMPARE(decode(image, m_folder.path()), text);
}

void TestVantoQRCode::pairingCodeCarriesAddressPortAndToken()
{
    FixedNetwork network({interface(QStringLiteral("eth0"), {QStringLiteral("10.0.0.2")}),
                          interface(QStringLiteral("wlan0"), {QStringLiteral("fe80::1"), QStringLiteral("192.168.7.9")})},
                         m_sysfs);
    VantoQRCode::setPairingPort(40123);
    QImage image(1, 1, QImage::Format_RGB32);
    QVERIFY(network.genNewQRCode(image) != 0);

    const QString token = VantoQRCode::pairingToken();
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{16}$")).match(token).hasMatch());
    QCOMPARE(VantoQRCode::pairingToken(), token);
    // The wireless card comes first: the phone is on Wi-Fi.
    QCOMPARE(decode(image, m_folder.path()), QStringLiteral("lumidesk://192.168.7.9:40123/") + token);
}

void TestVantoQRCode::noNetworkGivesNoCode()
{
    FixedNetwork network({interface(QStringLiteral("lo"), {QStringLiteral("127.0.0.1")}, true, true, true)}, m_sysfs);
    QImage image(1, 1, QImage::Format_RGB32);
    QCOMPARE(network.genNewQRCode(image), 0);
    QCOMPARE(image.size(), QSize(1, 1));
    QList<NetInfo> list;
    network.getNetInfo(list);
    QVERIFY(list.isEmpty());
}

void TestVantoQRCode::offeredInterfaces_data()
{
    QTest::addColumn<QList<Facts>>("facts");
    QTest::addColumn<QStringList>("offered");

    QTest::newRow("wireless first, system order otherwise")
        << QList<Facts>{interface(QStringLiteral("eth0"), {QStringLiteral("10.0.0.2")}),
                        interface(QStringLiteral("eth1"), {QStringLiteral("10.0.1.2")}),
                        interface(QStringLiteral("wlan0"), {QStringLiteral("192.168.7.9")})}
        << QStringList{QStringLiteral("wlan0 192.168.7.9 wireless"), QStringLiteral("eth0 10.0.0.2"),
                       QStringLiteral("eth1 10.0.1.2")};
    QTest::newRow("down, not running, loopback: left out")
        << QList<Facts>{interface(QStringLiteral("eth0"), {QStringLiteral("10.0.0.2")}, false, false),
                        interface(QStringLiteral("eth1"), {QStringLiteral("10.0.1.2")}, true, false),
                        interface(QStringLiteral("lo"), {QStringLiteral("127.0.0.1")}, true, true, true)}
        << QStringList{};
    QTest::newRow("the first IPv4 address; IPv6 only is left out")
        << QList<Facts>{interface(QStringLiteral("eth0"), {QStringLiteral("fe80::2"), QStringLiteral("10.0.0.2"),
                                                           QStringLiteral("10.0.0.3")}),
                        interface(QStringLiteral("eth1"), {QStringLiteral("2001:db8::1")}),
                        interface(QStringLiteral("eth2"), {})}
        << QStringList{QStringLiteral("eth0 10.0.0.2")};
    QTest::newRow("a name that is no plain name is never looked up as wireless")
        << QList<Facts>{interface(QStringLiteral("../net/wlan0"), {QStringLiteral("10.0.0.2")})}
        << QStringList{QStringLiteral("../net/wlan0 10.0.0.2")};
}

void TestVantoQRCode::offeredInterfaces()
{
    QFETCH(QList<Facts>, facts);
    QFETCH(QStringList, offered);
    QCOMPARE(names(VantoQRCode::offeredInterfaces(facts, m_sysfs)), offered);
}

QTEST_GUILESS_MAIN(TestVantoQRCode)
#include "tst_vantoqrcode.moc"
