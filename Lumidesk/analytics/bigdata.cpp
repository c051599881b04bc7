#include "analytics/bigdata.h"

#include "analytics/deviceinfo.h"
#include "analytics/googleanalytic.h"

#include "desktop/regularfile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>
#include <QUuid>

BigData *BigData::s_instance = nullptr;

namespace {

constexpr int CameraListCapacity = 2;

QString flagText(bool set)
{
    return set ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

BigData *BigData::RequireBigData()
{
    if (!s_instance)
        s_instance = new BigData;
    return s_instance;
}

void BigData::ReleaseBigData()
{
    BigData *collector = s_instance;
    // Forgotten before the deletion, so nothing reached from the destructor can find a dying object.
    s_instance = nullptr;
    delete collector;
}

BigData::BigData() : QObject(nullptr)
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.network.ssl.warning=false"));

    m_googleAnalytic = new GoogleAnalytic;
    m_googleAnalytic->setGoogleAnalytic(getUserID(), QString(), QString(), QString(), QString(), QString(),
                                        QString());
    m_deviceInfo = new DeviceInfo;

    const QMetaObject &meta = staticMetaObject;
    m_pageEnum = meta.enumerator(meta.indexOfEnumerator("PAGE"));
    m_eventEnum = meta.enumerator(meta.indexOfEnumerator("EVENT"));
    m_startModeEnum = meta.enumerator(meta.indexOfEnumerator("STARTMODE"));
    m_captureNameEnum = meta.enumerator(meta.indexOfEnumerator("MouseModeCaptureName"));
    m_annotationObjectEnum = meta.enumerator(meta.indexOfEnumerator("AnnotationObject"));
    m_moveCameraEnum = meta.enumerator(meta.indexOfEnumerator("moveCamera"));
    m_moveCameraBehaviorEnum = meta.enumerator(meta.indexOfEnumerator("moveCameraBehavior"));

    m_clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
}

BigData::~BigData()
{
    // The hit sender may still wait for the last hits here; a dying collector must not be handed out.
    if (s_instance == this)
        s_instance = nullptr;
    delete m_googleAnalytic;
    delete m_deviceInfo;
}

QString BigData::getUserID()
{
    // QSettings reads its file as it is made: the place is judged before (a named pipe there would
    // hold the start for good).
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                         + QLatin1String("/UserInfo.ini");
    QSettings settings(platform::RegularFile::usable(file), QSettings::IniFormat);
    if (QFileInfo(settings.fileName()).isFile()) {
        const QString stored = settings.value(QStringLiteral("userID")).toString();
        if (!stored.isEmpty())
            return stored;
    }
    // A missing file or a file without an id both get a new one, so that hits never carry an id that
    // changes from run to run. When the file cannot be written the id still serves this run.
    const QString id = QUuid::createUuid().toString();
    settings.setValue(QStringLiteral("userID"), id);
    settings.sync();
    return id;
}

void BigData::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

void BigData::receiveCommand(int command, QVariant data1, QVariant data2, QVariant data3, QVariant data4,
                             QVariant data5, QVariant data6)
{
    const QVariant data[6] = {data1, data2, data3, data4, data5, data6};
    if (command <= 0x11000000)
        handlePage(command);
    else if (command <= Event_moveCamera)
        handleEvent(command, data);
}

void BigData::handlePage(int command)
{
    switch (command) {
    case Program_start:
        m_googleAnalytic->sendPageView(programStartPath(), QStringLiteral("Program_start"),
                                       m_deviceInfo->getLanguage(), m_deviceInfo->getUserAgent());
        break;
    case Page_MouseMode:
    case Page_WhiteboardMode: {
        closeAnnotationPeriod();
        const QString name = nameIn(m_pageEnum, command);
        m_googleAnalytic->sendPageView(name, name, m_deviceInfo->getLanguage(), QString());
        break;
    }
    default:
        return;
    }
    m_currentPage = command;
}

void BigData::handleEvent(int command, const QVariant (&data)[6])
{
    const QString name = nameIn(m_eventEnum, command);
    switch (command) {
    case Program_exit:
        if (!m_openCameras.isEmpty())
            sendCameraClose(0, m_openCameras.first().name);
        closeAnnotationPeriod();
        sendHit(name, name, QString());
        break;
    case Event_DesktopCapture:
    case Event_connectMobile:
    case Event_insertPicture:
        sendHit(name, name, QString());
        break;
    case Event_clickBack:
        closeAnnotationPeriod();
        sendHit(name, name, QString());
        break;
    case Event_Language:
        if (!anyAbsent(data, 1))
            sendHit(name, data[0].toString(), QString());
        break;
    case Event_updateSWVersion:
        if (!anyAbsent(data, 2))
            sendHit(name, data[0].toString(), data[1].toString());
        break;
    case Event_updateFWVersion:
        if (!anyAbsent(data, 3))
            sendHit(name, data[0].toString(),
                    QStringLiteral("Original=") + data[1].toString() + QStringLiteral("&Updated=")
                        + data[2].toString());
        break;
    case Event_startMode:
        if (!anyAbsent(data, 1))
            sendHit(name, nameIn(m_startModeEnum, data[0].toInt()), QString());
        break;
    case Event_DrawletCapture:
        if (!anyAbsent(data, 1))
            sendHit(name, nameIn(m_captureNameEnum, data[0].toInt()), QString());
        break;
    case Event_DrawletAnnotation:
        if (anyAbsent(data, 1))
            break;
        if (m_annotationActive)
            sendHit(name, nameIn(m_annotationObjectEnum, m_currentAnnotationObject),
                    secondsSince(m_annotationStartMsecs));
        m_annotationActive = true;
        m_annotationStartMsecs = now();
        m_currentAnnotationObject = data[0].toInt();
        break;
    case Event_startDesktopRecoding:
    case Event_endDesktopRecoding:
    case Event_startDesktopStreaming:
    case Event_endDesktopStreaming:
    case Event_startDocCamRecoding:
    case Event_endDocCamRecoding:
    case Event_startDocCamStreaming:
    case Event_endDocCamStreaming:
        handleRecordingEvent(command, data);
        break;
    case Event_BasicImageSetting:
    case Event_AdvancedImageSetting:
    case Event_AudioSetting:
        handleSettingsEvent(command, data);
        break;
    default:
        handleCameraEvent(command, data);
        break;
    }
}

void BigData::handleCameraEvent(int command, const QVariant (&data)[6])
{
    const QString name = nameIn(m_eventEnum, command);
    switch (command) {
    case Event_startDocCam:
        if (!anyAbsent(data, 6))
            startDocCam(data);
        break;
    case Event_closeDocCam:
        if (!anyAbsent(data, 2))
            closeDocCam(data[0], data[1]);
        break;
    case Event_setLayout:
    case Event_VideoOutputMode:
        if (!anyAbsent(data, 3))
            sendHit(name, data[1].toString(), data[2].toString());
        break;
    case Event_DocCamCapture:
    case Event_clickLearnMore:
        if (!anyAbsent(data, 2))
            sendHit(name, data[1].toString(), QString());
        break;
    case Event_moveCamera:
        if (!anyAbsent(data, 4))
            sendHit(name, data[3].toString(),
                    nameIn(m_moveCameraEnum, data[0].toInt()) + QLatin1Char('&')
                        + nameIn(m_moveCameraBehaviorEnum, data[1].toInt()) + QLatin1Char('=')
                        + data[2].toString());
        break;
    default:
        break;
    }
}

void BigData::handleRecordingEvent(int command, const QVariant (&data)[6])
{
    switch (command) {
    case Event_startDesktopRecoding:
        m_recordings.append({Desktop, QStringLiteral("Desktop"), -1});
        break;
    case Event_endDesktopRecoding: {
        if (anyAbsent(data, 1))
            break;
        for (int i = 0; i < m_recordings.size(); ++i) {
            if (m_recordings.at(i).source == Desktop) {
                endRecording(i, data[0].toInt());
                break;
            }
        }
        break;
    }
    case Event_startDocCamRecoding:
        if (!anyAbsent(data, 2))
            m_recordings.append({data[0].toInt(), data[1].toString(), -1});
        break;
    case Event_endDocCamRecoding: {
        if (anyAbsent(data, 3))
            break;
        const int source = data[0].toInt();
        const QString sourceName = data[1].toString();
        for (int i = 0; i < m_recordings.size(); ++i) {
            if (m_recordings.at(i).source == source && m_recordings.at(i).sourceName == sourceName) {
                endRecording(i, data[2].toInt());
                break;
            }
        }
        break;
    }
    case Event_startDesktopStreaming:
        if (!anyAbsent(data, 3))
            startStreaming(QStringLiteral("Desktop"), data[0], data[1], data[2]);
        break;
    case Event_startDocCamStreaming:
        if (!anyAbsent(data, 5))
            startStreaming(data[1].toString(), data[2], data[3], data[4]);
        break;
    case Event_endDesktopStreaming:
    case Event_endDocCamStreaming: {
        const int secondsIndex = command == Event_endDesktopStreaming ? 0 : 2;
        if (anyAbsent(data, secondsIndex + 1))
            break;
        sendRecordingSummary(data[secondsIndex].toInt());
        m_streamingActive = false;
        break;
    }
    default:
        break;
    }
}

void BigData::handleSettingsEvent(int command, const QVariant (&data)[6])
{
    if (anyAbsent(data, 3))
        return;
    const QString name = nameIn(m_eventEnum, command);
    switch (command) {
    case Event_BasicImageSetting:
        sendFlags(name, data[1], data[2],
                  {QStringLiteral("Brightness="), QStringLiteral("&Contrast="), QStringLiteral("&Saturation="),
                   QStringLiteral("&Sharpness="), QStringLiteral("&WhiteBalence="), QStringLiteral("&Default=")});
        break;
    case Event_AdvancedImageSetting:
        sendFlags(name, data[1], data[2],
                  {QStringLiteral("BacklightCompensation="), QStringLiteral("&NoiseReduction="),
                   QStringLiteral("&PowerFrequency="), QStringLiteral("&Mirror="), QStringLiteral("&Ceiling="),
                   QStringLiteral("&Left="), QStringLiteral("&Right="), QStringLiteral("&Default=")});
        break;
    case Event_AudioSetting:
        sendFlags(name, data[1], data[2],
                  {QString::fromUtf8("Enable both\u2026="), QString::fromUtf8("&Enable ZQ40\u2026=")});
        break;
    default:
        break;
    }
}

void BigData::sendHit(const QString &category, const QString &action, const QString &label)
{
    // Empty labels go out as null texts: the key alone, without "=".
    m_googleAnalytic->sendEvent(category, action, label.isEmpty() ? QString() : label, 0,
                                nameIn(m_pageEnum, m_currentPage), m_deviceInfo->getLanguage(), QString());
}

void BigData::closeAnnotationPeriod()
{
    if (!m_annotationActive)
        return;
    sendHit(QStringLiteral("Event_DrawletAnnotation"), nameIn(m_annotationObjectEnum, m_currentAnnotationObject),
            secondsSince(m_annotationStartMsecs));
    m_annotationActive = false;
}

void BigData::startDocCam(const QVariant (&data)[6])
{
    if (m_openCameras.size() >= CameraListCapacity)
        return;
    OpenCamera camera;
    camera.order = data[0].toInt();
    camera.name = data[1].toString();
    camera.resolution = data[2].toString();
    camera.layoutSize = data[3].toString();
    camera.firmwareVersion = data[4].toString();
    camera.softwareVersion = data[5].toString();
    camera.startMsecs = now();
    m_openCameras.append(camera);
}

void BigData::closeDocCam(const QVariant &order, const QVariant &name)
{
    const int cameraOrder = order.toInt();
    const QString cameraName = name.toString();
    for (int i = 0; i < m_openCameras.size(); ++i) {
        if (m_openCameras.at(i).order == cameraOrder && m_openCameras.at(i).name == cameraName) {
            sendCameraClose(i, cameraName);
            m_openCameras.removeAt(i);
            return;
        }
    }
}

void BigData::sendCameraClose(int index, const QString &action)
{
    const OpenCamera &camera = m_openCameras.at(index);
    const qint64 t = (now() - camera.startMsecs) / 1000;
    QString label = QStringLiteral("docCamTime=") + QString::number(t) + QStringLiteral("Sec")
                    + QStringLiteral("&Resolution=") + camera.resolution + QStringLiteral("&LayoutSize=")
                    + camera.layoutSize + QStringLiteral("&FWVersion=") + camera.firmwareVersion
                    + QStringLiteral("&SWVersion=") + camera.softwareVersion;
    if (m_openCameras.size() == CameraListCapacity) {
        // The time both cameras were open: from the later of the two starts.
        const OpenCamera &other = m_openCameras.at(index == 0 ? 1 : 0);
        const qint64 u = qMin(t, (now() - other.startMsecs) / 1000);
        label += QStringLiteral("&docCamNum=2") + QStringLiteral("&TwoDocCamName=") + other.name
                 + QStringLiteral("&TwoDocCamTime=") + QString::number(u) + QStringLiteral("Sec");
    } else {
        label += QStringLiteral("&docCamNum=1");
    }
    sendHit(QStringLiteral("Event_closeDocCam"), action, label);
}

void BigData::endRecording(int index, int seconds)
{
    m_recordings[index].seconds = seconds;
    sendRecordingSummary(0);
    m_recordings.removeAt(index);
}

void BigData::sendRecordingSummary(int time)
{
    int cameraCount = 0;
    int desktopCount = 0;
    qint64 total = 0;
    QString cameraNames;
    for (const Recording &recording : qAsConst(m_recordings)) {
        if (recording.source == FirstCamera || recording.source == SecondCamera) {
            ++cameraCount;
            cameraNames += recording.sourceName + QLatin1Char('&');
        } else if (recording.source == Desktop) {
            ++desktopCount;
        } else {
            continue;
        }
        total += qMax(recording.seconds, 0);
    }
    const QString action = QStringLiteral("RecordingNum=") + QString::number(m_recordings.size())
                           + QStringLiteral("&Streaming=") + (m_streamingActive ? QLatin1Char('T') : QLatin1Char('F'))
                           + QStringLiteral("&RecordingTime=") + QString::number(time + total) + QStringLiteral("Sec");
    QString label = QStringLiteral("DocCamNum=") + QString::number(cameraCount) + QLatin1Char('&') + cameraNames
                    + QStringLiteral("DesktopNum=") + QString::number(desktopCount);
    if (m_streamingActive)
        label += QStringLiteral("&StreamingName=") + m_streamingSourceName + QLatin1Char('&') + m_streamingSettings;
    sendHit(QStringLiteral("Recoding&Streaming"), action, label);
}

void BigData::startStreaming(const QString &sourceName, const QVariant &service, const QVariant &resolution,
                             const QVariant &automaticRecord)
{
    m_streamingSettings = QStringLiteral("SelectService=") + service.toString() + QStringLiteral("&Resolution=")
                          + resolution.toString() + QStringLiteral("&isAutomaticRecord=")
                          + flagText(automaticRecord.toBool());
    m_streamingActive = true;
    m_streamingSourceName = sourceName;
}

void BigData::sendFlags(const QString &category, const QVariant &action, const QVariant &flags,
                        const QStringList &pieces)
{
    // The sender passes a pointer to its own array of change flags, one byte each; it is valid only
    // while this call runs. Anything other than a pointer carries no flags to report.
    if (flags.userType() != QMetaType::VoidStar)
        return;
    const auto *bytes = static_cast<const unsigned char *>(flags.value<void *>());
    if (!bytes)
        return;
    QString label;
    for (int i = 0; i < pieces.size(); ++i)
        label += pieces.at(i) + flagText(bytes[i] != 0);
    sendHit(category, action.toString(), label);
}

QString BigData::nameIn(const QMetaEnum &enumeration, int value) const
{
    return QString::fromLatin1(enumeration.valueToKey(value));
}

QString BigData::programStartPath() const
{
    return QStringLiteral("Program_start") + QLatin1Char('?') + QStringLiteral("Country=")
           + m_deviceInfo->getCountry() + QStringLiteral("&Language=") + m_deviceInfo->getLanguage()
           + QStringLiteral("&OS=") + m_deviceInfo->getOS() + QStringLiteral("&CPUType=")
           + m_deviceInfo->getCPUType() + QStringLiteral("&Cores=") + m_deviceInfo->getCores()
           + QStringLiteral("&RAM=") + m_deviceInfo->getRAM() + QStringLiteral("&ScreenResolution=")
           + m_deviceInfo->getScreenResolution();
}

QString BigData::secondsSince(qint64 startMsecs) const
{
    return QString::number((now() - startMsecs) / 1000);
}

qint64 BigData::now() const
{
    return m_clock();
}

bool BigData::isAbsent(const QVariant &value)
{
    return value == QVariant(-1);
}

bool BigData::anyAbsent(const QVariant (&data)[6], int count)
{
    for (int i = 0; i < count; ++i) {
        if (isAbsent(data[i]))
            return true;
    }
    return false;
}
