// The panel's audio row: the microphone list, the volume and the level meter.

#include "deskpadwidget.h"

#include "localclient.h"
#include "ui_deskpadwidget.h"

#include "desktop/desktoppaths.h"
#include "desktop/regularfile.h"

#include <QAbstractItemView>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QtGlobal>

namespace {

// The most inputs the list shows, as many as the link carries.
const int MaxAudioInputs = 256;
// A longer name is shown as its first 25 characters and "...".
const int RowTextLength = 25;
const char AudioSettingKey[] = "Audio/AudioDesktop";

QString sliderSheet(const char *knob)
{
    return QStringLiteral("QSlider::groove:horizontal{background: transparent;height: 30px;border-radius: 0px;}\n"
                          "QSlider::handle:horizontal{width: 30px;background-image: url(:/resources/%1);}")
        .arg(QLatin1String(knob));
}

// Never cuts a character in half.
QString cut(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

QList<QString> bounded(const QList<QString> &texts)
{
    QList<QString> result;
    const int count = qMin(texts.size(), MaxAudioInputs);
    result.reserve(count);
    for (int i = 0; i < count; ++i)
        result.append(cut(texts.at(i), DeskpadWidget::MaxAudioTextLength));
    return result;
}

} // namespace

void DeskpadWidget::setUpAudioList()
{
    connect(ui->btnAudio, &QToolButton::clicked, this, &DeskpadWidget::showAudioList);
    ui->cbAudio->setPopDirection(CustComboBox::PopDefault);
    // A plain delegate lets the style sheet size and colour the rows of the pop-up list.
    ui->cbAudio->setItemDelegate(new QStyledItemDelegate(ui->cbAudio));
    ui->cbAudio->hide();
    connect(ui->cbAudio, qOverload<int>(&QComboBox::currentIndexChanged), this, &DeskpadWidget::changeAudioSource);
    connect(ui->cbAudio->view(), &QAbstractItemView::pressed, this, &DeskpadWidget::doSaveAudioSetting);
    connect(ui->cbAudio, &CustComboBox::isShowPopup, this, &DeskpadWidget::popupShow);
    connect(ui->cbAudio, &CustComboBox::isHidePopup, this, &DeskpadWidget::popupHide);
    // The list opens from below the microphone button.
    ui->cbAudio->move(43, 136);
    ui->canvasReport->setLevel(0);
}

QString DeskpadWidget::rowText(const QString &name)
{
    if (name.size() <= RowTextLength)
        return name;
    return cut(name, RowTextLength) + QLatin1String("...");
}

void DeskpadWidget::updateAudioList(const QList<QString> &nameList, const QList<QString> &uuidList)
{
    refillAudioList(nameList, uuidList, false);
}

void DeskpadWidget::updateAudioList(const QList<QString> &list)
{
    // This form carries no ids: the ones of the last full list stay.
    refillAudioList(list, m_uuidList, true);
}

void DeskpadWidget::refillAudioList(const QList<QString> &names, const QList<QString> &ids, bool namesOnly)
{
    // Clearing, filling and choosing a row below must not send choices by themselves.
    disconnect(ui->cbAudio, qOverload<int>(&QComboBox::currentIndexChanged), this,
               &DeskpadWidget::changeAudioSource);

    m_nameList = bounded(names);
    m_uuidList = bounded(ids);
    ui->cbAudio->clear();
    ui->cbAudio->addItem(tr("Mute"));
    for (const QString &name : qAsConst(m_nameList))
        ui->cbAudio->addItem(rowText(name));
    if (!namesOnly)
        numberEqualRows();

    // The input in use, recognised by its id, or by its name when the list carries no ids.
    const QString &current = namesOnly ? m_currentName : m_currentUuid;
    const int position = current.isEmpty() ? -1 : (namesOnly ? m_nameList : m_uuidList).indexOf(current);
    const bool listed = position >= 0 && position < m_nameList.size();

    if (!isBusy()) {
        if (!loadAudioSetting()) {
            if (listed)
                ui->cbAudio->setCurrentIndex(position + 1);
            else
                chooseFirstRow();
        }
    } else if (listed) {
        ui->cbAudio->setCurrentIndex(position + 1);
    } else if (!current.isEmpty()) {
        // The input in use went away: what runs with it stops, and another input is chosen.
        cancelCountdown(m_recordCountdownTimer);
        cancelCountdown(m_liveCountdownTimer);
        if (m_recordTime > 0)
            stopRecord();
        if (m_liveTimer->isActive())
            stopLive();
        if (!loadAudioSetting())
            chooseFirstRow();
        ui->btnAudio->setEnabled(true);
    }

    connect(ui->cbAudio, qOverload<int>(&QComboBox::currentIndexChanged), this, &DeskpadWidget::changeAudioSource);
}

void DeskpadWidget::numberEqualRows()
{
    QStringList met;
    for (int row = 1; row < ui->cbAudio->count(); ++row) {
        const QString text = ui->cbAudio->itemText(row);
        if (met.contains(text))
            continue;
        met.append(text);
        int number = 2;
        for (int later = row + 1; later < ui->cbAudio->count(); ++later) {
            if (ui->cbAudio->itemText(later) == text)
                ui->cbAudio->setItemText(later, QStringLiteral("%1 (%2)").arg(text).arg(number++));
        }
    }
}

void DeskpadWidget::chooseFirstRow()
{
    const int row = ui->cbAudio->count() > 1 ? 1 : 0;
    ui->cbAudio->setCurrentIndex(row);
    changeAudioSource(row);
}

bool DeskpadWidget::loadAudioSetting()
{
    // The main program remembers the chosen row in its own settings file; the panel only reads it.
    // Anything but a regular file in its place reads as no choice.
    const QSettings settings(platform::RegularFile::usable(platform::DesktopPaths::mainSettingsFile()),
                             QSettings::IniFormat);
    const QString text = settings.value(QLatin1String(AudioSettingKey)).toString();
    if (text.isEmpty())
        return false;
    const int row = ui->cbAudio->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (row < 0)
        return false;
    ui->cbAudio->setCurrentIndex(row);
    changeAudioSource(row);
    return true;
}

void DeskpadWidget::changeAudioSource(int index)
{
    if (index < 0)
        return;
    if (index == 0) {
        if (!m_currentUuid.isEmpty()) {
            m_currentName.clear();
            m_currentUuid.clear();
            m_client->changeAudioSource(QString(), QString(), 0);
        }
        setVolumeControlEnable(false);
        return;
    }
    const int input = index - 1;
    if (input >= m_nameList.size())
        return;
    const QString uuid = m_uuidList.value(input);
    if (!m_currentUuid.isEmpty() && m_currentUuid == uuid)
        return;
    m_currentName = m_nameList.at(input);
    m_currentUuid = uuid;
    m_client->changeAudioSource(m_currentName, m_currentUuid, index);
    setVolumeControlEnable(true);
}

void DeskpadWidget::doSaveAudioSetting(const QModelIndex &index)
{
    m_client->doSaveAudioSetting(ui->cbAudio->itemText(index.row()));
}

void DeskpadWidget::updateAudioSource(const QString &id)
{
    Q_UNUSED(id)
}

void DeskpadWidget::showAudioList()
{
    ui->cbAudio->showPopup();
}

void DeskpadWidget::hideAudioList()
{
    ui->cbAudio->hidePopup();
}

void DeskpadWidget::showAudioMenu()
{
    m_client->showAudioMenu();
}

void DeskpadWidget::popupShow()
{
    m_isPopupShown = true;
}

void DeskpadWidget::popupHide()
{
}

void DeskpadWidget::increaseVolume()
{
    const int value = ui->sliderVolume->value();
    const int volume = value < 91 ? value + 10 : 100;
    ui->sliderVolume->setValue(volume);
    m_client->changeVolume(volume);
}

void DeskpadWidget::decreaseVolume()
{
    const int value = ui->sliderVolume->value();
    const int volume = value > 9 ? value - 10 : 0;
    ui->sliderVolume->setValue(volume);
    m_client->changeVolume(volume);
}

void DeskpadWidget::changeVolume()
{
    m_client->changeVolume(ui->sliderVolume->value());
}

void DeskpadWidget::updateVolume(int value)
{
    ui->sliderVolume->setValue(value);
}

void DeskpadWidget::setVolumeControlEnable(bool status)
{
    ui->btnIncVolume->setEnabled(status);
    ui->btnDecVolume->setEnabled(status);
    ui->sliderVolume->setEnabled(status);
    ui->sliderVolume->setStyleSheet(sliderSheet(status ? "icon_p_blue.png" : "icon_p_gray.png"));
    if (!status)
        ui->sliderVolume->setValue(0);
}

void DeskpadWidget::updateLevelReport(int level)
{
    ui->canvasReport->setLevel(level / 100.0);
}
