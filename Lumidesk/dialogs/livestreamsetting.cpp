#include "dialogs/livestreamsetting.h"

#include "ui_livestreamsetting.h"

#include "desktop/taskbarentry.h"
#include "dialogs/dialogframe.h"
#include "dialogs/liveform.h"
#include "notificationdialog.h"

#include <QKeyEvent>

LiveStreamSetting::LiveStreamSetting(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::LiveStreamSetting)
{
    ui->setupUi(this);
    m_form = std::make_unique<LiveForm>(ui->checkBoxRecord, ui->comboService, ui->textEditUrl, ui->textEditKey,
                                        ui->comboResolution, false);

    connect(ui->btnApply, &QToolButton::clicked, this, &LiveStreamSetting::applySetting);
    connect(ui->textEditUrl, &QTextEdit::textChanged, this, &LiveStreamSetting::editUrlChanged);
    connect(ui->textEditKey, &QTextEdit::textChanged, this, &LiveStreamSetting::editKeyChanged);
    connect(ui->comboService, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &LiveStreamSetting::serviceIndexChanged);

    m_notification = new NotificationDialog(this);
    platform::TaskbarEntry::keepOut(m_notification.data());
    DialogFrame::centreOnScreen(m_notification);
}

LiveStreamSetting::~LiveStreamSetting()
{
    disconnect(this);
    delete ui;
}

void LiveStreamSetting::updateString()
{
    ui->retranslateUi(this);
    m_notification->updateString();
    loadSetting();
}

void LiveStreamSetting::loadSetting()
{
    m_values = LiveSettings::load(m_values);
    m_form->show(m_values);
}

void LiveStreamSetting::enableBtnClick(bool enable)
{
    for (QWidget *control : std::initializer_list<QWidget *>{ui->checkBoxRecord, ui->comboService, ui->textEditUrl,
                                                             ui->textEditKey, ui->comboResolution, ui->btnApply})
        control->setEnabled(enable);
}

void LiveStreamSetting::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !isWindow()) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void LiveStreamSetting::applySetting()
{
    // The level is stored as chosen: the live-stream dialog lowers it when a stream starts.
    const LiveSettings::Values chosen = m_form->read();
    QString missing;
    if (!LiveSettings::isComplete(chosen.url, chosen.key, &missing)) {
        m_notification->setTitle(LiveSettings::noticeTitle());
        m_notification->setMessage(missing);
        m_notification->show();
        m_notification->autoAdjustSize(0);
        return;
    }
    m_values = chosen;
    LiveSettings::store(m_values);
    emit settingSuccess();
}

NotificationDialog *LiveStreamSetting::notification() const
{
    return m_notification;
}

void LiveStreamSetting::editUrlChanged()
{
    m_form->limitUrl();
}

void LiveStreamSetting::editKeyChanged()
{
    m_form->limitKey();
}

void LiveStreamSetting::serviceIndexChanged(int index)
{
    m_form->showStoredPair(index);
}
