#pragma once

#include <QString>

// One network interface the pairing page offers: its IPv4 address, its name, and whether it is a
// wireless card (the phone has to be on the same Wi-Fi network).
struct NetInfo
{
    QString ip;
    QString name;
    bool wireless = false;
};
