#include "camerasettingdialog_p.h"

#include <QSignalBlocker>

#include <algorithm>

using namespace camerasettings;

QString CameraSettingDialog::videoFormateToString(int format)
{
    static const char *const names[] = {"RGB32", "RGB888", "YUV444", "YUV422", "YUV420",
                                        "YUY2",  "MJPG",   "H264",   "UYVY"};
    if (format < 0 || format > 8)
        return QStringLiteral("OTHER");
    return QString::fromLatin1(names[format]);
}

QString CameraSettingDialog::sensorModeToString(int mode)
{
    switch (mode) {
    case 0: return QStringLiteral("Standard");
    case 1: return QStringLiteral("60fps");
    case 2: return QStringLiteral("8M");
    default: return QStringLiteral("OTHER");
    }
}

bool CameraSettingDialog::checkListContainFps(int fps) const
{
    return ui.cbFrameRate->findText(frameRateText(uint(fps))) >= 0;
}

bool CameraSettingDialog::checkListContainOutputMode(const QString &text) const
{
    return ui.cbOutputMode->findText(text) >= 0;
}

void CameraSettingDialog::setTextStyle(QLabel *label, const QString &color, const QString &size)
{
    label->setStyleSheet(QStringLiteral("color:") + color + QStringLiteral(";background:transparent;font:") + size
                         + QStringLiteral("'Arial'"));
}

void CameraSettingDialog::setComboBoxStyle(QComboBox *combo, bool enabled)
{
    const QString arrow = enabled ? QStringLiteral("icon_p_w_war.png") : QStringLiteral("icon_p_w_war_disabled.png");
    const QString text = enabled ? QStringLiteral("#ffffff") : QStringLiteral("#4C4C4C");
    combo->setStyleSheet(
        QStringLiteral("QComboBox{border-radius:0px;font:14px 'Arial';color:%2;background:#878B92;"
                       "background:transparent;selection-background-color:transparent;}"
                       "QComboBox::drop-down{border-width:0px;}"
                       "QComboBox::down-arrow{border-width:0px;image:url(%1%3);}"
                       "QComboBox QAbstractItemView{border:none;outline:none;background:#ffffff;}"
                       "QComboBox QAbstractItemView::item{min-height:30px;color:#000000;background:#ffffff;"
                       "padding-left:5px;}"
                       "QComboBox QAbstractItemView::item:hover,QComboBox QAbstractItemView::item:selected"
                       "{background:#009bef;color:#ffffff;}")
            .arg(ImagePath, text, arrow));
}

bool CameraSettingDialog::isTitleRow(int row) const
{
    return row >= 0
           && ui.cbResolution->itemData(row, Qt::AccessibleDescriptionRole).toString()
                  == QLatin1String("titleSeparator");
}

void CameraSettingDialog::addResolutionGroup(const QString &title, const QStringList &entries)
{
    if (entries.isEmpty())
        return;
    // The title goes in after its first entry, so that an empty list never makes the title current.
    const int start = ui.cbResolution->count();
    for (const QString &entry : entries)
        ui.cbResolution->addItem(entry);
    ui.cbResolution->insertTitleSeparator(title, start);
}

void CameraSettingDialog::addFrameRatesFor(const QList<VideoFormat> &formats)
{
    const QString mode = ui.cbOutputMode->currentText();
    const QString resolution = ui.cbResolution->currentText();
    for (const VideoFormat &format : formats) {
        if (videoFormateToString(format.codecType) != mode
            || resolutionText(format.width, format.height) != resolution)
            continue;
        for (uint fps : format.frameRates) {
            if (!checkListContainFps(int(fps)))
                ui.cbFrameRate->addItem(frameRateText(fps));
        }
    }
}

void CameraSettingDialog::outputModeChange(int)
{
    ensureForm();
    const QString shown = ui.cbResolution->currentText();
    if (shown.size() >= 6) {
        const QStringList parts = shown.split(QStringLiteral(" x"), Qt::KeepEmptyParts, Qt::CaseSensitive);
        m_selectedWidth = parts.value(0).toInt();
        m_selectedHeight = parts.value(1).trimmed().toInt();
    }
    if (!ui.cbFrameRate->currentText().isEmpty())
        m_frameRateText = ui.cbFrameRate->currentText();

    const QList<VideoFormat> formats = m_camera ? m_camera->getVideFormats() : QList<VideoFormat>();
    int row = -1;
    {
        // The list is rebuilt silently and the frame rates follow once, for the row finally chosen.
        const QSignalBlocker blocker(ui.cbResolution);
        ui.cbResolution->clear();
        ui.cbFrameRate->clear();
        QStringList standard;
        QStringList wide;
        const QString mode = ui.cbOutputMode->currentText();
        for (const VideoFormat &format : formats) {
            if (videoFormateToString(format.codecType) != mode || format.width > WidestListedWidth)
                continue;
            QStringList &group = double(format.width) / double(format.height) >= 1.5 ? wide : standard;
            const QString text = resolutionText(format.width, format.height);
            if (!group.contains(text))
                group.append(text);
        }
        const auto byHeight = [](const QString &a, const QString &b) { return heightOf(a) < heightOf(b); };
        std::stable_sort(standard.begin(), standard.end(), byHeight);
        std::stable_sort(wide.begin(), wide.end(), byHeight);
        addResolutionGroup(QStringLiteral("4:3"), standard);
        addResolutionGroup(QStringLiteral("16:9"), wide);
        if (m_isHighestResolutionRemoved)
            removeMostHighResolution();
        row = ui.cbResolution->findText(resolutionText(m_selectedWidth, m_selectedHeight));
        if (row < 0)
            row = ui.cbResolution->count() - 1;
        ui.cbResolution->setCurrentIndex(row);
    }
    resolutionChange(row);
    addFrameRatesFor(formats);
    disableFrameRate();
}

void CameraSettingDialog::resolutionChange(int)
{
    ensureForm();
    const int row = ui.cbResolution->currentIndex();
    if (isTitleRow(row)) {
        // A group title is no resolution: the nearest resolution row takes its place.
        for (int next : {row + 1, row - 1}) {
            if (next >= 0 && next < ui.cbResolution->count() && !isTitleRow(next)) {
                ui.cbResolution->setCurrentIndex(next);
                return;
            }
        }
    }
    if (!ui.cbFrameRate->currentText().isEmpty())
        m_frameRateText = ui.cbFrameRate->currentText();
    ui.cbFrameRate->clear();
    if (m_camera)
        addFrameRatesFor(m_camera->getVideFormats());
    const int rate = ui.cbFrameRate->findText(m_frameRateText);
    if (rate >= 0)
        ui.cbFrameRate->setCurrentIndex(rate);
    disableFrameRate();
}

void CameraSettingDialog::disableFrameRate()
{
    ensureForm();
    if (m_isFrameRateSupported)
        return;
    if (ui.cbFrameRate->findText(NotAvailable) < 0 && ui.cbFrameRate->findText(tr("N/A")) < 0)
        ui.cbFrameRate->addItem(tr("N/A"));
    ui.cbFrameRate->setCurrentIndex(ui.cbFrameRate->count() - 1);
    ui.cbFrameRate->setEnabled(false);
    setComboBoxStyle(ui.cbFrameRate, false);
    setTextStyle(ui.lbFr, Greyed, CaptionSize);
}

void CameraSettingDialog::removeMostHighResolution()
{
    ensureForm();
    m_isHighestResolutionRemoved = true;
    const int row = ui.cbResolution->findText(QStringLiteral("3264 x 2448"));
    if (row >= 0)
        ui.cbResolution->removeItem(row);
}

void CameraSettingDialog::getCameraVideoOutputSetting()
{
    if (!isSupportedCamera())
        return;
    const VideoFormat active = m_camera->getActiveFormat();
    const int format = ui.cbOutputMode->findText(videoFormateToString(active.codecType));
    if (format >= 0)
        ui.cbOutputMode->setCurrentIndex(format);
    if (ui.cbH264Output->count() > 1)
        ui.cbH264Output->setCurrentIndex(m_isH264Disabled ? 0 : 1);
    float mode = 0;
    m_camera->getSensorMode(&mode);
    m_sensorModeValue = int(mode);
    const int sensor = ui.cbSensorMode->findText(sensorModeToString(m_sensorModeValue));
    if (sensor >= 0)
        ui.cbSensorMode->setCurrentIndex(sensor);
    const int resolution = ui.cbResolution->findText(resolutionText(active.width, active.height));
    if (resolution >= 0)
        ui.cbResolution->setCurrentIndex(resolution);
    const int rate = ui.cbFrameRate->findText(frameRateText(uint(active.frameRate)));
    if (rate >= 0)
        ui.cbFrameRate->setCurrentIndex(rate);
    disableFrameRate();
}

void CameraSettingDialog::setH264Output(int index)
{
    ensureForm();
    if (!m_camera || index < 0 || m_isRebooting)
        return;
    if (index != (m_isH264Disabled ? 0 : 1)) {
        changeToSmallSize();
        showRestartPage();
    }
}

void CameraSettingDialog::sensorModeChange(int index)
{
    ensureForm();
    if (index < 0 || !m_camera)
        return;
    // The row carries the mode it stands for, so a range that does not start at 0 compares right.
    m_sensorModeValue = rowValue(ui.cbSensorMode, index);
    float mode = 0;
    m_camera->getSensorMode(&mode);
    if (mode == float(m_sensorModeValue) || m_isRebooting)
        return;
    changeToSmallSize();
    showRestartPage();
}

void CameraSettingDialog::setToRecordModeUi(bool locked)
{
    m_isRecordModeLocked = locked;
    if (!m_formBuilt)
        return;
    ui.btnVideoOutputMode->setEnabled(!locked);
    ui.lbVideoOutputMode->setStyleSheet(locked ? QStringLiteral("color:#4c4c4c;background:transparent;font: 18px 'Arial'")
                                               : QStringLiteral("color:#000000;background:transparent;font: 18px 'Arial'"));
    ui.iconVideoOuputMode->setPixmap(QPixmap(ImagePath + (locked ? QStringLiteral("icon_pc_video_disabled.png")
                                                                 : QStringLiteral("icon_pc_video.png"))));
}

QString CameraSettingDialog::getSensorModeValue() const
{
    // The texts are the form's: a form not built yet is built to read them.
    const_cast<CameraSettingDialog *>(this)->ensureForm();
    return QStringLiteral("VideoOutputMode=") + ui.cbOutputMode->currentText() + QStringLiteral("&H264Output=")
           + (ui.cbH264Output->currentIndex() == 1 ? QStringLiteral("On") : QStringLiteral("Off"))
           + QStringLiteral("&CameraMode=") + ui.cbSensorMode->currentText() + QStringLiteral("&FrameRate=")
           + ui.cbFrameRate->currentText();
}
