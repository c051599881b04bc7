#include "livestreamsettingdialog.h"
#include "ui_livestreamsettingdialog.h"

#include "core/lumidesklog.h"
#include "core/settingspath.h"

#include <QSettings>

namespace {

const int LevelHeights[] = {1080, 720, 480, 360};
const char *const ServiceNames[] = {"Youtube", "Live", "Ustream", "Others"};
constexpr int ServiceCount = 4;
constexpr int LevelCount = 4;

} // namespace

LiveStreamSettingDialog::LiveStreamSettingDialog(StreamType type, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::LiveStreamSettingDialog)
    , m_type(type)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    connect(ui->btnOk, &QPushButton::clicked, this, &LiveStreamSettingDialog::apply);
    connect(ui->btnCancel, &QPushButton::clicked, this, &LiveStreamSettingDialog::closeSetting);
    ui->checkAutoRecord->setEnabled(false);
}

LiveStreamSettingDialog::~LiveStreamSettingDialog()
{
    delete ui;
}

void LiveStreamSettingDialog::setFrameSize(int width, int height)
{
    m_frameWidth = width;
    m_frameHeight = height;
}

QString LiveStreamSettingDialog::urlKey(int service)
{
    return QStringLiteral("Live/%1Url").arg(QLatin1String(ServiceNames[qBound(0, service, ServiceCount - 1)]));
}

QString LiveStreamSettingDialog::streamKeyKey(int service)
{
    return QStringLiteral("Live/%1Key").arg(QLatin1String(ServiceNames[qBound(0, service, ServiceCount - 1)]));
}

void LiveStreamSettingDialog::loadSetting()
{
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    ui->checkAutoRecord->setChecked(settings.value(QStringLiteral("Live/AutoRecord"), false).toBool());
    const int service = qBound(0, settings.value(QStringLiteral("Live/Service"), 0).toInt(), ServiceCount - 1);
    ui->comboService->setCurrentIndex(service);
    ui->editUrl->setText(settings.value(urlKey(service)).toString());
    ui->editKey->setText(settings.value(streamKeyKey(service)).toString());
    ui->comboResolution->setCurrentIndex(
        qBound(0, settings.value(QStringLiteral("Live/Resolution"), 1).toInt(), LevelCount - 1));
}

void LiveStreamSettingDialog::enableAutoRecord(bool on)
{
    m_autoRecordEnabled = on;
    ui->checkAutoRecord->setEnabled(on);
}

void LiveStreamSettingDialog::showSetting()
{
    m_shown = true;
    connect(ui->comboService, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &LiveStreamSettingDialog::serviceChanged, Qt::UniqueConnection);
    connect(ui->comboResolution, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &LiveStreamSettingDialog::resolutionChanged, Qt::UniqueConnection);
    show();
}

bool LiveStreamSettingDialog::closeSetting()
{
    m_shown = false;
    disconnect(ui->comboService, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &LiveStreamSettingDialog::serviceChanged);
    disconnect(ui->comboResolution, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &LiveStreamSettingDialog::resolutionChanged);
    return close();
}

QString LiveStreamSettingDialog::getStreamUrl() const
{
    return ui->editUrl->text().trimmed();
}

QString LiveStreamSettingDialog::getStreamKey() const
{
    return ui->editKey->text().trimmed();
}

int LiveStreamSettingDialog::getServiceType() const
{
    return ui->comboService->currentIndex();
}

int LiveStreamSettingDialog::highestAllowedLevel() const
{
    const int extent = qMin(m_frameWidth, m_frameHeight);
    for (int level = 0; level < LevelCount; ++level) {
        if (LevelHeights[level] <= extent)
            return level;
    }
    return LevelCount - 1;
}

int LiveStreamSettingDialog::getResolutionLevel()
{
    int level = ui->comboResolution->currentIndex();
    const int allowed = highestAllowedLevel();
    if (level < allowed) {
        _LumideskLog::log(Journix::Warning, "Resolution not supported, change resolution level.");
        level = allowed;
        ui->comboResolution->setCurrentIndex(level);
        QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Live/Resolution"), level);
    }
    return level;
}

bool LiveStreamSettingDialog::getAutoRecordStatus() const
{
    return m_autoRecordEnabled && ui->checkAutoRecord->isChecked();
}

void LiveStreamSettingDialog::updateString()
{
    ui->retranslateUi(this);
}

void LiveStreamSettingDialog::serviceChanged(int index)
{
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    ui->editUrl->setText(settings.value(urlKey(index)).toString());
    ui->editKey->setText(settings.value(streamKeyKey(index)).toString());
}

void LiveStreamSettingDialog::resolutionChanged(int index)
{
    Q_UNUSED(index)
    ui->labelMessage->clear();
}

void LiveStreamSettingDialog::apply()
{
    if (!getStreamUrl().startsWith(QLatin1String("rtmp://"))
        && !getStreamUrl().startsWith(QLatin1String("rtmps://"))) {
        ui->labelMessage->setText(tr("Please enter a valid stream URL."));
        return;
    }
    if (ui->comboResolution->currentIndex() < highestAllowedLevel()) {
        ui->labelMessage->setText(tr("This resolution is higher than the camera's picture."));
        return;
    }
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Live/Service"), getServiceType());
    settings.setValue(urlKey(getServiceType()), getStreamUrl());
    settings.setValue(streamKeyKey(getServiceType()), getStreamKey());
    settings.setValue(QStringLiteral("Live/Resolution"), ui->comboResolution->currentIndex());
    settings.setValue(QStringLiteral("Live/AutoRecord"), ui->checkAutoRecord->isChecked());
    closeSetting();
    emit settingSuccess();
}
