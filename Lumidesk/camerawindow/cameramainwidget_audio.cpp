#include "cameramainwidget.h"

#include "cameramainwidget_p.h"
#include "microphonenames.h"

#include "audio/qorvaudiosource.h"
#include "capture/qorvcapturesession.h"
#include "common/lumidesklog.h"
#include "common/settingspath.h"
#include "qorvrtmpintf.h"

#include <QSettings>
#include <QTimer>

using namespace CameraWindowText;

// The microphone list: entry 0 "Mute" (no microphone), then one entry per input, polled every second.
// The chosen microphone stays as long as its unique id is listed; when it goes, a recording or stream
// that used it stops and the saved choice, else the first microphone, else "Mute" takes over.

QString CameraMainWidget::audioSettingKey() const
{
    switch (cameraOrder) {
    case 1:
        return QStringLiteral("Audio/AudioFirst");
    case 2:
        return QStringLiteral("Audio/AudioSecond");
    default:
        return QString();
    }
}

bool CameraMainWidget::compareList(QList<QString> a, QList<QString> b)
{
    return a == b;
}

void CameraMainWidget::autoSelectAudio()
{
    syncAudioList();
    if (!audioPollTimer->isActive())
        audioPollTimer->start();
}

void CameraMainWidget::removeAudioSource()
{
    if (!audioSource)
        return;
    session->removeSource(audioSource);
    delete audioSource;
    audioSource = nullptr;
    voiceCanvas->setLevel(0.0);
}

void CameraMainWidget::setAudioDevice(int index)
{
    if (index < 0)
        return;
    if (index == 0) {
        removeAudioSource();
        setVolumeControlEnable(false);
        return;
    }
    const int k = index - 1;
    if (k >= audioIds.size())
        return;
    if (audioSource && audioSource->currentUuid() == audioIds.at(k))
        return;
    removeAudioSource();
    audioSource = new QorvAudioSource(audioNames.at(k), audioIds.at(k), k);
    session->addSource(audioSource);
    if (mouseInside)
        session->enableAudioVolumeLevelExport(true);
    qint8 volume = 0;
    audioSource->getVolume(&volume);
    audioSource->setVolume(volume);
    setVolumeControlEnable(true);
    voiceSlider->setValue(volume);
}

void CameraMainWidget::rebuildAudioList()
{
    cbAudio->clear();
    cbAudio->addItem(tr(MuteEntry));
    for (const QString &text : MicrophoneNames::entryTexts(audioNames))
        cbAudio->addItem(text);
}

void CameraMainWidget::fallBackToAudio()
{
    if (loadAudioSetting())
        return;
    const int kept = audioSource ? audioIds.indexOf(audioSource->currentUuid()) : -1;
    if (kept >= 0) {
        cbAudio->setCurrentIndex(kept + 1);
        return;
    }
    const int entry = cbAudio->count() > 1 ? 1 : 0;
    cbAudio->setCurrentIndex(entry);
    setAudioDevice(entry);
}

void CameraMainWidget::syncAudioList()
{
    QList<QString> names;
    QList<QString> ids;
    if (QorvAudioSource::getAvailableSources(&names, &ids) != 0)
        return;
    if (compareList(ids, audioIds) && cbAudio->count() == ids.size() + 1)
        return;
    _LumideskLog::log(Journix::Warning, "Audio list changed.");
    disconnect(cbAudio, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CameraMainWidget::setAudioDevice);
    audioNames = names;
    audioIds = ids;
    rebuildAudioList();

    const bool busy = recordCountdownTimer->isActive() || liveCountdownTimer->isActive() || recordState != 0
                      || liveTimer->isActive();
    if (!busy) {
        fallBackToAudio();
    } else if (audioSource) {
        const int kept = audioIds.indexOf(audioSource->currentUuid());
        if (kept >= 0) {
            cbAudio->setCurrentIndex(kept + 1);
        } else {
            // The sound of what runs is gone: end it rather than go on without it.
            stopCountdowns();
            if (recordState != 0)
                recordStop();
            if (liveTimer->isActive())
                stopLiveStream();
            fallBackToAudio();
            setToDisable(false);
            updateSeeThrough();
        }
    }
    connect(cbAudio, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CameraMainWidget::setAudioDevice,
            Qt::UniqueConnection);
}

bool CameraMainWidget::loadAudioSetting()
{
    const QString key = audioSettingKey();
    if (key.isEmpty())
        return false;
    const QString saved = QSettings(_GUID_SETTING_INI, QSettings::IniFormat).value(key).toString();
    if (saved.isEmpty())
        return false;
    const int entry = cbAudio->findText(saved, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry < 0)
        return false;
    cbAudio->setCurrentIndex(entry);
    setAudioDevice(entry);
    return true;
}

void CameraMainWidget::doSaveAudioSetting(QModelIndex index)
{
    const QString key = audioSettingKey();
    if (key.isEmpty() || !index.isValid())
        return;
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(key, index.data(Qt::DisplayRole).toString());
}

void CameraMainWidget::setPopupShow()
{
    comboPopupShown = true;
}

void CameraMainWidget::setPopupHide()
{
    comboPopupShown = false;
}

// ---- volume ----

void CameraMainWidget::voiceAdd()
{
    if (!audioSource)
        return;
    const int value = voiceSlider->value() > 90 ? 100 : voiceSlider->value() + 10;
    voiceSlider->setValue(value);
    audioSource->setVolume(qint8(value));
}

void CameraMainWidget::voiceDecress()
{
    if (!audioSource)
        return;
    const int value = voiceSlider->value() < 10 ? 0 : voiceSlider->value() - 10;
    voiceSlider->setValue(value);
    audioSource->setVolume(qint8(value));
}

void CameraMainWidget::setVoice()
{
    if (!audioSource)
        return;
    audioSource->setVolume(qint8(voiceSlider->value()));
}
