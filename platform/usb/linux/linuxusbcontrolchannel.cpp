#include "usb/linux/linuxusbcontrolchannel.h"

namespace platform {

LinuxUsbControlChannel::LinuxUsbControlChannel(quint32) {}
LinuxUsbControlChannel::LinuxUsbControlChannel(quint16, quint16, quint32) {}
LinuxUsbControlChannel::~LinuxUsbControlChannel() = default;

bool LinuxUsbControlChannel::hasInterface() const { return false; }
quint8 LinuxUsbControlChannel::interfaceNumber() const { return 0; }
quint16 LinuxUsbControlChannel::vendorId() const { return 0; }
quint16 LinuxUsbControlChannel::productId() const { return 0; }
QByteArray LinuxUsbControlChannel::configurationDescriptor() const { return {}; }
bool LinuxUsbControlChannel::sendControlRequest(UsbControlRequest &) { return false; }

} // namespace platform
