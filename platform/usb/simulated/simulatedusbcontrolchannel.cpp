#include "usb/simulated/simulatedusbcontrolchannel.h"

namespace platform {

SimulatedUsbControlChannel::SimulatedUsbControlChannel(quint32) {}
SimulatedUsbControlChannel::SimulatedUsbControlChannel(quint16, quint16, quint32) {}
SimulatedUsbControlChannel::~SimulatedUsbControlChannel() = default;

bool SimulatedUsbControlChannel::hasInterface() const { return false; }
quint8 SimulatedUsbControlChannel::interfaceNumber() const { return 0; }
quint16 SimulatedUsbControlChannel::vendorId() const { return 0; }
quint16 SimulatedUsbControlChannel::productId() const { return 0; }
QByteArray SimulatedUsbControlChannel::configurationDescriptor() const { return {}; }
bool SimulatedUsbControlChannel::sendControlRequest(UsbControlRequest &) { return false; }

} // namespace platform
