#include "cameramainwidget.h"

#include "cameramainwidget_p.h"
#include "capturefilenames.h"
#include "capturemodemenu.h"
#include "keystonewidget.h"

#include "camera/generalcamera.h"
#include "capture/qorvcapturesession.h"
#include "common/abstractcapturescreenaction.h"
#include "common/lumidesklog.h"
#include "common/remotepayload.h"

#include <QGuiApplication>
#include <QScreen>

// ---- capture modes: 0 normal snapshot, 1 keystone-corrected page, 2 high-quality picture ----

namespace {

const QString CaptureButtonStyle = QStringLiteral(
    "QToolButton{background-image:url(:/pip/resources/pip/%1_normal.png);border: none;}\n"
    "QToolButton:hover{background-image:url(:/pip/resources/pip/%1_hover.png);border: none;}\n"
    "QToolButton:pressed{background-image:url(:/pip/resources/pip/%1_pressed.png);border: none;}\n"
    "QToolButton:disabled{background-image:url(:/pip/resources/pip/%1_disabled.png);border: none;}\n");

const QString ZoomSliderStyle = QStringLiteral(
    "QSlider::groove:vertical{width:5px;}\n"
    "QSlider::add-page:vertical{background:qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #ffffff, stop:0.5 "
    "#000000, stop:1 #ffffff);width:5px;margin:5 0px;}\n"
    "QSlider::sub-page:vertical{background:qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #ffffff, stop:0.5 "
    "#000000, stop:1 #ffffff);width:5px;margin:5 0px;}\n"
    "QSlider::handle:vertical{height:30px;image:url(:/cameraSetting/resources/cameraSetting/%1);margin:-4 -12px;}");

} // namespace

bool CameraMainWidget::hqOffered() const
{
    return hqAvailable && !zoomLocked;
}

QList<int> CameraMainWidget::offeredCaptureModes() const
{
    QList<int> modes{NormalCapture, KeyStoneCapture};
    if (hqOffered())
        modes.append(HQCapture);
    return modes;
}

void CameraMainWidget::stopKeyStone()
{
    keyStoneWidget->showKeyStone(false, 1);
    session->enableBGRFrameExport(false, 1);
}

void CameraMainWidget::switchCaptureMode(int mode)
{
    if (mode < NormalCapture || mode > HQCapture) {
        // A mode nobody knows would leave the buttons and the frame export of the old one behind.
        _LumideskLog::log(Journix::Warning, "unknown capture mode %d ignored", mode);
        return;
    }
    // High quality needs a camera that takes such pictures and a format that allows them; refused,
    // the window is left in normal mode.
    if (mode == HQCapture && !hqOffered())
        mode = NormalCapture;
    captureMode = mode;
    btnCapture->setVisible(mode == NormalCapture);
    btnKeyStone->setVisible(mode == KeyStoneCapture);
    btnHQCapture->setVisible(mode == HQCapture);
    if (mode == KeyStoneCapture) {
        keyStoneWidget->showKeyStone(true, keyStoneFps);
        session->enableBGRFrameExport(true, unsigned(keyStoneFps.load()));
    } else {
        stopKeyStone();
    }
    if (!remoteCommandActive)
        emit SendToClient(CaptureModeId, RemotePayload::int32s({captureMode.load()}));
}

void CameraMainWidget::leaveCaptureModes()
{
    if (captureMode == KeyStoneCapture)
        stopKeyStone();
    captureMode = NormalCapture;
    btnCapture->show();
    btnKeyStone->hide();
    btnHQCapture->hide();
}

QToolButton *CameraMainWidget::shownCaptureButton() const
{
    switch (captureMode.load()) {
    case KeyStoneCapture:
        return btnKeyStone;
    case HQCapture:
        return btnHQCapture;
    default:
        return btnCapture;
    }
}

void CameraMainWidget::showPopBtn()
{
    QList<int> modes = offeredCaptureModes();
    modes.removeAll(captureMode.load());
    popupButton->setOfferedModes(modes);
    if (modes.isEmpty())
        return;
    modePopupShown = true;
    // Just below the snapshot button's left edge; above it when the screen ends there.
    QToolButton *anchor = shownCaptureButton();
    QPoint at = anchor->mapToGlobal(QPoint(0, anchor->height()));
    if (QScreen *screen = QGuiApplication::screenAt(at)) {
        if (at.y() + popupButton->height() > screen->geometry().bottom())
            at.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - popupButton->height());
    }
    popupButton->move(at);
    popupButton->show();
}

void CameraMainWidget::switchCaptureBtnStyle(bool singleMode)
{
    // High-quality pictures give way to plain snapshots; a keystone mode in use stays. The mode
    // follows the buttons, so that the phone's snapshot takes what the window shows.
    if (singleMode && captureMode == HQCapture)
        switchCaptureMode(NormalCapture);
    // The mode button is there only where there is a high-quality mode to choose.
    const bool narrow = !singleMode && hqAvailable;
    btnSwitch->setVisible(narrow);
    if (narrow) {
        btnCapture->setFixedSize(91, 46);
        btnCapture->setIconSize(QSize(78, 46));
    } else {
        btnCapture->setFixedSize(116, 46);
        btnCapture->setIconSize(QSize(103, 46));
    }
    btnCapture->setStyleSheet(
        CaptureButtonStyle.arg(narrow ? QStringLiteral("btn_cam_p") : QStringLiteral("btn_cam_p_l")));
}

void CameraMainWidget::setZoomDisable(bool disabled)
{
    zoomSlider->setEnabled(!disabled);
    btnZoomIn->setEnabled(!disabled);
    btnZoomOut->setEnabled(!disabled);
    zoomSlider->setStyleSheet(ZoomSliderStyle.arg(disabled ? QStringLiteral("icon_p_gray.png")
                                                           : QStringLiteral("icon_p_blue.png")));
}

void CameraMainWidget::updateHQAvailable()
{
    int supported = 0;
    hqAvailable = isMakerCamera() && camera->getSnapshotSupport(&supported) == GeneralCamera::Success
                  && supported != 0;
    switchCaptureBtnStyle(camera->getActiveFormat().width > 3000);
}

void CameraMainWidget::BGRFrameReceived(void *frameData, uint32_t length, uint16_t width, uint16_t height)
{
    // Capture queue: the pixels are gone once this returns; the keystone widget copies what it keeps.
    if (captureMode != KeyStoneCapture || !frameData || length < uint32_t(width) * height * 4)
        return;
    keyStoneWidget->setSampleImage(frameData, width, height);
}

void CameraMainWidget::updateKeyStoneFps(int fps)
{
    keyStoneFps = fps;
    _LumideskLog::log(Journix::Warning, "key stone fps = %d", fps);
    if (captureMode == KeyStoneCapture)
        session->enableBGRFrameExport(true, unsigned(fps));
}

void CameraMainWidget::doKeystoneCapture()
{
    const QString path = CaptureFileNames::nextPicturePath();
    flash->executeSuccessResponse(primaryScreenRect());
    // No page outlined (or it could not be written): the plain picture goes to the same name.
    if (keyStoneWidget->getkeyStoneFile(path) < 0)
        session->getJPGFileAsync(path);
}
