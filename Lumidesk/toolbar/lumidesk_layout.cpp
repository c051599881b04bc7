// Camera layouts: which camera windows exist, how they are wired, their sizes and places, which camera
// each gets, closing a window and swapping the two.

#include "toolbar/lumidesk.h"

#include "camera/generalcamera.h"
#include "camerasettings/camerasettingdialog.h"
#include "camerawindow/cameramainwidget.h"
#include "common/cameralayoutgeometry.h"
#include "common/nativewindowhelpers.h"
#include "common/supportedcamera.h"
#include "desktop/stackingwatch.h"
#include "manager/doccammanager.h"
#include "toolbar/pipwidget.h"

namespace {

void showNormally(CameraMainWidget *window)
{
    window->show();
    if (window->isMinimized())
        window->showNormal();
}

// Each window takes the other's place, so each takes the other's way back from a maximised state too:
// the one now filling the screen can be restored, the small one can be dragged.
void exchangeRestoreState(CameraMainWidget *one, CameraMainWidget *other)
{
    const QRect oneRestore = one->restoreRect();
    const bool oneMaximized = one->isMaximizedState();
    one->setRestoreRect(other->restoreRect());
    one->setMaximizedState(other->isMaximizedState());
    other->setRestoreRect(oneRestore);
    other->setMaximizedState(oneMaximized);
}

// A second resize to an odd width makes the window lay itself out afresh.
void relayoutBySize(CameraMainWidget *window, const QSize &size)
{
    window->resize(size.width() | 1, size.height());
}

} // namespace

CameraMainWidget *Lumidesk::makeFirstCameraWindow()
{
    m_firstCamera = new CameraMainWidget(nullptr);
    wireCameraWindow(m_firstCamera, 1);
    return m_firstCamera;
}

CameraMainWidget *Lumidesk::makeSecondCameraWindow()
{
    m_secondCamera = new CameraMainWidget(nullptr);
    wireCameraWindow(m_secondCamera, 2);
    m_secondCamera->setComboBox(m_firstCamera->comboBoxSource);
    return m_secondCamera;
}

void Lumidesk::wireCameraWindow(CameraMainWidget *window, int order)
{
    // Slots of one signal run in the order they were connected: keep it.
    const bool first = order == 1;
    window->setLanguage(m_currentLanguage);
    if (first) {
        connect(m_cameraManager, &DocCamManager::nonQorvCameraDetected, window,
                qOverload<GeneralCamera *>(&CameraMainWidget::cameraDetected));
    } else {
        // The first window passes the cameras it does not take on to the second one.
        connect(m_firstCamera, &CameraMainWidget::nonQorvCameraDetected, window,
                qOverload<GeneralCamera *, bool, bool>(&CameraMainWidget::cameraDetected));
    }
    connect(window, &CameraMainWidget::decreaseCamera, this, &Lumidesk::decreaseCameraCount);
    connect(window, &CameraMainWidget::switchScreens, this,
            first ? &Lumidesk::switchScreenFirst : &Lumidesk::switchScreenSecond);
    connect(window, &CameraMainWidget::zorderChange, this, &Lumidesk::handleZorderChange);
    // Whenever a camera window comes to the front (a click, a new camera, a swap), the bar goes back
    // above it.
    connect(window, &CameraMainWidget::zorderChange, this, [this] { raiseAboveCameraWindows(); });
    // A window manager raises a picture the user clicks, or a camera window whose settings open, and
    // tells nobody: the screen's stack shows it.
    connect(platform::StackingWatch::instance(), &platform::StackingWatch::restacked, this,
            &Lumidesk::keepStackingOrder, Qt::UniqueConnection);
    connect(window, &CameraMainWidget::cameraSelected, this,
            first ? &Lumidesk::handleCameraSelectedFirst : &Lumidesk::handleCameraSelectedSecond);
    const auto sendToClient = first ? &Lumidesk::CameraSendToClient : &Lumidesk::CameraSendToClient2;
    connect(window->settingDialog, &CameraSettingDialog::UIChange, this, sendToClient);
    connect(window, &CameraMainWidget::SendToClient, this, sendToClient);
    if (!first) {
        connect(m_firstCamera, &CameraMainWidget::dialogIsShow, window, &CameraMainWidget::setDialogShowValue);
        connect(window, &CameraMainWidget::dialogIsShow, m_firstCamera, &CameraMainWidget::setDialogShowValue);
    }
    connect(this, &Lumidesk::dialogIsShow, window, &CameraMainWidget::setDialogShowValue);
    connect(window, &CameraMainWidget::dialogIsShow, this, &Lumidesk::setDialogShowValue);
    connect(window->settingDialog, &CameraSettingDialog::startReboot, this, &Lumidesk::setRebootValue);
    window->setCameraOrder(order);
}

void Lumidesk::checkShowCameraWidget(int mode)
{
    m_layoutMode = mode;
    m_cameraManager = DocCamManager::getDocCamManager(QMap<QString, QString>());

    if (mode >= 0 && mode <= 3) {
        for (CameraMainWidget *window : {m_firstCamera, m_secondCamera}) {
            if (window)
                window->closeCameraWidget();
        }
        m_firstCameraSource = nullptr;
        m_secondCameraSource = nullptr;

        if (mode == PipWidget::NoCamera)
            m_pipWidget->setCameraMode(PipWidget::NoCamera);
        else if (mode == PipWidget::SingleCamera)
            showSingleLayout();
        else
            showDualLayout(mode);
    }

    for (CameraMainWidget *window : {m_firstCamera, m_secondCamera}) {
        if (window)
            window->setLiveControlState(m_liveControlShown);
    }
    raiseAboveCameraWindows();
}

void Lumidesk::showSingleLayout()
{
    if (!m_firstCamera)
        makeFirstCameraWindow();
    CameraMainWidget *window = m_firstCamera;
    const QRect place = CameraLayoutGeometry::single(primaryGeometry(), primaryAvailableGeometry());
    window->resetUi();
    window->resize(place.size());
    window->hideCameraWidgetContent();
    window->move(place.topLeft());
    window->hideSwitchBtn();
    m_pipWidget->setCameraMode(PipWidget::SingleCamera);
    relayoutBySize(window, place.size());
    showNormally(window);
    window->autoShowCamera(1);
    window->autoSelectAudio();
    setShadow(window);
    windowUpdate(window);
}

void Lumidesk::showDualLayout(int mode)
{
    if (!m_firstCamera)
        makeFirstCameraWindow();
    if (!m_secondCamera)
        makeSecondCameraWindow();
    const CameraLayoutGeometry::Places places =
            CameraLayoutGeometry::dual(mode, primaryGeometry(), primaryAvailableGeometry());
    const QList<QPair<CameraMainWidget *, QRect>> windows = {{m_firstCamera, places.first},
                                                            {m_secondCamera, places.second}};
    for (const auto &each : windows)
        each.first->resize(each.second.size());
    for (const auto &each : windows) {
        each.first->resetUi();
        each.first->hideCameraWidgetContent();
    }
    for (const auto &each : windows)
        each.first->move(each.second.topLeft());
    for (const auto &each : windows)
        each.first->showSwitchBtn();
    m_pipWidget->setCameraMode(mode);
    for (const auto &each : windows)
        relayoutBySize(each.first, each.second.size());
    // A window maximised from here goes back to its place in the layout.
    for (const auto &each : windows)
        each.first->setRestoreRect(each.first->geometry());
    for (const auto &each : windows)
        showNormally(each.first);

    assignSupportedCameras();
    m_secondCamera->autoSelectAudio();
    m_firstCamera->autoSelectAudio();
    for (const auto &each : windows) {
        setShadow(each.first);
        windowUpdate(each.first);
    }
}

void Lumidesk::assignSupportedCameras()
{
    QList<GeneralCamera *> supported;
    for (GeneralCamera *camera : m_cameraManager->queryCameras(false)) {
        if (camera && IsSupportVPID(camera->getVID(), camera->getPID()))
            supported.append(camera);
    }
    if (supported.size() >= 1)
        m_firstCamera->setWidgetCamera(supported.at(0));
    if (supported.size() >= 2)
        m_secondCamera->setWidgetCamera(supported.at(1));
}

void Lumidesk::decreaseCameraCount()
{
    m_pipWidget->decreaseCameraCount();
    const int count = m_pipWidget->getCameraCount();
    for (CameraMainWidget *window : {m_secondCamera, m_firstCamera}) {
        if (!window || !window->getBtnCloseClicked())
            continue;
        if (count == 1)
            sendAnalytics(LayoutEvent, PipWidget::LayoutValueBase + PipWidget::SingleCamera);
        else if (count == 0)
            sendAnalytics(LayoutEvent, PipWidget::LayoutValueBase + PipWidget::NoCamera);
        window->setBtnCloseClicked();
    }
    for (CameraMainWidget *window : {m_firstCamera, m_secondCamera}) {
        if (!window)
            continue;
        if (count >= 2)
            window->showSwitchBtn();
        else
            window->hideSwitchBtn();
    }
}

void Lumidesk::switchScreen()
{
    if (!m_firstCamera || !m_secondCamera)
        return;
    const QRect first = m_firstCamera->geometry();
    const QRect second = m_secondCamera->geometry();
    m_firstCamera->hideCameraWidgetContent();
    m_secondCamera->hideCameraWidgetContent();
    m_firstCamera->setGeometry(second);
    m_secondCamera->setGeometry(first);

    // The smaller window stays in front.
    const qint64 firstArea = qint64(m_firstCamera->width()) * m_firstCamera->height();
    const qint64 secondArea = qint64(m_secondCamera->width()) * m_secondCamera->height();
    CameraMainWidget *front = secondArea < firstArea ? m_secondCamera : m_firstCamera;
    front->previewWindow()->raise();
    front->raise();
    front->setFocus();

    m_firstCamera->relayout();
    m_secondCamera->relayout();
    exchangeRestoreState(m_firstCamera, m_secondCamera);
    windowUpdate(m_firstCamera);
    windowUpdate(m_secondCamera);
}

void Lumidesk::switchScreenFirst()
{
    switchScreen();
    if (m_secondCamera) {
        m_secondCamera->previewWindow()->raise();
        m_secondCamera->raise();
    }
    raiseAboveCameraWindows();
}

void Lumidesk::switchScreenSecond()
{
    switchScreen();
    if (m_firstCamera) {
        m_firstCamera->previewWindow()->raise();
        m_firstCamera->raise();
    }
    raiseAboveCameraWindows();
}
