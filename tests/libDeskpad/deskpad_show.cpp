// Shows the record and live panel for a look, driven by a stand-in for the main program's end of the link:
//   deskpad_show [record] [live] [recording] [streaming] [warnings] [list] [collapsed] [countdown]
//                [notification] [muted] [warningdialog] [livewarningdialog]
// Run it through /work/shared/tools/shot to see what a user sees.

#include "deskpadimpl.h"
#include "deskpadwidget.h"
#include "localclient.h"

#include "linkrawserver.h"
#include "linkrawsocket.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    LinkRawServer server;
    if (!server.listen(QLatin1String(LocalClient::ServerName)))
        return 1;
    DeskpadIntf *panel = acquireDeskpadImpl();
    auto *widget = static_cast<DeskpadWidget *>(panel->createWidget());

    QTimer::singleShot(300, [&] {
        LinkRawSocket *peer = server.newestPeer();
        if (!peer)
            return;
        if (!args.contains(QLatin1String("muted")))
            peer->writeFrame(QStringLiteral("cap_MacUpdateAudioList/p3/pBuilt-in Microphone/pid-1"
                                            "/pUSB Document Camera Microphone/pid-2/pHeadset/pid-3"));
        else
            peer->writeFrame(QStringLiteral("cap_MacUpdateAudioList/p0"));
        peer->writeFrame(QStringLiteral("cap_updateLevelReport/p45"));
        if (args.contains(QLatin1String("record")))
            peer->writeFrame(QStringLiteral("cap_showRecordWidget"));
        if (args.contains(QLatin1String("live")))
            peer->writeFrame(QStringLiteral("cap_showLiveWidget"));
        if (args.contains(QLatin1String("recording")))
            peer->writeFrame(QStringLiteral("cap_startRecord"));
        if (args.contains(QLatin1String("streaming"))) {
            peer->writeFrame(QStringLiteral("cap_startLive"));
            peer->writeFrame(QStringLiteral("cap_updateLiveStatus/p2480/p30"));
        }
        if (args.contains(QLatin1String("warnings"))) {
            peer->writeFrame(QStringLiteral("cap_showWarningBtn"));
            peer->writeFrame(QStringLiteral("cap_showLiveWarningBtn"));
        }
    });
    QTimer::singleShot(900, [&] {
        widget->move(widget->pos() + QPoint(60, 60));
        if (args.contains(QLatin1String("list")))
            widget->showAudioList();
        if (args.contains(QLatin1String("collapsed")))
            widget->minimizeWidget();
        if (args.contains(QLatin1String("countdown")))
            widget->startRecordCountdown();
        if (args.contains(QLatin1String("warningdialog")))
            widget->showWarning();
        if (args.contains(QLatin1String("livewarningdialog")))
            widget->showLiveWarning();
        if (args.contains(QLatin1String("notification")))
            widget->showNotificationDialog(
                QStringLiteral("Deskpad"),
                QStringLiteral("The recording is stopped because the video has reached the maximum time (6 hours)."), 0);
    });
    const int code = app.exec();
    panel->release();
    return code;
}
