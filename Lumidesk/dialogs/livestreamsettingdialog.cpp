#include "dialogs/livestreamsettingdialog.h"

#include "ui_livestreamsettingdialog.h"

#include "common/lumidesklog.h"
#include "desktop/taskbarentry.h"
#include "dialogs/dialogframe.h"
#include "dialogs/liveform.h"
#include "notificationdialog.h"

#include <QComboBox>

namespace {

constexpr Journix::LogLevel StateLevel = Journix::Warning;

// The model's flags role: selectable and enabled, or neither.
constexpr int ItemFlagsRole = Qt::UserRole - 1;
constexpr int EnabledItemFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;

} // namespace

LiveStreamSettingDialog::LiveStreamSettingDialog(StreamType type, QWidget *parent)
    : QDialog(parent, DialogFrame::Flags)
    , m_type(type)
{
    platform::TaskbarEntry::keepOut(this);
}

// The form waits for its first use: its text fields load the system's font list, which the program
// does not need before its toolbar is on screen.
void LiveStreamSettingDialog::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::LiveStreamSettingDialog;
    ui->setupUi(this);
    DialogFrame::setUp(this);
    m_form = std::make_unique<LiveForm>(ui->checkBoxRecord, ui->comboService, ui->textEditUrl, ui->textEditKey,
                                        ui->comboResolution, true);
    ui->checkBoxRecord->setEnabled(m_autoRecordAllowed);
    // The notice belongs with the dialog's owner, like the dialog; without an owner, with the dialog.
    m_notification = new NotificationDialog(parentWidget() ? parentWidget() : this);
    platform::TaskbarEntry::keepOut(m_notification.data());
    DialogFrame::centreOnScreen(m_notification);

    connect(ui->btnApply, &QToolButton::clicked, this, &LiveStreamSettingDialog::applySetting);
    connect(ui->btnClose, &QToolButton::clicked, this, &LiveStreamSettingDialog::closeSetting);
    connect(ui->textEditUrl, &QTextEdit::textChanged, this, &LiveStreamSettingDialog::editUrlChanged);
    connect(ui->textEditKey, &QTextEdit::textChanged, this, &LiveStreamSettingDialog::editKeyChanged);
}

bool LiveStreamSettingDialog::hasForm() const
{
    return ui != nullptr;
}

void LiveStreamSettingDialog::setVisible(bool visible)
{
    if (visible)
        ensureForm();
    QDialog::setVisible(visible);
}

LiveStreamSettingDialog::~LiveStreamSettingDialog()
{
    disconnect(this);
    delete m_notification;
    delete ui;
}

void LiveStreamSettingDialog::updateString()
{
    // A form not built yet is built in the language then in force.
    if (!ui)
        return;
    ui->retranslateUi(this);
    // The form starts over as built; the owner loads the values again before it shows the dialog.
    ui->comboService->setCurrentIndex(0);
    ui->comboResolution->setCurrentIndex(0);
    ui->textEditUrl->clear();
    ui->textEditKey->clear();
    m_notification->updateString();
}

void LiveStreamSettingDialog::enableAutoRecord(bool enable)
{
    m_autoRecordAllowed = enable;
    if (ui)
        ui->checkBoxRecord->setEnabled(enable);
}

void LiveStreamSettingDialog::loadSetting()
{
    ensureForm();
    m_values = LiveSettings::load(m_values);
    m_form->show(m_values);
    checkResolutionSupport();
}

void LiveStreamSettingDialog::checkResolutionSupport()
{
    m_bestLevel = LiveSettings::bestSupportedLevel(m_frameWidth, m_frameHeight);
}

void LiveStreamSettingDialog::setFrameSize(int width, int height)
{
    m_frameWidth = width;
    m_frameHeight = height;
}

bool LiveStreamSettingDialog::getAutoRecordStatus() const
{
    return m_autoRecordAllowed && m_values.autoRecord;
}

int LiveStreamSettingDialog::getServiceType() const
{
    return m_values.service;
}

QString LiveStreamSettingDialog::getStreamUrl() const
{
    return m_values.url;
}

QString LiveStreamSettingDialog::getStreamKey() const
{
    return m_values.key;
}

int LiveStreamSettingDialog::getResolutionLevel()
{
    if (isSupported(m_values.resolution))
        return m_values.resolution;
    _LumideskLog::log(StateLevel, "Resolution not supported, change resolution level.");
    m_values.resolution = m_bestLevel;
    LiveSettings::storeResolution(m_values.resolution);
    return m_values.resolution;
}

void LiveStreamSettingDialog::showSetting()
{
    m_settingShown = true;
    connectBoxes();
    show();
}

void LiveStreamSettingDialog::closeSetting()
{
    m_settingShown = false;
    disconnectBoxes();
    // Hides without a close event, whose reject() would come back here.
    QDialog::reject();
}

void LiveStreamSettingDialog::reject()
{
    closeSetting();
}

void LiveStreamSettingDialog::enableComboboxItem(QComboBox *box, int index, bool enable)
{
    if (!box)
        return;
    box->model()->setData(box->model()->index(index, 0), enable ? EnabledItemFlags : 0, ItemFlagsRole);
}

void LiveStreamSettingDialog::showResolutionNotification(int level)
{
    // Any level outside the table asks for the smallest one a stream can have.
    const int height = LiveSettings::levelHeight(level) ? LiveSettings::levelHeight(level)
                                                       : LiveSettings::levelHeight(LiveSettings::LevelCount - 1);
    ensureForm();
    if (m_type == Desktop) {
        m_notification->setMessage(tr("This computer is not set to proper screen resolution.<br/><br/>Please, "
                                      "adjust your display to at least %1p.")
                                       .arg(height));
        m_notification->show();
        m_notification->autoAdjustSize(2);
    } else {
        m_notification->setMessage(tr("This camera is not set to proper resolution.<br/><br/>Please, click on "
                                      "camera setting > video output mode > adjust the camera resolution to at "
                                      "least %1p.")
                                       .arg(height));
        m_notification->show();
        m_notification->autoAdjustSize(3);
    }
}

void LiveStreamSettingDialog::showNotice(const QString &message)
{
    ensureForm();
    m_notification->setTitle(LiveSettings::noticeTitle());
    m_notification->setMessage(message);
    m_notification->show();
    m_notification->autoAdjustSize(0);
}

void LiveStreamSettingDialog::applySetting()
{
    const LiveSettings::Values chosen = m_form->read();
    QString missing;
    if (!LiveSettings::isComplete(chosen.url, chosen.key, &missing)) {
        showNotice(missing);
        return;
    }
    if (!isSupported(chosen.resolution)) {
        _LumideskLog::log(StateLevel, "Resolution not supported.");
        showResolutionNotification(chosen.resolution);
        return;
    }
    m_values = chosen;
    LiveSettings::store(m_values);

    emit settingSuccess();
    closeSetting();
}

void LiveStreamSettingDialog::editUrlChanged()
{
    m_form->limitUrl();
}

void LiveStreamSettingDialog::editKeyChanged()
{
    m_form->limitKey();
}

void LiveStreamSettingDialog::serviceIndexChanged(int index)
{
    m_form->showStoredPair(index);
}

void LiveStreamSettingDialog::resolutionIndexChanged(int level)
{
    if (isSupported(level))
        return;
    _LumideskLog::log(StateLevel, "Resolution not supported.");
    showResolutionNotification(level);
}

void LiveStreamSettingDialog::connectBoxes()
{
    ensureForm();
    connect(ui->comboService, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &LiveStreamSettingDialog::serviceIndexChanged, Qt::UniqueConnection);
    connect(ui->comboResolution, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &LiveStreamSettingDialog::resolutionIndexChanged, Qt::UniqueConnection);
}

void LiveStreamSettingDialog::disconnectBoxes()
{
    if (!ui)
        return;
    disconnect(ui->comboService, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &LiveStreamSettingDialog::serviceIndexChanged);
    disconnect(ui->comboResolution, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &LiveStreamSettingDialog::resolutionIndexChanged);
}

NotificationDialog *LiveStreamSettingDialog::notification()
{
    ensureForm();
    return m_notification;
}
