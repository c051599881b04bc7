// The phone's side: commands from the remote-control server and the messages the toolbar and its
// camera windows send to the phone, filtered by the view the phone shows.

#include "core/lumidesk.h"

#include "camerawindow/cameramainwidget.h"
#include "core/lumidesklog.h"
#include "telegate.h"

namespace {

const Journix::LogLevel TraceLevel = Journix::LogLevel(7);

} // namespace

void Lumidesk::FromClientCmd(uint cmdID, QByteArray data)
{
    // The router that hands each command to the toolbar, a camera window or its settings comes with
    // the remote-control work; until then a command is only logged.
    _LumideskLog::log(TraceLevel, QStringLiteral("Phone command 0x%x with %d bytes."), cmdID, data.size());
}

void Lumidesk::SendToClient(uint cmdID, QByteArray data)
{
    // The toolbar's own state reaches the phone only while the phone shows the toolbar.
    if (m_remoteView == 0)
        m_telegate->sendDataToClient(cmdID, data);
}

void Lumidesk::CameraSendToClient(uint cmdID, QByteArray data)
{
    const bool closing = cmdID == ClosingId && m_layoutMode != 0;
    if (closing || (m_remoteView != 0 && m_remoteView != 2))
        m_telegate->sendDataToClient(cmdID, data);
}

void Lumidesk::CameraSendToClient2(uint cmdID, QByteArray data)
{
    if (cmdID == ClosingId && m_layoutMode != 0) {
        m_telegate->sendDataToClient(cmdID, data);
        return;
    }
    if (m_remoteView == 0)
        return;
    // In view 1 the second window stands in for a first window without a camera.
    if (m_remoteView == 1 && m_firstCamera && m_firstCamera->comboBoxSource->currentIndex() != 0)
        return;
    m_telegate->sendDataToClient(cmdID, data);
}
