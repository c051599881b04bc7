#include "dialogs/livestreamsetting.h"

#include "ui_livestreamsetting.h"

#include "core/lumidesklog.h"
#include "dialogs/streamtextfield.h"

#include <QKeyEvent>
#include <QStyledItemDelegate>

LiveStreamSetting::LiveStreamSetting(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::LiveStreamSetting)
{
    ui->setupUi(this);
    ui->comboService->setItemDelegate(new QStyledItemDelegate(ui->comboService));
    ui->comboResolution->setItemDelegate(new QStyledItemDelegate(ui->comboResolution));
    StreamTextField::setUp(ui->textEditUrl);
    StreamTextField::setUp(ui->textEditKey);

    connect(ui->btnApply, &QToolButton::clicked, this, &LiveStreamSetting::applySetting);
    connect(ui->textEditUrl, &QTextEdit::textChanged, this, &LiveStreamSetting::editUrlChanged);
    connect(ui->textEditKey, &QTextEdit::textChanged, this, &LiveStreamSetting::editKeyChanged);
    connect(ui->comboService, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &LiveStreamSetting::serviceIndexChanged);
}

LiveStreamSetting::~LiveStreamSetting()
{
    disconnect(this);
    delete ui;
}

void LiveStreamSetting::updateString()
{
    ui->retranslateUi(this);
    loadSetting();
}

void LiveStreamSetting::loadSetting()
{
    m_values = LiveSettings::load(m_values);
    ui->checkBoxRecord->setChecked(m_values.autoRecord);
    ui->comboService->setCurrentIndex(m_values.service);
    ui->textEditUrl->setPlainText(m_values.url);
    ui->textEditKey->setPlainText(m_values.key);
    ui->comboResolution->setCurrentIndex(m_values.resolution);
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
    const QString url = ui->textEditUrl->toPlainText();
    if (url.isEmpty()) {
        _LumideskLog::log(Journix::Error, "Stream url is empty.");
        return;
    }
    const QString key = ui->textEditKey->toPlainText();
    if (key.isEmpty()) {
        _LumideskLog::log(Journix::Error, "Stream key is empty.");
        return;
    }
    m_values.autoRecord = ui->checkBoxRecord->isChecked();
    m_values.service = ui->comboService->currentIndex();
    m_values.url = url;
    m_values.key = key;
    m_values.resolution = ui->comboResolution->currentIndex();
    LiveSettings::store(m_values);
    emit settingSuccess();
}

void LiveStreamSetting::editUrlChanged()
{
    StreamTextField::limit(ui->textEditUrl, false);
}

void LiveStreamSetting::editKeyChanged()
{
    StreamTextField::limit(ui->textEditKey, false);
}

void LiveStreamSetting::serviceIndexChanged(int index)
{
    if (index < 0 || index >= LiveSettings::ServiceCount)
        return;
    QString url;
    QString key;
    LiveSettings::readPair(index, &url, &key);
    ui->textEditUrl->setPlainText(url);
    ui->textEditKey->setPlainText(key);
}
