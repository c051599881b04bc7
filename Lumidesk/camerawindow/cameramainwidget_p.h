#pragma once

// What the files of the camera window share: the notice texts and style sheets. Not installed.

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <QtGlobal>

namespace CameraWindowText {

const char InUseMessage[] = QT_TRANSLATE_NOOP(
    "CameraMainWidget",
    "The camera is in use by another program.Close any other program that may be using your camera.");
const char BandwidthMessage[] = QT_TRANSLATE_NOOP("CameraMainWidget",
                                                  "Usb bandwidth is not sufficient at the moment.");
const char NoticeTitle[] = QT_TRANSLATE_NOOP("CameraMainWidget", "Tivlo");
const char MemoryMessage[] =
    QT_TRANSLATE_NOOP("CameraMainWidget", "There is not enough memory to run record or live stream.");
const char StreamLostMessage[] = QT_TRANSLATE_NOOP(
    "CameraMainWidget", "The camera stopped sending pictures. Please check its connection.");
const char RecordingStoppedTitle[] = QT_TRANSLATE_NOOP("CameraMainWidget", "Recording has stopped");
const char DiskFullMessage[] = QT_TRANSLATE_NOOP(
    "CameraMainWidget", "Destination disk drive is full. Please free up sufficient space on the disk drive.");
const char WriterFailedMessage[] =
    QT_TRANSLATE_NOOP("CameraMainWidget", "The video file could not be written.");
const char MaximumTimeMessage[] = QT_TRANSLATE_NOOP(
    "CameraMainWidget", "The recording is stopped because the video has reached the maximum time (6 hours).");
const char StreamTitle[] = QT_TRANSLATE_NOOP("CameraMainWidget", "Stream Notification");
const char OneStreamMessage[] = QT_TRANSLATE_NOOP(
    "CameraMainWidget",
    "You can only stream content on one device at a time. Please stop your original streaming content.");
const char ConnectFailedMessage[] = QT_TRANSLATE_NOOP("CameraMainWidget", "Connect server fail !");
const char DataFormatMessage[] = QT_TRANSLATE_NOOP("CameraMainWidget", "Live stream data format error !");
const char StreamFailedMessage[] = QT_TRANSLATE_NOOP("CameraMainWidget", "Live stream fail !");
const char PictureFailedMessage[] = QT_TRANSLATE_NOOP("CameraMainWidget", "The picture could not be taken.");
const char MuteEntry[] = QT_TRANSLATE_NOOP("CameraMainWidget", "Mute");
const char CameraEntry[] = QT_TRANSLATE_NOOP("CameraMainWidget", "Camera");
const char ConnectTip[] =
    QT_TRANSLATE_NOOP("CameraMainWidget", "<span style='font-size:14px;'>Please connect Qorv camera to pc.</span>");

} // namespace CameraWindowText

namespace CameraWindowStyle {

// A maker camera's format this wide or wider has no zoom.
constexpr int ZoomLockWidth = 3001;

const QString Transparent = QStringLiteral("QToolButton{background:transparent;}");
const QString RecordBlink =
    QStringLiteral("QToolButton{background-image:url(:/pip/resources/pip/btn_rec_p_w_normal.png);border: none;}");
const QString LiveBlink =
    QStringLiteral("  QToolButton{background-image:url(:/pip/resources/pip/btn_live_p_w_normal.png);border: none;}");

} // namespace CameraWindowStyle

inline void centreOnPrimaryScreen(QWidget *widget)
{
    if (QScreen *screen = QGuiApplication::primaryScreen())
        widget->move(screen->geometry().center() - QPoint(widget->width() / 2, widget->height() / 2));
}

inline QRect primaryScreenRect()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? QRect(QPoint(0, 0), screen->size()) : QRect(0, 0, 1920, 1080);
}
