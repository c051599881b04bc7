#pragma once

#include "netinfo.h"
#include "vantoqrcodeglobal.h"

#include <QHostAddress>
#include <QImage>
#include <QList>
#include <QString>

// What the phone app needs to pair with this computer: a QR code it scans, and the addresses of the
// network interfaces the user can type in instead.
//
// The code carries "lumidesk://<address>:<port>/<token>": the IPv4 address of the first interface
// offered, the port of the remote-control server and a random token of this run of the program, which
// the server can ask a phone for.
class VANTOQRCODE_EXPORT VantoQRCode
{
public:
    // What the interface list is chosen from; a test hands in its own.
    struct InterfaceFacts
    {
        QString name;
        bool up = false;
        bool running = false;
        bool loopback = false;
        QList<QHostAddress> addresses;
    };

    static const char Scheme[];
    static constexpr int TokenDigits = 16;

    // sysfsRoot: where the kernel's "class/net/<interface>/wireless" entries are looked up.
    explicit VantoQRCode(const QString &sysfsRoot = QStringLiteral("/sys"));
    virtual ~VantoQRCode();

    // Puts the pairing code into image and returns non-zero; returns 0 and leaves image alone when no
    // interface is offered (nothing a phone could reach).
    int genNewQRCode(QImage &image);
    // The same for interfaces already listed by getNetInfo, so the code and the list shown beside it
    // come from one look at the system.
    int genNewQRCode(const QList<NetInfo> &offered, QImage &image);
    // Appends one entry per interface offered: up, running, not loopback, with an IPv4 address;
    // wireless cards first, otherwise in the system's order.
    void getNetInfo(QList<NetInfo> &list);

    static QString pairingText(const QString &address, quint16 port, const QString &token);
    // Random, made once per process: 16 lower-case hex digits.
    static QString pairingToken();
    // The remote-control server's port: the build setting until the server reports the one it got.
    static quint16 pairingPort();
    static void setPairingPort(quint16 port);

    static QList<NetInfo> offeredInterfaces(const QList<InterfaceFacts> &interfaces, const QString &sysfsRoot);
    static bool isWireless(const QString &sysfsRoot, const QString &interfaceName);

protected:
    // The system's interfaces (QNetworkInterface).
    virtual QList<InterfaceFacts> interfaces() const;

private:
    QString m_sysfsRoot;
};
