#include "camerasettingdialog_p.h"

#include "common/camerafirmwareversion.h"
#include "notificationdialog.h"
#include "desktop/taskbarentry.h"
#include "vantoupdater.h"

#include <QTimer>

using namespace camerasettings;

namespace {
enum ResolutionReport {
    ResolutionDetails = 0x1100000c,
    ResolutionApplied = 0x1100000d,
};
} // namespace

void CameraSettingDialog::applyOutputMode()
{
    ensureForm();
    if (!m_camera) {
        closeDialog();
        return;
    }
    const QString resolution = ui.cbResolution->currentText();
    const QString mode = ui.cbOutputMode->currentText();
    const VideoFormat active = m_camera->getActiveFormat();
    const bool resolutionChanged = resolutionText(active.width, active.height) != resolution;
    bool refused = false;
    for (const VideoFormat &format : m_camera->getVideFormats()) {
        if (videoFormateToString(format.codecType) != mode
            || resolutionText(format.width, format.height) != resolution)
            continue;
        int fps = 0;
        if (m_isFrameRateSupported)
            fps = ui.cbFrameRate->currentText().split(QStringLiteral("fps")).value(0).toInt();
        else if (!format.frameRates.isEmpty())
            fps = int(format.frameRates.first());
        if (succeeded(m_camera->setActiveFormat(format.index, fps))) {
            emit settingApplied();
        } else {
            refused = true;
            emit setActiveFormatError();
        }
    }
    if (refused) {
        // The camera kept its format: the user learns it here and may choose again, and nothing is
        // counted as applied.
        showApplyFailure();
        return;
    }

    const QString resolutionWord = QString(resolution).replace(QStringLiteral(" x "), QStringLiteral("X"));
    if (resolutionChanged)
        reportResolution(resolutionWord);
    reportOutputMode(resolutionWord);
    closeDialog();
}

void CameraSettingDialog::reportResolution(const QString &resolutionWord)
{
    // An update object of its own, for the versions only: it downloads nothing, and its folder is
    // private, so making and deleting it leaves every other update object's files alone.
    VantoUpdater updater;
    const QString firmware = cameraFirmwareVersion(updater, m_camera);
    const QString window = QString::number(width()) + QLatin1Char('X') + QString::number(height());
    const QString name = m_camera->getName();
    sendAnalytics(ResolutionApplied, m_cameraOrder, name);
    sendAnalytics(ResolutionDetails, m_cameraOrder, name, resolutionWord, window, firmware,
                  updater.getCurrentSWVersion());
}

void CameraSettingDialog::reportOutputMode(const QString &resolutionWord)
{
    QString setting = getSensorModeValue() + QStringLiteral("&Resolution=") + resolutionWord;
    if (setting.contains(QStringLiteral("H264Output=Off")))
        setting.replace(QStringLiteral("H264Output=Off"), QStringLiteral("H264Output=MAC"));
    else
        setting.replace(QStringLiteral("H264Output=On"), QStringLiteral("H264Output=MAC"));
    sendAnalytics(OutputModeApplied, m_cameraOrder, m_camera->getName(), setting);
}

void CameraSettingDialog::showApplyFailure()
{
    if (!m_applyNotice) {
        m_applyNotice = new NotificationDialog(this);
        platform::TaskbarEntry::keepOut(m_applyNotice);
    }
    m_applyNotice->setTitle(tr("Tivlo"));
    m_applyNotice->setMessage(tr("The camera did not accept this output mode. Please choose another one."));
    m_applyNotice->show();
    m_applyNotice->autoAdjustSize(0);
}

void CameraSettingDialog::setOutputModeDefault()
{
    ensureForm();
    if (!m_camera)
        return;
    if (isSupportedCamera()) {
        m_isOutputModeDefault = true;
        float mode = 0;
        m_camera->getDefaultSensorMode(&mode);
        if (mode != float(rowValue(ui.cbSensorMode, ui.cbSensorMode->currentIndex()))) {
            const int standard = ui.cbSensorMode->findText(sensorModeToString(0));
            if (standard < 0)
                return;
            ui.cbSensorMode->setCurrentIndex(standard);
            changeToSmallSize();
            showRestartPage();
            return;
        }
        const QList<QPair<QComboBox *, QString>> defaults{{ui.cbOutputMode, QStringLiteral("MJPG")},
                                                          {ui.cbResolution, QStringLiteral("848 x 480")},
                                                          {ui.cbFrameRate, QStringLiteral("30fps")}};
        for (const auto &choice : defaults) {
            const int row = choice.first->findText(choice.second);
            if (row >= 0)
                choice.first->setCurrentIndex(row);
        }
        return;
    }
    const QList<VideoFormat> formats = m_camera->getVideFormats();
    QList<int> heights;
    for (const VideoFormat &format : formats) {
        if (format.codecType == 6)
            heights.append(format.height);
    }
    const int height = getMinValue(heights);
    if (height == -1)
        return;
    for (const VideoFormat &format : formats) {
        if (format.codecType != 6 || format.height != height)
            continue;
        const int mode = ui.cbOutputMode->findText(QStringLiteral("MJPG"));
        if (mode >= 0)
            ui.cbOutputMode->setCurrentIndex(mode);
        const int row = ui.cbResolution->findText(resolutionText(format.width, format.height));
        if (row >= 0)
            ui.cbResolution->setCurrentIndex(row);
        break;
    }
}

void CameraSettingDialog::showProgressPage()
{
    ensureForm();
    if (!m_camera)
        return;
    m_isSensorModeReboot = true;
    float mode = 0;
    m_camera->getSensorMode(&mode);
    bool defaultH264Off = false;
    m_camera->getDefaultDisableH264(&defaultH264Off);
    emit updateSetting(ui.cbOutputMode->currentText(), ui.cbFrameRate->currentText(),
                       ui.cbResolution->currentText());
    if (ui.cbH264Output->currentIndex() == (m_isH264Disabled ? 1 : 0) && !m_isOutputModeDefault) {
        m_camera->setDisableH264(!m_isH264Disabled);
        m_isH264Changed = true;
    }
    const int selected = rowValue(ui.cbSensorMode, ui.cbSensorMode->currentIndex());
    if (mode != float(selected)) {
        if (m_isOutputModeDefault)
            m_camera->setDisableH264(defaultH264Off);
        m_camera->setSensorMode(float(selected));
        emit changeSensorMode(selected, m_isOutputModeDefault);
    } else if (m_isH264Changed) {
        if (m_isOutputModeDefault)
            m_camera->setDisableH264(defaultH264Off);
        m_camera->setReboot();
    }
    emit restartCamera(m_camera);
    ui.stackedWidget->setCurrentIndex(5);
    ui.progressBar->setValue(0);
    emit startReboot(true);
    m_isRebooting = true;
    delete m_restartTimer;
    m_restartTimer = new QTimer(this);
    connect(m_restartTimer, &QTimer::timeout, this, &CameraSettingDialog::reStartProgerssBar);
    m_restartTimer->start(m_restartTickMsecs);
}

bool CameraSettingDialog::isRestartRunning() const
{
    return m_isRebooting && m_restartTimer && m_restartTimer->isActive();
}

void CameraSettingDialog::reStartProgerssBar()
{
    ensureForm();
    const int value = ui.progressBar->value() + RestartStep;
    if (value <= 99) {
        ui.progressBar->setValue(value);
        return;
    }
    m_restartTimer->stop();
    m_isOutputModeDefault = false;
    ui.progressBar->setValue(100);
    finishRestart();
    QTimer::singleShot(m_restartFinishMsecs, this, &CameraSettingDialog::delayRestart);
}

void CameraSettingDialog::finishRestart()
{
    // Still on the progress page (shown, or closed during the wait): close as the bar completes. A
    // dialog the user opened again in the meantime stays where the user is.
    if (ui.stackedWidget->currentIndex() == 5) {
        closeDialog();
        return;
    }
    emit startReboot(false);
    m_isRebooting = false;
}

void CameraSettingDialog::delayRestart()
{
    ensureForm();
    emit cameraRestartFinished();
    emit startReboot(false);
    m_isRebooting = false;
    if (m_restartTimer)
        m_restartTimer->stop();
}

void CameraSettingDialog::setRestartIntervals(int tickMsecs, int finishDelayMsecs)
{
    m_restartTickMsecs = tickMsecs;
    m_restartFinishMsecs = finishDelayMsecs;
}

bool CameraSettingDialog::getIsSensorModeReboot() const
{
    return m_isSensorModeReboot;
}

void CameraSettingDialog::setIsSensorModeReboot(bool reboot)
{
    m_isSensorModeReboot = reboot;
}
