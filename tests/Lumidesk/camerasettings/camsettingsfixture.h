#ifndef CAMSETTINGSFIXTURE_H
#define CAMSETTINGSFIXTURE_H

// A settings dialog bound to a simulated camera, with what it sends recorded, and helpers to read and
// set the simulated camera's controls.

#include "camera/lcgeneralcamera.h"
#include "camera/lcgeneralcameraimpl.h"
#include "camerasettings/camerasettingdialog.h"
#include "simulated/simulatedcameras.h"
#include "captureformatbuilder.h"

#include <QComboBox>
#include <QtEndian>
#include <QtTest>

#include <memory>

using platform::SimulatedCamera;
using platform::SimulatedCameras;
using platform::SimulatedUvcControl;

namespace camsettings {

inline constexpr quint8 Processing = 2;
inline constexpr quint8 ExtensionA = 5;
inline constexpr quint8 ExtensionB = 6;

struct Echo
{
    uint id;
    QList<int> values;
};

inline QList<int> valuesOf(const QByteArray &payload)
{
    QList<int> values;
    for (int i = 0; i + 4 <= payload.size(); i += 4)
        values.append(qFromLittleEndian<qint32>(payload.constData() + i));
    return values;
}

inline QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

inline qint64 currentOf(SimulatedCamera &camera, quint8 unit, quint8 selector)
{
    return SimulatedUvcControl::signedValue(camera.uvc().current(unit, selector));
}

inline void setRange(SimulatedCamera &camera, quint8 unit, quint8 selector, qint64 min, qint64 max, qint64 value)
{
    SimulatedUvcControl control = camera.uvc().control(unit, selector);
    control.minimum = SimulatedUvcControl::bytes(min, control.length);
    control.maximum = SimulatedUvcControl::bytes(max, control.length);
    control.current = SimulatedUvcControl::bytes(value, control.length);
    camera.uvc().addControl(control);
}

inline QByteArray roiBytes(quint16 top, quint16 left, quint16 bottom, quint16 right)
{
    return SimulatedUvcControl::bytes(top, 2) + SimulatedUvcControl::bytes(left, 2)
           + SimulatedUvcControl::bytes(bottom, 2) + SimulatedUvcControl::bytes(right, 2);
}

// A dialog bound to one simulated camera, recording its echoes, rotations, usage reports and the signals
// the camera window and the main window receive.
class Fixture
{
public:
    explicit Fixture(const QSharedPointer<SimulatedCamera> &simulated)
        : Fixture(simulated, std::make_unique<LCGeneralCamera>(new LCGeneralCameraImpl(simulated->info())))
    {
    }
    // The camera object of the test's own, in front of the simulated camera (one with the H.264 output).
    Fixture(const QSharedPointer<SimulatedCamera> &simulated, std::unique_ptr<LCGeneralCamera> cameraObject)
        : sim(simulated), camera(std::move(cameraObject))
    {
        QObject::connect(&dialog, &CameraSettingDialog::UIChange, &dialog,
                         [this](uint id, const QByteArray &data) { echoes.append({id, valuesOf(data)}); });
        QObject::connect(&dialog, &CameraSettingDialog::doRotation, &dialog, [this](int angle) {
            rotations.append(angle);
            dialog.setCurrentAngle(angle); // as the camera window answers
        });
        QObject::connect(&dialog, &CameraSettingDialog::sendCommand, &dialog,
                         [this](int id, QVariant d1, QVariant d2, QVariant flags, QVariant d4, QVariant d5,
                                QVariant d6) {
                             QByteArray copy;
                             if (flags.userType() == QMetaType::VoidStar) {
                                 const char *bytes = static_cast<const char *>(flags.value<void *>());
                                 copy = QByteArray(bytes, id == 0x11000014 ? 6 : id == 0x11000015 ? 8 : 2);
                             }
                             reports.append({uint(id), valuesOf(QByteArray())});
                             reportFlags.append(copy);
                             reportValues.append({d1, d2, copy.isNull() ? flags : QVariant(copy), d4, d5, d6});
                         });
        // What the camera window and the main window hear, in order.
        QObject::connect(&dialog, &CameraSettingDialog::closeSetting, &dialog, [this] { log << "closeSetting"; });
        QObject::connect(&dialog, &CameraSettingDialog::restartCamera, &dialog,
                         [this](GeneralCamera *c) { log << (c == camera.get() ? "restartCamera" : "restartCamera?"); });
        QObject::connect(&dialog, &CameraSettingDialog::cameraRestartFinished, &dialog,
                         [this] { log << "cameraRestartFinished"; });
        QObject::connect(&dialog, &CameraSettingDialog::settingApplied, &dialog, [this] { log << "settingApplied"; });
        QObject::connect(&dialog, &CameraSettingDialog::setActiveFormatError, &dialog,
                         [this] { log << "setActiveFormatError"; });
        QObject::connect(&dialog, &CameraSettingDialog::startReboot, &dialog,
                         [this](bool on) { log << QStringLiteral("startReboot(%1)").arg(on); });
        QObject::connect(&dialog, &CameraSettingDialog::changeSensorMode, &dialog, [this](int mode, bool isDefault) {
            log << QStringLiteral("changeSensorMode(%1,%2)").arg(mode).arg(isDefault);
        });
        QObject::connect(&dialog, &CameraSettingDialog::updateSetting, &dialog,
                         [this](const QString &format, const QString &rate, const QString &size) {
                             log << QStringLiteral("updateSetting(%1,%2,%3)").arg(format, rate, size);
                         });
    }
    ~Fixture() { dialog.setCameraNull(); }

    void bind()
    {
        dialog.setCamera(camera.get());
        echoes.clear();
    }
    // The dialog builds its form on first use; the camera window opens the first page before it shows
    // it, so a form looked at before any use is built that way.
    template<typename T>
    T *widget(const char *name)
    {
        if (!dialog.hasForm())
            dialog.showCameraSetting();
        return dialog.findChild<T *>(QLatin1String(name));
    }
    void invoke(const char *slot) { QVERIFY(QMetaObject::invokeMethod(&dialog, slot)); }

    QSharedPointer<SimulatedCamera> sim;
    std::unique_ptr<LCGeneralCamera> camera;
    CameraSettingDialog dialog;
    QList<Echo> echoes;
    QList<int> rotations;
    QList<Echo> reports;
    QList<QByteArray> reportFlags;
    QList<QVariantList> reportValues;
    QStringList log;
};

inline QSharedPointer<SimulatedCamera> firstCamera()
{
    return SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
}

} // namespace camsettings

using namespace camsettings;

#endif // CAMSETTINGSFIXTURE_H
