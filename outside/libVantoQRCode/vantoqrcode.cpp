#include "vantoqrcode.h"

#include "qrcodeimage.h"

#include <QFileInfo>
#include <QNetworkInterface>
#include <QRandomGenerator>

#include <atomic>

#ifndef LUMIDESK_REMOTE_PORT
#define LUMIDESK_REMOTE_PORT 30380
#endif

namespace {

std::atomic<quint16> remotePort{LUMIDESK_REMOTE_PORT};

QString firstIPv4(const QList<QHostAddress> &addresses)
{
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    }
    return QString();
}

// Interface names come from the system, but they become part of a path: only a plain name is looked up.
bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar::Null);
}

} // namespace

const char VantoQRCode::Scheme[] = "lumidesk";

VantoQRCode::VantoQRCode(const QString &sysfsRoot)
    : m_sysfsRoot(sysfsRoot)
{
}

VantoQRCode::~VantoQRCode() = default;

int VantoQRCode::genNewQRCode(QImage &image)
{
    QList<NetInfo> offered;
    getNetInfo(offered);
    return genNewQRCode(offered, image);
}

int VantoQRCode::genNewQRCode(const QList<NetInfo> &offered, QImage &image)
{
    if (offered.isEmpty())
        return 0;
    const QImage code = QRCodeImage::render(pairingText(offered.first().ip, pairingPort(), pairingToken()).toUtf8());
    if (code.isNull())
        return 0;
    image = code;
    return 1;
}

void VantoQRCode::getNetInfo(QList<NetInfo> &list)
{
    list.append(offeredInterfaces(interfaces(), m_sysfsRoot));
}

QString VantoQRCode::pairingText(const QString &address, quint16 port, const QString &token)
{
    return QStringLiteral("%1://%2:%3/%4").arg(QLatin1String(Scheme), address).arg(port).arg(token);
}

QString VantoQRCode::pairingToken()
{
    static const QString token = [] {
        const quint64 value = QRandomGenerator::system()->generate64();
        return QStringLiteral("%1").arg(value, TokenDigits, 16, QLatin1Char('0'));
    }();
    return token;
}

quint16 VantoQRCode::pairingPort()
{
    return remotePort.load();
}

void VantoQRCode::setPairingPort(quint16 port)
{
    remotePort.store(port);
}

QList<NetInfo> VantoQRCode::offeredInterfaces(const QList<InterfaceFacts> &interfaces, const QString &sysfsRoot)
{
    QList<NetInfo> wireless;
    QList<NetInfo> wired;
    for (const InterfaceFacts &facts : interfaces) {
        if (!facts.up || !facts.running || facts.loopback)
            continue;
        const QString ip = firstIPv4(facts.addresses);
        if (ip.isEmpty())
            continue;
        NetInfo info;
        info.ip = ip;
        info.name = facts.name;
        info.wireless = isWireless(sysfsRoot, facts.name);
        (info.wireless ? wireless : wired).append(info);
    }
    return wireless + wired;
}

bool VantoQRCode::isWireless(const QString &sysfsRoot, const QString &interfaceName)
{
    if (!isPlainName(interfaceName))
        return false;
    return QFileInfo(sysfsRoot + QStringLiteral("/class/net/") + interfaceName + QStringLiteral("/wireless")).exists();
}

QList<VantoQRCode::InterfaceFacts> VantoQRCode::interfaces() const
{
    QList<InterfaceFacts> result;
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : all) {
        InterfaceFacts facts;
        facts.name = interface.name();
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        facts.up = flags.testFlag(QNetworkInterface::IsUp);
        facts.running = flags.testFlag(QNetworkInterface::IsRunning);
        facts.loopback = flags.testFlag(QNetworkInterface::IsLoopBack);
        const QList<QNetworkAddressEntry> entries = interface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries)
            facts.addresses.append(entry.ip());
        result.append(facts);
    }
    return result;
}
