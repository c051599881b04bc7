#include "qorvrtmpintf.h"

#include "pushwirepublisher.h"

QorvRtmpIntf::QorvRtmpIntf(QObject *parent)
    : QObject(parent)
{
}

QorvRtmpIntf::~QorvRtmpIntf() = default;

extern "C" QorvRtmpIntf *acquireQorvRtmpImpl()
{
    return new PushwirePublisher;
}
