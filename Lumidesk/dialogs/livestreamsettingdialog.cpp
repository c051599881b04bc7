#include "dialogs/livestreamsettingdialog.h"

#include "ui_livestreamsettingdialog.h"

#include "core/lumidesklog.h"
#include "core/widgets/notificationdialog.h"
#include "dialogs/streamtextfield.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStandardItemModel>
#include <QStyledItemDelegate>

namespace {

constexpr Journix::LogLevel RejectedInputLevel = Journix::Error;
constexpr Journix::LogLevel StateLevel = Journix::Warning;

// The model's flags role: selectable and enabled, or neither.
constexpr int ItemFlagsRole = Qt::UserRole - 1;
constexpr int EnabledItemFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;

void centreOnPrimaryScreen(QWidget *widget)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        widget->move(area.x() + area.width() / 2 - widget->width() / 2,
                     area.y() + area.height() / 2 - widget->height() / 2);
    }
}

} // namespace

LiveStreamSettingDialog::LiveStreamSettingDialog(StreamType type, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::LiveStreamSettingDialog)
    , m_type(type)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);

    ui->comboService->setItemDelegate(new QStyledItemDelegate(ui->comboService));
    ui->comboResolution->setItemDelegate(new QStyledItemDelegate(ui->comboResolution));
    StreamTextField::setUp(ui->textEditUrl);
    StreamTextField::setUp(ui->textEditKey);

    connect(ui->btnApply, &QToolButton::clicked, this, &LiveStreamSettingDialog::applySetting);
    connect(ui->btnClose, &QToolButton::clicked, this, &LiveStreamSettingDialog::closeSetting);
    connect(ui->textEditUrl, &QTextEdit::textChanged, this, &LiveStreamSettingDialog::editUrlChanged);
    connect(ui->textEditKey, &QTextEdit::textChanged, this, &LiveStreamSettingDialog::editKeyChanged);

    // The notice belongs with the dialog's owner, like the dialog; without an owner, with the dialog.
    m_notification = new NotificationDialog(parent ? parent : this);
    centreOnPrimaryScreen(m_notification);
}

LiveStreamSettingDialog::~LiveStreamSettingDialog()
{
    disconnect(this);
    delete m_notification;
    delete ui;
}

void LiveStreamSettingDialog::updateString()
{
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
    ui->checkBoxRecord->setEnabled(enable);
}

void LiveStreamSettingDialog::loadSetting()
{
    m_values = LiveSettings::load(m_values);
    ui->checkBoxRecord->setChecked(m_values.autoRecord);
    ui->comboService->setCurrentIndex(m_values.service);
    ui->textEditUrl->setPlainText(m_values.url);
    ui->textEditKey->setPlainText(m_values.key);
    ui->comboResolution->setCurrentIndex(m_values.resolution);
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

void LiveStreamSettingDialog::applySetting()
{
    const QString url = ui->textEditUrl->toPlainText();
    if (url.isEmpty()) {
        _LumideskLog::log(RejectedInputLevel, "Stream url is empty.");
        return;
    }
    const QString key = ui->textEditKey->toPlainText();
    if (key.isEmpty()) {
        _LumideskLog::log(RejectedInputLevel, "Stream key is empty.");
        return;
    }
    const int level = ui->comboResolution->currentIndex();
    if (!isSupported(level)) {
        _LumideskLog::log(StateLevel, "Resolution not supported.");
        showResolutionNotification(level);
        return;
    }

    m_values.autoRecord = ui->checkBoxRecord->isChecked();
    m_values.service = ui->comboService->currentIndex();
    m_values.url = url;
    m_values.key = key;
    m_values.resolution = level;
    LiveSettings::store(m_values);

    emit settingSuccess();
    closeSetting();
}

void LiveStreamSettingDialog::editUrlChanged()
{
    StreamTextField::limit(ui->textEditUrl, true);
}

void LiveStreamSettingDialog::editKeyChanged()
{
    StreamTextField::limit(ui->textEditKey, true);
}

void LiveStreamSettingDialog::serviceIndexChanged(int index)
{
    if (index < 0 || index >= LiveSettings::ServiceCount)
        return;
    QString url;
    QString key;
    LiveSettings::readPair(index, &url, &key);
    ui->textEditUrl->setPlainText(url);
    ui->textEditKey->setPlainText(key);
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
    connect(ui->comboService, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &LiveStreamSettingDialog::serviceIndexChanged, Qt::UniqueConnection);
    connect(ui->comboResolution, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &LiveStreamSettingDialog::resolutionIndexChanged, Qt::UniqueConnection);
}

void LiveStreamSettingDialog::disconnectBoxes()
{
    disconnect(ui->comboService, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &LiveStreamSettingDialog::serviceIndexChanged);
    disconnect(ui->comboResolution, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &LiveStreamSettingDialog::resolutionIndexChanged);
}

void LiveStreamSettingDialog::mousePressEvent(QMouseEvent *event)
{
    m_drag.press(event);
}

void LiveStreamSettingDialog::mouseMoveEvent(QMouseEvent *event)
{
    m_drag.move(this, event);
}

void LiveStreamSettingDialog::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag.release(event);
}

NotificationDialog *LiveStreamSettingDialog::notification() const
{
    return m_notification;
}
