#include "cameramainwidget.h"

#include "cameramainwidget_p.h"

#include "camera/generalcamera.h"
#include "camerasettings/camerasettingdialog.h"
#include "common/supportedcamera.h"
#include "manager/doccammanager.h"
#include "qorvrtmpintf.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalBlocker>

// Hot-plug hand-over between the two camera windows. The manager's news of a new camera reaches the
// first window, which relays it to the second with what it took itself, so that the two never take the
// same camera. Each event is handled whole before the next: the removal may wait for the settings
// dialog with the event loop running, and a plug event arriving meanwhile would otherwise select a
// camera that the rest of the removal then takes from the dialog again.

bool CameraMainWidget::deferWhileHandOver(std::function<void()> event)
{
    if (!handOverBusy)
        return false;
    deferredHandOver.append(std::move(event));
    return true;
}

void CameraMainWidget::finishHandOver()
{
    handOverBusy = false;
    while (!deferredHandOver.isEmpty() && !handOverBusy)
        deferredHandOver.takeFirst()();
}

void CameraMainWidget::cameraDetected(GeneralCamera *detected)
{
    if (deferWhileHandOver([this, detected] { cameraDetected(detected); }))
        return;
    handOverBusy = true;
    tookCandidate = false;
    tookNewCamera = false;
    if (comboBoxSource->currentIndex() < 1) {
        detectCamera(detected, false, false);
        emit nonQorvCameraDetected(detected, tookCandidate, tookNewCamera);
    } else {
        emit nonQorvCameraDetected(detected, false, false);
        detectCamera(detected, tookCandidate, tookNewCamera);
    }
    finishHandOver();
}

void CameraMainWidget::cameraDetected(GeneralCamera *detected, bool otherTookCandidate, bool otherTookNew)
{
    if (deferWhileHandOver([=] { cameraDetected(detected, otherTookCandidate, otherTookNew); }))
        return;
    handOverBusy = true;
    detectCamera(detected, otherTookCandidate, otherTookNew);
    finishHandOver();
}

void CameraMainWidget::detectCamera(GeneralCamera *detected, bool otherTookCandidate, bool otherTookNew)
{
    if (!detected)
        return;
    autoSelecting = true;
    comboBoxSource->hidePopup();

    const QList<GeneralCamera *> cameras = cameraManager->queryCameras(false);
    bool anyMakerCamera = false;
    for (GeneralCamera *each : cameras)
        anyMakerCamera = anyMakerCamera || IsSupportVPID(each->getVID(), each->getPID());
    bool haveCandidate = false;
    int candidate = 0;
    if (anyMakerCamera) {
        for (GeneralCamera *each : cameras) {
            if (!IsSupportVID(each->getVID()))
                continue;
            const int location = int(each->getLocationID());
            if (comboBoxSource->findData(location, Qt::UserRole, Qt::MatchExactly) < 0)
                comboBoxSource->addItem(QIcon(), mapDoccamName(each), location);
            if (!IsSupportPID(each->getPID()) && !haveCandidate && IsSupportPID(detected->getPID())) {
                haveCandidate = true;
                candidate = location;
            }
        }
    }
    changeSameName();
    if (rebootInProgress) {
        autoSelecting = false;
        return;
    }
    if (comboBoxSource->currentIndex() != 0 || !IsSupportVID(detected->getVID()))
        return;
    const int found = comboBoxSource->findData(int(detected->getLocationID()), Qt::UserRole, Qt::MatchExactly);
    if (found >= 0 && !otherTookNew) {
        tookNewCamera = true;
        comboBoxSource->setCurrentIndex(found);
        return;
    }
    const int candidateEntry = haveCandidate ? comboBoxSource->findData(candidate, Qt::UserRole, Qt::MatchExactly) : -1;
    if (candidateEntry > 0 && !otherTookCandidate) {
        tookCandidate = true;
        comboBoxSource->setCurrentIndex(candidateEntry);
    }
}

void CameraMainWidget::cameraRemoved(GeneralCamera *removed)
{
    if (deferWhileHandOver([this, removed] { cameraRemoved(removed); }))
        return;
    handOverBusy = true;
    removeCamera(removed);
    finishHandOver();
}

void CameraMainWidget::removeEntryQuietly(int index)
{
    if (index < 0)
        return;
    disconnect(comboBoxSource, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &CameraMainWidget::checkSelect);
    comboBoxSource->removeItem(index);
    connect(comboBoxSource, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CameraMainWidget::checkSelect);
}

void CameraMainWidget::stopForRemovedCamera()
{
    stopCountdowns();
    recordStop();
    stopLiveStream();
    cbAudio->hidePopup();
    comboBoxSource->setCurrentIndex(0);
}

void CameraMainWidget::removeCamera(GeneralCamera *removed)
{
    if (!removed)
        return;
    autoSelecting = true;
    comboBoxSource->hidePopup();
    const qint64 location = int(removed->getLocationID());
    const int entry = comboBoxSource->findData(int(location), Qt::UserRole, Qt::MatchExactly);
    const QString name = mapDoccamName(removed);
    for (int i = 0; i < comboBoxSource->count(); ++i) {
        if (!comboBoxSource->itemText(i).contains(name))
            continue;
        const QVariant current = comboBoxSource->currentData(Qt::UserRole);
        if (current.isValid() && current.toInt() == int(location)) {
            stopForRemovedCamera();
            removeEntryQuietly(entry);
            if (settingDialog->isVisible()) {
                delay(timing.removalDialogDelayMs);
                settingDialog->close();
                autoSelecting = false;
            }
            settingDialog->setCameraNull();
        } else if (entry != 0) {
            removeEntryQuietly(entry);
        }
        break;
    }

    if (checkZq40IsUsed())
        return;
    // Without the document camera its companion devices have nothing to serve.
    QList<int> companions;
    bool currentGoes = false;
    for (GeneralCamera *each : cameraManager->queryCameras(false)) {
        if (IsSupportPID(each->getPID()))
            continue;
        const int listed = comboBoxSource->findData(int(each->getLocationID()), Qt::UserRole, Qt::MatchExactly);
        if (listed < 0)
            continue;
        companions.append(int(each->getLocationID()));
        currentGoes = currentGoes || listed == comboBoxSource->currentIndex();
    }
    if (currentGoes)
        stopForRemovedCamera();
    for (int companion : qAsConst(companions))
        removeEntryQuietly(comboBoxSource->findData(companion, Qt::UserRole, Qt::MatchExactly));
}

bool CameraMainWidget::checkZq40IsUsed() const
{
    for (int i = 0; i < comboBoxSource->count(); ++i) {
        if (comboBoxSource->itemText(i).contains(QLatin1String("ZQ40"), Qt::CaseSensitive))
            return true;
    }
    return false;
}

void CameraMainWidget::autoShowCamera(int mode)
{
    if (comboBoxSource->currentIndex() > 0)
        return;
    autoSelecting = true;
    if (mode == 1) {
        comboBoxSource->setCurrentIndex(1);
    } else if (mode == 2) {
        const int zr90 = comboBoxSource->findText(QStringLiteral("ZR90"), Qt::MatchExactly | Qt::MatchCaseSensitive);
        const int zq40 = comboBoxSource->findText(QStringLiteral("ZQ40"), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (zr90 > 0)
            comboBoxSource->setCurrentIndex(zr90);
        else if (zq40 >= 1)
            comboBoxSource->setCurrentIndex(zq40);
    }
}

void CameraMainWidget::setComboBox(QComboBox *source)
{
    if (!source)
        return;
    // A copy of the other window's list: nothing is selected by the copying itself.
    const QSignalBlocker blocker(comboBoxSource);
    comboBoxSource->clear();
    for (int i = 0; i < source->count(); ++i)
        comboBoxSource->addItem(source->itemText(i), source->itemData(i, Qt::UserRole));
    comboBoxSource->setCurrentIndex(0);
}

void CameraMainWidget::delay(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(qMax<qint64>(1, ms - clock.elapsed())));
}
