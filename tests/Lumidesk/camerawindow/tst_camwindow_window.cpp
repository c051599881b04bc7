#include "camera/generalcamera.h"
#include "camerawindow/cameramainwidget.h"
#include "camerawindow/keystonewidget.h"
#include "capture/qorvcapturesession.h"
#include "capture/qorvframesource.h"
#include "common/settingspath.h"
#include "livewarningdialog.h"
#include "notificationdialog.h"
#include "warningdialog.h"
#include "core/platformbackend.h"
#include "manager/doccammanager.h"
#include "simulated/simulatedcamera.h"
#include "simulated/simulatedcameras.h"
#include "video/simulated/simulatedcapturedevice.h"
#include "camwindowfixture.h"
#include "camerawindow/elidedcombotext.h"
#include "camerasettings/camerasettingdialog.h"
#include "dialogs/livestreamsettingdialog.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QPointer>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QTranslator>
#include <QtTest>

#include <memory>
#include <thread>

using platform::SimulatedCamera;
using platform::SimulatedCameras;

namespace {

struct Device
{
    quint16 vendor;
    quint16 product;
    QString name;
};
using Devices = QList<Device>;

constexpr quint16 Maker = SimulatedCamera::MakerVendorId;
constexpr quint16 OtherMaker = 0x07CA;

quint32 locationFor(int position)
{
    return 0x05100000u + quint32(position) * 0x00100000u;
}

// Replaces the connected cameras by the given ones, in order.
void plugOnly(const Devices &devices)
{
    SimulatedCameras *cameras = SimulatedCameras::instance();
    for (const auto &camera : cameras->cameras())
        cameras->unplug(camera->info().uniqueId);
    for (int i = 0; i < devices.size(); ++i) {
        const Device &device = devices.at(i);
        platform::VideoDeviceInfo info;
        info.vendorId = device.vendor;
        info.productId = device.product;
        info.locationId = locationFor(i);
        info.uniqueId = SimulatedCamera::uniqueIdFor(info.locationId, info.vendorId, info.productId);
        info.name = device.name;
        auto camera = QSharedPointer<SimulatedCamera>::create(info);
        SimulatedCamera::addStandardControls(camera->uvc(), false);
        QVERIFY(cameras->plug(camera));
    }
}

QStringList listTexts(CameraMainWidget &window)
{
    QStringList texts;
    for (int i = 0; i < window.comboBoxSource->count(); ++i)
        texts.append(window.comboBoxSource->itemText(i));
    return texts;
}

// A language of the test's own: the texts it is given, by their English source, of one class (the
// camera window's unless told otherwise).
class TestTranslations : public QTranslator
{
public:
    explicit TestTranslations(QHash<QString, QString> texts, QByteArray context = "CameraMainWidget")
        : m_texts(std::move(texts)), m_context(std::move(context))
    {
    }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (m_context != context)
            return QString();
        return m_texts.value(QString::fromUtf8(source));
    }
    bool isEmpty() const override { return false; }

private:
    QHash<QString, QString> m_texts;
    QByteArray m_context;
};

// The window itself or one of its dialogs, by class. The live settings dialog keeps a notice of its
// own on the window, so the window's notice is taken from the window.
QWidget *partOf(CameraMainWidget &window, const QString &className)
{
    if (className == QLatin1String("CameraMainWidget"))
        return &window;
    if (className == QLatin1String("CameraSettingDialog"))
        return window.cameraSettingDialog();
    if (className == QLatin1String("LiveStreamSettingDialog"))
        return window.liveStreamSettingDialog();
    if (className == QLatin1String("NotificationDialog"))
        return window.notification();
    if (className == QLatin1String("WarningDialog"))
        return window.findChild<WarningDialog *>(QString(), Qt::FindDirectChildrenOnly);
    if (className == QLatin1String("LiveWarningDialog"))
        return window.findChild<LiveWarningDialog *>(QString(), Qt::FindDirectChildrenOnly);
    return nullptr;
}

// What a label or a button shows, or a list's first entry.
QString textOf(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *list = qobject_cast<QComboBox *>(widget))
        return list->itemText(0);
    return QString();
}

const QString ConnectTipSource =
    QStringLiteral("<span style='font-size:14px;'>Please connect Qorv camera to pc.</span>");

// A notice far longer than the English one, with a word no line of the form's box can hold.
QHash<QString, QString> longNotice()
{
    return {{ConnectTipSource,
             QStringLiteral("<span style='font-size:14px;'>Bitte schlie\u00dfen Sie eine Qorv-Dokumentenkamera "
                            "\u00fcber ein USB-Kabel an diesen Computer an. Danach erscheint hier das Bild "
                            "der Kamera, und Sie k\u00f6nnen aufnehmen, fotografieren und live "
                            "\u00fcbertragen. Donaudampfschifffahrtsgesellschaftskapit\u00e4n</span>")}};
}

} // namespace

Q_DECLARE_METATYPE(Devices)

class TestCamWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void listing_data();
    void listing();
    void retranslateLeavesOnlyTheFirstEntry();
    void noticeWaitsForTheFirstShow();
    void languageChangeKeepsTheCamera();
    void languageChangeReachesEveryDialog_data();
    void languageChangeReachesEveryDialog();
    void choosingStartsWithRememberedFormat_data();
    void choosingStartsWithRememberedFormat();
    void choosingNoCameraReleasesIt();
    void unplugReleasesTheCamera();
    void startErrors_data();
    void startErrors();
    void wideFormatsLockZoom_data();
    void wideFormatsLockZoom();
    void resizeEdges();
    void dragMovesThePreviewAlong();
    void countdownKeepsControlsHidden();
    void sizeReportAfterLastStep();
    void maximiseTwiceRestores();
    void closeRunsOnce();
    void picturesFromTheCaptureQueueAreCopied_data();
    void picturesFromTheCaptureQueueAreCopied();
    void closeDuringStartUp();
    void reopenedWindowIsATopWindowAgain();
    void noticeFitsInEveryLanguage_data();
    void noticeFitsInEveryLanguage();
    void longCameraNameIsCutWithDots();

private:
    std::unique_ptr<CameraMainWidget> makeWindow(int order = 1);
    void selectFirstCamera(CameraMainWidget &window);
};

void TestCamWindow::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    QVERIFY(DocCamManager::getDocCamManager());
}

void TestCamWindow::init()
{
    QFile::remove(_GUID_SETTING_INI);
    plugOnly({{Maker, 0x0815, QStringLiteral("Doc")}});
}

void TestCamWindow::cleanup()
{
    for (const auto &camera : SimulatedCameras::instance()->cameras())
        platform::SimulatedCaptureDevice::injectStartError(camera->info().uniqueId, 0);
}

// The notice is rich text, laid out (fonts looked up) as it is set: the window made hidden at the
// program's start sets it only when first shown.
void TestCamWindow::noticeWaitsForTheFirstShow()
{
    const auto textControls = [](QLabel *label) {
        int found = 0;
        for (QObject *child : label->children())
            found += QByteArray(child->metaObject()->className()) == "QWidgetTextControl";
        return found;
    };
    CameraMainWidget window;
    QCOMPARE(textControls(window.lbTiptx), 0);
    QVERIFY(window.lbTiptx->text() != ConnectTipSource);
    window.resize(700, 460);
    window.show();
    QCOMPARE(window.lbTiptx->text(), ConnectTipSource);
    QCOMPARE(textControls(window.lbTiptx), 1);
    QVERIFY(window.lbTip->isVisible());
}

std::unique_ptr<CameraMainWidget> TestCamWindow::makeWindow(int order)
{
    auto window = std::make_unique<CameraMainWidget>();
    window->setCameraOrder(order);
    window->resize(700, 460);
    window->show();
    return window;
}

void TestCamWindow::selectFirstCamera(CameraMainWidget &window)
{
    window.comboBoxSource->setCurrentIndex(1);
}

void TestCamWindow::listing_data()
{
    QTest::addColumn<Devices>("devices");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("equal names made unique")
        << Devices{{Maker, 0x0815, "Cam"}, {Maker, 0x0816, "Cam"}, {Maker, 0x0817, "Other"}, {Maker, 0x0818, "Cam"}}
        << QStringList{"Camera", "Cam", "Cam (2)", "Other", "Cam (3)"};
    QTest::newRow("product 0x2000 or more beside a supported one")
        << Devices{{Maker, 0x2001, "Hdmi"}, {Maker, 0x0815, "Doc"}} << QStringList{"Camera", "Hdmi", "Doc"};
    QTest::newRow("product 0x2000 or more alone") << Devices{{Maker, 0x2000, "Hdmi"}} << QStringList{"Camera"};
    QTest::newRow("other vendors are never listed")
        << Devices{{0x046d, 0x0825, "Webcam"}, {Maker, 0x0815, "Doc"}} << QStringList{"Camera", "Doc"};
    QTest::newRow("second maker vendor") << Devices{{OtherMaker, 0x0110, "Avc"}, {OtherMaker, 0x0300, "Box"}}
                                         << QStringList{"Camera", "Avc", "Box"};
    QTest::newRow("second maker vendor, unsupported product alone")
        << Devices{{OtherMaker, 0x0300, "Box"}} << QStringList{"Camera"};
    QTest::newRow("short names of two products")
        << Devices{{Maker, 0x0701, "Long name"}, {Maker, 0x0810, "Other name"}, {Maker, 0x0701, "Again"}}
        << QStringList{"Camera", "ZQ40", "ZR90", "ZQ40 (2)"};
    QTest::newRow("no camera") << Devices{} << QStringList{"Camera"};
}

void TestCamWindow::listing()
{
    QFETCH(Devices, devices);
    QFETCH(QStringList, texts);
    plugOnly(devices);

    CameraMainWidget window;
    QCOMPARE(listTexts(window), texts);
    // Every camera entry carries its USB location id.
    for (int i = 1; i < window.comboBoxSource->count(); ++i) {
        const quint32 location = quint32(window.comboBoxSource->itemData(i, Qt::UserRole).toInt());
        bool known = false;
        for (int d = 0; d < devices.size(); ++d)
            known = known || location == locationFor(d);
        QVERIFY2(known, qPrintable(QString::number(location, 16)));
    }
}

void TestCamWindow::retranslateLeavesOnlyTheFirstEntry()
{
    auto window = makeWindow();
    selectFirstCamera(*window);
    QCOMPARE(window->comboBoxSource->count(), 2);
    QSignalSpy selected(window.get(), &CameraMainWidget::cameraSelected);
    window->retranslateUi(window.get());
    QCOMPARE(listTexts(*window), QStringList{"Camera"});
    QCOMPARE(selected.count(), 0); // texts only: the camera is not released by a language change
}

// A language change gives every text its new language and leaves the camera running as it was.
void TestCamWindow::languageChangeKeepsTheCamera()
{
    plugOnly({{Maker, 0x0815, "Doc"}, {Maker, 0x0816, "Desk"}});
    auto window = makeWindow();
    window->comboBoxSource->setCurrentIndex(2);
    GeneralCamera *camera = window->getSourceCamera();
    QVERIFY(camera);
    QPointer<QorvFrameSource> source = window->frameSource();
    QSignalSpy selected(window.get(), &CameraMainWidget::cameraSelected);
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);

    TestTranslations german({{QStringLiteral("Camera"), QStringLiteral("Kamera")},
                             {QStringLiteral("Camera settings"), QStringLiteral("Kameraeinstellungen")},
                             {ConnectTipSource, QStringLiteral("Bitte eine Kamera anschlie\u00dfen.")}});
    QVERIFY(QCoreApplication::installTranslator(&german));
    window->updateString(QStringLiteral("de_DE"));
    QCoreApplication::removeTranslator(&german);

    QCOMPARE(listTexts(*window), (QStringList{"Kamera", "Doc", "Desk"}));
    QCOMPARE(window->btnCameraSettting->toolTip(), QStringLiteral("Kameraeinstellungen"));
    QCOMPARE(window->lbTiptx->text(), QStringLiteral("Bitte eine Kamera anschlie\u00dfen."));
    // The same entry, the same camera, the same running frame source: nothing was selected again.
    QCOMPARE(window->comboBoxSource->currentIndex(), 2);
    QCOMPARE(window->getSourceCamera(), camera);
    QVERIFY(source);
    QCOMPARE(window->frameSource(), source.data());
    QVERIFY(window->captureSession()->isRunning());
    QCOMPARE(selected.count(), 0);
    QCOMPARE(countOf(sent, int(CameraMainWidget::CameraStateChangedId)), 0);
    // Entries keep their cameras.
    QCOMPARE(quint32(window->comboBoxSource->itemData(1, Qt::UserRole).toInt()), locationFor(0));
    QCOMPARE(quint32(window->comboBoxSource->itemData(2, Qt::UserRole).toInt()), locationFor(1));
}

void TestCamWindow::languageChangeReachesEveryDialog_data()
{
    QTest::addColumn<QString>("part");   // the class whose texts change
    QTest::addColumn<QString>("widget"); // the widget of that part that shows one of them
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("translation");

    QTest::newRow("camera settings") << "CameraSettingDialog" << "selectLb" << "Camera Settings"
                                     << "Kameraeinstellungen";
    QTest::newRow("live settings") << "LiveStreamSettingDialog" << "labelTitle" << "Stream Setting"
                                   << "Streaming-Einstellungen";
    QTest::newRow("notice") << "NotificationDialog" << "btnOk" << "OK" << "Verstanden";
    QTest::newRow("frame-rate warning") << "WarningDialog" << "labelTry" << "Try the following:"
                                        << "Versuchen Sie Folgendes:";
    QTest::newRow("upload warning") << "LiveWarningDialog" << "btnOk" << "OK" << "Alles klar";
    QTest::newRow("Mute entry") << "CameraMainWidget" << "cbAudio" << "Mute" << "Stumm";
}

// A language change on the window reaches each of its dialogs, shown or not, and the microphone list.
void TestCamWindow::languageChangeReachesEveryDialog()
{
    QFETCH(QString, part);
    QFETCH(QString, widget);
    QFETCH(QString, source);
    QFETCH(QString, translation);
    auto window = makeWindow();
    window->syncAudioList();
    QWidget *owner = partOf(*window, part);
    QVERIFY(owner);
    // The settings dialogs build their forms on first use: as before the window shows them.
    if (auto *settings = qobject_cast<CameraSettingDialog *>(owner))
        settings->showCameraSetting();
    if (auto *live = qobject_cast<LiveStreamSettingDialog *>(owner))
        live->loadSetting();
    // The message dialogs build theirs on their own first show, not on the window's.
    if (qobject_cast<NotificationDialog *>(owner) || qobject_cast<WarningDialog *>(owner)
        || qobject_cast<LiveWarningDialog *>(owner)) {
        QVERIFY(owner->findChildren<QWidget *>().isEmpty());
        owner->show();
    }
    auto *shown = owner->findChild<QWidget *>(widget);
    QVERIFY(shown);
    QCOMPARE(textOf(shown), source);

    // The other parts know none of this language: only this part's own change can give the text.
    TestTranslations german({{source, translation}}, part.toLatin1());
    QVERIFY(QCoreApplication::installTranslator(&german));
    window->updateString(QStringLiteral("de_DE"));
    const QString changed = textOf(shown);
    QCoreApplication::removeTranslator(&german);
    QCOMPARE(changed, translation);
}

void TestCamWindow::choosingStartsWithRememberedFormat_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("rememberedFps");
    QTest::addColumn<int>("expectedFps");
    QTest::addColumn<int>("expectedWidth");
    // The second window reads only its own keys.
    QTest::newRow("first window") << 1 << "First" << 15 << 15 << 1280;
    QTest::newRow("rate not offered: the format's current rate") << 1 << "First" << 25 << -1 << 1280;
    QTest::newRow("second window") << 2 << "Second" << 5 << 5 << 1280;
    QTest::newRow("first keys do not reach the second window") << 2 << "First" << 5 << -1 << 640;
}

void TestCamWindow::choosingStartsWithRememberedFormat()
{
    QFETCH(int, order);
    QFETCH(QString, prefix);
    QFETCH(int, rememberedFps);
    QFETCH(int, expectedFps);
    QFETCH(int, expectedWidth);
    {
        QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Resolution/%1Width").arg(prefix), 1280);
        settings.setValue(QStringLiteral("Resolution/%1Height").arg(prefix), 720);
        settings.setValue(QStringLiteral("Framrate/Fps%1").arg(prefix), rememberedFps);
        settings.setValue(QStringLiteral("Format/Format%1").arg(prefix), QStringLiteral("MJPG"));
    }
    auto window = makeWindow(order);
    QSignalSpy selected(window.get(), &CameraMainWidget::cameraSelected);
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);
    selectFirstCamera(*window);

    GeneralCamera *camera = window->getSourceCamera();
    QVERIFY(camera);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.first().at(0).value<GeneralCamera *>(), camera);
    QVERIFY(window->captureSession()->isRunning());
    QVERIFY(window->frameSource());
    QCOMPARE(window->frameSource()->camera(), camera);
    QVERIFY(window->previewWindow()->isVisible());
    QVERIFY(!window->lbTip->isVisible());

    const VideoFormat active = camera->getActiveFormat();
    QCOMPARE(active.codecType, 6);
    QCOMPARE(active.width, expectedWidth);
    if (expectedFps > 0)
        QCOMPARE(active.frameRate, expectedFps);
    else
        QVERIFY(active.frameRate != rememberedFps);

    QVERIFY(!sent.isEmpty());
    QCOMPARE(sent.first().at(0).toUInt(), CameraMainWidget::CameraStateChangedId);
    QCOMPARE(sent.first().at(1).toByteArray(), QByteArray());
    QCOMPARE(countOf(analytics, CameraMainWidget::CameraOpenedEvent), 1);
    const QList<QVariant> opened = analytics.at(analytics.size() - 1);
    QCOMPARE(opened.at(1).toInt(), order);
    QCOMPARE(opened.at(3).toString(), QStringLiteral("%1X%2").arg(active.width).arg(active.height));
    QVERIFY(!opened.at(5).toString().isEmpty()); // "unknown" at worst, never empty
}

void TestCamWindow::choosingNoCameraReleasesIt()
{
    auto window = makeWindow();
    selectFirstCamera(*window);
    QVERIFY(window->getSourceCamera());
    QPointer<QorvFrameSource> firstSource = window->frameSource();

    // The same camera again: a new frame source for a new start.
    window->comboBoxSource->setCurrentIndex(0);
    selectFirstCamera(*window);
    QVERIFY(firstSource.isNull());
    QVERIFY(window->frameSource());

    QSignalSpy selected(window.get(), &CameraMainWidget::cameraSelected);
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);
    window->comboBoxSource->setCurrentIndex(0);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.first().at(0).value<GeneralCamera *>(), nullptr);
    QCOMPARE(countOf(analytics, CameraMainWidget::CameraClosedEvent), 1);
    QVERIFY(!window->getSourceCamera());
    QVERIFY(!window->frameSource());
    QVERIFY(!window->captureSession()->isRunning());
    QVERIFY(window->lbTip->isVisible());
    QVERIFY(!window->btnCameraSettting->isEnabled());
}

void TestCamWindow::unplugReleasesTheCamera()
{
    auto window = makeWindow();
    selectFirstCamera(*window);
    QVERIFY(window->getSourceCamera());
    QSignalSpy shown(window.get(), &CameraMainWidget::dialogIsShow);
    QVERIFY(SimulatedCameras::instance()->unplug(SimulatedCameras::instance()->cameras().first()->info().uniqueId));
    QCOMPARE(window->comboBoxSource->currentIndex(), 0);
    QVERIFY(!window->getSourceCamera());
    QVERIFY(!window->frameSource());
    QVERIFY(!window->captureSession()->isRunning());
    QVERIFY(!window->previewWindow()->isVisible());
    QCOMPARE(shown.count(), 0);
}

void TestCamWindow::startErrors_data()
{
    QTest::addColumn<qint32>("code");
    QTest::addColumn<bool>("byCode");
    QTest::addColumn<QString>("notice");

    const QString inUse = QStringLiteral("The camera is in use by another program.");
    const QString bandwidth = QStringLiteral("Usb bandwidth is not sufficient at the moment.");
    QTest::newRow("in use, chosen by the user") << CameraMainWidget::CameraInUse << false << inUse;
    QTest::newRow("no input, chosen by the user") << CameraMainWidget::InputNotCreated << false << inUse;
    QTest::newRow("bandwidth, chosen by the user") << CameraMainWidget::NoBandwidth << false << bandwidth;
    QTest::newRow("in use, chosen by code") << CameraMainWidget::CameraInUse << true << QString();
    QTest::newRow("bandwidth, chosen by code") << CameraMainWidget::NoBandwidth << true << QString();
}

void TestCamWindow::startErrors()
{
    QFETCH(qint32, code);
    QFETCH(bool, byCode);
    QFETCH(QString, notice);

    const auto simulated = SimulatedCameras::instance()->cameras().first();
    platform::SimulatedCaptureDevice::injectStartError(simulated->info().uniqueId, code);
    auto window = makeWindow();
    QSignalSpy shown(window.get(), &CameraMainWidget::dialogIsShow);
    if (byCode)
        window->setWidgetCamera(DocCamManager::getDocCamManager()->queryCameras(false).first());
    else
        selectFirstCamera(*window);

    QCOMPARE(window->comboBoxSource->currentIndex(), 0);
    QVERIFY(!window->getSourceCamera());
    QVERIFY(!window->frameSource());
    QVERIFY(!window->captureSession()->isRunning());
    if (notice.isEmpty()) {
        QCOMPARE(shown.count(), 0);
        QCOMPARE(shownNotice(*window), QString());
    } else {
        QCOMPARE(shown.count(), 1);
        QVERIFY2(shownNotice(*window).contains(notice), qPrintable(shownNotice(*window)));
    }

    // Once the camera is free again, choosing it works and no further notice appears.
    platform::SimulatedCaptureDevice::injectStartError(simulated->info().uniqueId, 0);
    selectFirstCamera(*window);
    QVERIFY(window->getSourceCamera());
    QCOMPARE(shown.count(), notice.isEmpty() ? 0 : 1);
}

void TestCamWindow::wideFormatsLockZoom_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("locked");
    QTest::newRow("3840 wide") << 3840 << 2160 << true;
    QTest::newRow("1920 wide") << 1920 << 1080 << false;
}

void TestCamWindow::wideFormatsLockZoom()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, locked);
    {
        QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Resolution/FirstWidth"), width);
        settings.setValue(QStringLiteral("Resolution/FirstHeight"), height);
    }
    auto window = makeWindow();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    selectFirstCamera(*window);
    GeneralCamera *camera = window->getSourceCamera();
    QVERIFY(camera);
    QCOMPARE(camera->getActiveFormat().width, width);
    QCOMPARE(window->btnZoomIn->isEnabled(), !locked);
    QCOMPARE(window->zoomSlider->isEnabled(), !locked);
    if (locked) {
        double ratio = -1.0;
        QCOMPARE(camera->getZoomRatio(&ratio), GeneralCamera::Success);
        QCOMPARE(ratio, 0.0);
    }
    // The phone hears whether zoom is available: the last report counts.
    QByteArray report;
    for (const QList<QVariant> &call : sent) {
        if (call.at(0).toUInt() == CameraMainWidget::ZoomAvailableId)
            report = call.at(1).toByteArray();
    }
    QCOMPARE(report.size(), 4);
    qint32 available = -1;
    memcpy(&available, report.constData(), sizeof(available));
    QCOMPARE(available, locked ? 0 : 1);
}

void TestCamWindow::resizeEdges()
{
    auto window = makeWindow();
    window->setGeometry(400, 300, 700, 460);
    const int minimumWidth = window->minimumWidth();

    // The left edge: the window grows 150 px on every side while the drag runs, with the mask over it.
    emit window->leftResizer->mouseLeftClicked();
    QVERIFY(window->isResizing());
    QCOMPARE(window->geometry(), QRect(250, 150, 1000, 760));
    QCOMPARE(window->maskWidget->geometry(), QRect(0, 0, 1000, 760));
    QCOMPARE(window->minimumWidth(), minimumWidth + 300);
    emit window->leftResizer->mouseDragWidget(QPoint(-50, 30));
    QCOMPARE(window->geometry(), QRect(200, 150, 1050, 760)); // only horizontal for a side edge
    QCOMPARE(window->maskWidget->geometry(), QRect(0, 0, 1050, 760));
    emit window->leftResizer->mouseLeftRelease();
    QVERIFY(!window->isResizing());
    QCOMPARE(window->geometry(), QRect(350, 300, 750, 460));
    QVERIFY(window->maskWidget->geometry().isEmpty());
    QCOMPARE(window->minimumWidth(), minimumWidth);

    // A corner drag that would go below the minimum width keeps the width and still changes the height.
    emit window->rightDownResizer->mouseLeftClicked();
    emit window->rightDownResizer->mouseDragWidget(QPoint(-2000, 40));
    emit window->rightDownResizer->mouseLeftRelease();
    QCOMPARE(window->geometry(), QRect(350, 300, 750, 500));

    // The preview follows the window's corner.
    QCOMPARE(window->previewWindow()->geometry().topLeft(), window->pos() + QPoint(3, 30));
}

void TestCamWindow::dragMovesThePreviewAlong()
{
    auto window = makeWindow();
    window->setGeometry(300, 200, 700, 460);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 10), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, QPointF(150, 60), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(150, 60), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    window->doMousePress(&press);
    window->doMouseMove(&move);
    window->doMouseRelease(&release);
    QCOMPARE(window->pos(), QPoint(400, 250));
    QCOMPARE(window->previewWindow()->pos(), QPoint(403, 280));
    QCOMPARE(window->keyStone()->pos(), QPoint(403, 280));
    // A move without a press does nothing.
    window->doMouseMove(&move);
    QCOMPARE(window->pos(), QPoint(400, 250));
}

void TestCamWindow::countdownKeepsControlsHidden()
{
    auto window = makeWindow();
    CameraMainWidget::Timing timing;
    timing.countdownStepMs = 50;
    window->setTiming(timing);
    selectFirstCamera(*window);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(window.get(), &enter);
    QVERIFY(window->bottomBar->isVisible());

    window->startRecordCountdown();
    QVERIFY(window->lebalCountdown->isVisible());
    QVERIFY(!window->bottomBar->isVisible());
    QApplication::sendEvent(window.get(), &enter);
    QVERIFY(!window->bottomBar->isVisible());

    // Closing during the countdown stops it: nothing is recorded afterwards, not even once the
    // countdown's three steps would have passed.
    window->closeCameraWidget();
    QVERIFY(!window->lebalCountdown->isVisible());
    QVERIFY(waitPast(4 * timing.countdownStepMs));
    QVERIFY(!window->lebalCountdown->isVisible());
    QCOMPARE(window->lebalCountdown->text(), QStringLiteral("3"));
    QCOMPARE(window->getRecordState(), 0);
}

void TestCamWindow::sizeReportAfterLastStep()
{
    auto window = makeWindow();
    selectFirstCamera(*window);
    QVERIFY(window->getSourceCamera());
    // The window's first size is reported first.
    QTRY_VERIFY(!window->isSizeReportPending());
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);

    // The first step arms a report an hour away; each later step arms it anew, with the short delay
    // given by then. Only a report armed by a later step can arrive, and only one does.
    window->setSizeReportInterval(60 * 60 * 1000);
    window->resize(690, 460);
    QVERIFY(window->isSizeReportPending());
    window->setSizeReportInterval(50);
    for (int step = 1; step < 4; ++step) {
        window->resize(700 + 10 * step, 460);
        QVERIFY(window->isSizeReportPending());
    }
    QCOMPARE(countOf(analytics, CameraMainWidget::WindowResizedEvent), 0);
    QTRY_COMPARE(countOf(analytics, CameraMainWidget::WindowResizedEvent), 1);
    const QList<QVariant> report = analytics.last();
    QCOMPARE(report.at(3).toString(), QStringLiteral("730X460"));
    // Nothing is armed any more, so nothing else can come.
    QVERIFY(!window->isSizeReportPending());

    // Within 1 px of the default size nothing is reported (the test screen may be smaller than the
    // window's normal minimum).
    window->setMinimumSize(100, 100);
    const int defaultHeight = int(QGuiApplication::primaryScreen()->geometry().height() * 0.38);
    const int defaultWidth = 16 * ((defaultHeight - 30) / 9);
    window->resize(defaultWidth + 1, defaultHeight - 1);
    QVERIFY(!window->isSizeReportPending());
}

void TestCamWindow::maximiseTwiceRestores()
{
    auto window = makeWindow();
    window->setAvailableGeometryProvider([] { return QRect(0, 24, 1600, 876); });
    window->setGeometry(300, 200, 700, 460);
    window->maximized();
    QVERIFY(window->isMaximizedState());
    QCOMPARE(window->geometry(), QRect(0, 24, 1600, 876));

    // A maximised window neither drags nor resizes.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 10), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, QPointF(150, 110), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    window->doMousePress(&press);
    window->doMouseMove(&move);
    emit window->leftResizer->mouseLeftClicked();
    QCOMPARE(window->geometry(), QRect(0, 24, 1600, 876));
    QVERIFY(!window->isResizing());

    window->maximized();
    QVERIFY(!window->isMaximizedState());
    QCOMPARE(window->geometry(), QRect(300, 200, 700, 460));
}

void TestCamWindow::closeRunsOnce()
{
    auto window = makeWindow();
    selectFirstCamera(*window);
    QSignalSpy decreased(window.get(), &CameraMainWidget::decreaseCamera);
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);

    window->btnMainClose->click();
    window->closeCameraWidget();
    window->close();
    QCOMPARE(decreased.count(), 1);
    QCOMPARE(countOf(analytics, CameraMainWidget::CameraClosedEvent), 1);
    QVERIFY(window->isClosed());
    QVERIFY(!window->isVisible());
    QVERIFY(!window->previewWindow()->isVisible());
    QVERIFY(!window->getSourceCamera());
    QVERIFY(!window->frameSource());
    QVERIFY(!window->captureSession()->isRunning());
    QCOMPARE(window->comboBoxSource->currentIndex(), 0);

    // A window closed by the window system takes the same path.
    auto other = makeWindow(2);
    selectFirstCamera(*other);
    QSignalSpy otherDecreased(other.get(), &CameraMainWidget::decreaseCamera);
    other->close();
    QCOMPARE(otherDecreased.count(), 1);
    QVERIFY(!other->captureSession()->isRunning());
}

void TestCamWindow::closeDuringStartUp()
{
    auto window = makeWindow();
    QSignalSpy decreased(window.get(), &CameraMainWidget::decreaseCamera);
    QSignalSpy shown(window.get(), &CameraMainWidget::dialogIsShow);
    // The main window may close this one from the very signal that announces the camera.
    connect(window.get(), &CameraMainWidget::cameraSelected, window.get(), [&window](GeneralCamera *camera) {
        if (camera)
            window->closeCameraWidget();
    });
    selectFirstCamera(*window);

    QCOMPARE(decreased.count(), 1);
    QCOMPARE(shown.count(), 0);
    QVERIFY(!window->getSourceCamera());
    QVERIFY(!window->frameSource());
    QVERIFY(!window->captureSession()->isRunning());
    QVERIFY(!window->previewWindow()->isVisible());
    QVERIFY(!window->keyStone()->isVisible());
    QVERIFY(!window->isVisible());
}

void TestCamWindow::picturesFromTheCaptureQueueAreCopied_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("validJpeg");
    QTest::addColumn<QSize>("sentSize");
    QTest::newRow("small picture as it is") << QSize(640, 480) << true << QSize(640, 480);
    QTest::newRow("large picture scaled to 800") << QSize(1920, 1080) << true << QSize(800, 450);
    QTest::newRow("large picture that does not decode") << QSize(1600, 1200) << false << QSize(800, 600);
}

void TestCamWindow::picturesFromTheCaptureQueueAreCopied()
{
    QFETCH(QSize, size);
    QFETCH(bool, validJpeg);
    QFETCH(QSize, sentSize);

    QByteArray frame;
    if (validJpeg) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QBuffer buffer(&frame);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "JPG"));
    } else {
        frame = QByteArray(4096, 'x');
    }
    const QByteArray original = frame;

    CameraMainWidget window;
    QSignalSpy sent(&window, &CameraMainWidget::SendToClient);
    // As the capture queue calls it: the frame memory is reused as soon as the call returns.
    std::thread queue([&] {
        window.SendPictureToClient(frame.data(), uint32_t(frame.size()), uint16_t(size.width()),
                                   uint16_t(size.height()));
        frame.fill('\0');
    });
    queue.join();
    QCOMPARE(sent.count(), 0); // the signal crosses to the GUI thread
    QTRY_COMPARE(sent.count(), 1);
    QCOMPARE(sent.first().at(0).toUInt(), CameraMainWidget::PictureId);
    const QByteArray payload = sent.first().at(1).toByteArray();
    if (sentSize == size) {
        QCOMPARE(payload, original);
    } else {
        QImage received;
        QVERIFY(received.loadFromData(payload, "JPG"));
        QCOMPARE(received.size(), sentSize);
    }
}

// Closing makes the window a dialog; shown again, it is the frameless window on top it was made.
void TestCamWindow::reopenedWindowIsATopWindowAgain()
{
    auto window = makeWindow();
    const Qt::WindowFlags made = window->windowFlags();
    QCOMPARE(window->windowType(), Qt::Window);
    window->closeCameraWidget();
    QCOMPARE(window->windowType(), Qt::Dialog);
    window->show();
    QCOMPARE(window->windowType(), Qt::Window);
    QCOMPARE(window->windowFlags(), made);
    QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestCamWindow::noticeFitsInEveryLanguage_data()
{
    QTest::addColumn<QString>("catalogue"); // empty: a language with a far longer text

    // Every language of the source tree has its built catalogue.
    const QString sources = QStringLiteral(LUMIDESK_LANGUAGE_SOURCES);
    const QStringList codes = QDir(sources).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    int languages = 0;
    for (const QString &code : codes) {
        if (!QFile::exists(QStringLiteral("%1/%2/Lumidesk_%2.ts").arg(sources, code)))
            continue;
        ++languages;
        QTest::newRow(qPrintable(code)) << QStringLiteral(LUMIDESK_LANGUAGES_DIR "/%1/Lumidesk_%1.qm").arg(code);
    }
    QVERIFY(languages > 0);
    QTest::newRow("long translation") << QString();
}

// The notice of a window without a camera shows its whole text in every language: wrapped inside its
// box, the box as the form draws it or grown about the middle of the picture area.
void TestCamWindow::noticeFitsInEveryLanguage()
{
    QFETCH(QString, catalogue);
    plugOnly({});
    std::unique_ptr<QTranslator> translator;
    if (catalogue.isEmpty()) {
        translator = std::make_unique<TestTranslations>(longNotice());
    } else {
        translator = std::make_unique<QTranslator>();
        QVERIFY2(translator->load(catalogue), qPrintable(catalogue));
    }
    QVERIFY(QCoreApplication::installTranslator(translator.get()));
    auto window = makeWindow();
    window->updateString(QFileInfo(catalogue).baseName());
    QCoreApplication::removeTranslator(translator.get());

    QVERIFY(window->lbTip->isVisible());
    QLabel *text = window->lbTiptx;
    const QString shown = QTextDocumentFragment::fromHtml(text->text()).toPlainText();
    QVERIFY(shown.contains(catalogue.isEmpty() ? QStringLiteral("Qorv-Dokumentenkamera") : QStringLiteral("Qorv")));
    // The notice's own size: its span sets 14 pixels.
    QFont font = text->font();
    font.setPixelSize(14);
    const QRect needed = QFontMetrics(font).boundingRect(QRect(0, 0, text->width(), 100000),
                                                          int(text->alignment()) | Qt::TextWordWrap, shown);
    QVERIFY2(needed.width() <= text->width() && needed.height() <= text->height(),
             qPrintable(QStringLiteral("%1 x %2 needed, %3 x %4 given")
                            .arg(needed.width()).arg(needed.height()).arg(text->width()).arg(text->height())));
    QVERIFY(window->lbTip->rect().contains(text->geometry()));
    const QRect box = window->lbTip->geometry();
    QVERIFY(window->widgetDown->rect().contains(box));
    QVERIFY((box.center() - window->widgetDown->rect().center()).manhattanLength() <= 2);
    if (!catalogue.isEmpty())
        QVERIFY(box.width() >= CameraMainWidget::NoticeBoxSize.width());
}

// A camera name longer than the selector is cut with "...", the whole name its tool tip; the list
// keeps the whole name.
void TestCamWindow::longCameraNameIsCutWithDots()
{
    const QString name = QStringLiteral("Qorv ZQ15 Document Camera");
    plugOnly({{Maker, 0x0815, name}, {Maker, 0x0816, QStringLiteral("Doc")}});
    auto window = makeWindow();
    auto *face = window->comboBoxSource->findChild<ElidedComboText *>();
    QVERIFY(face);
    selectFirstCamera(*window);
    QCOMPARE(window->comboBoxSource->currentText(), name);

    const QString shown = face->shownText();
    QVERIFY2(shown.endsWith(QLatin1String("...")), qPrintable(shown));
    const QString kept = shown.chopped(3);
    QVERIFY2(kept.size() >= 4 && name.startsWith(kept), qPrintable(shown));
    const QFontMetrics metrics = window->comboBoxSource->fontMetrics();
    QVERIFY(metrics.horizontalAdvance(shown) <= face->textWidth());
    // As much of the name as fits.
    QVERIFY(metrics.horizontalAdvance(name.left(kept.size() + 1) + QLatin1String("...")) > face->textWidth());

    const QPoint at(10, 10);
    QHelpEvent tip(QEvent::ToolTip, at, window->comboBoxSource->mapToGlobal(at));
    QApplication::sendEvent(window->comboBoxSource, &tip);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), name);
    QToolTip::hideText();

    // A name that fits is shown whole, under the selector's own tip.
    window->comboBoxSource->setCurrentIndex(2);
    QCOMPARE(face->shownText(), QStringLiteral("Doc"));
    QHelpEvent again(QEvent::ToolTip, at, window->comboBoxSource->mapToGlobal(at));
    QApplication::sendEvent(window->comboBoxSource, &again);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), window->comboBoxSource->toolTip());
    QToolTip::hideText();
}

QTEST_MAIN(TestCamWindow)
#include "tst_camwindow_window.moc"
