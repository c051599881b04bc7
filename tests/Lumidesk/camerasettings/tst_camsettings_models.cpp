#include "camsettingsfixture.h"
#include "core/platformbackend.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

namespace {

enum Row { Brightness, Contrast, Saturation, Sharpness, WhiteBalance, Backlight, Noise, PowerLine, Orientation };
const QList<Row> AllRows{Brightness, Contrast, Saturation, Sharpness, WhiteBalance,
                         Backlight,  Noise,    PowerLine,  Orientation};

struct SliderRow
{
    const char *slider;
    const char *minimum;
    const char *maximum;
    const char *title;
};

SliderRow sliderRow(Row row)
{
    switch (row) {
    case Brightness: return {"brightnessSlider", "lbBrightnessMin", "lbBrightnessMax", "lbBr"};
    case Contrast: return {"contrastSlider", "lbContrastMin", "lbContrastMax", "lbCt"};
    case Saturation: return {"saturationSlider", "lbSaturationMin", "lbSaturationMax", "lbSatu"};
    case Sharpness: return {"sharpnessSlider", "lbSharpnessMin", "lbSharpnessMax", "lbSharp"};
    default: return {"whiteBalanceSlider", "lbWhiteBalanceMin", "lbWhiteBalanceMax", "lbWhite"};
    }
}

const char *comboOf(Row row)
{
    switch (row) {
    case Backlight: return "cbBacklight";
    case Noise: return "cbNoise";
    default: return "cbPowerFrquency";
    }
}

// The brightest grey of a widget as it is drawn on its page: a live toggle shows its white letter, a
// disabled one only greys.
int brightestGrey(QWidget *widget, QStackedWidget *pages, int page)
{
    pages->setCurrentIndex(page);
    QWidget *top = widget->window();
    const QImage image =
        top->grab(QRect(widget->mapTo(top, QPoint(0, 0)), widget->size())).toImage();
    int brightest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            brightest = qMax(brightest, qGray(image.pixel(x, y)));
    }
    return brightest;
}

bool isNumber(const QString &text)
{
    bool ok = false;
    text.toLongLong(&ok);
    return ok;
}

} // namespace

Q_DECLARE_METATYPE(QList<Row>)

// The settings dialog's rows on each model the simulation offers: every row the model has works, and a
// row it does not have is plainly disabled (greyed, "-" or "N/A", its buttons drawn disabled), never a
// live-looking control that does nothing.
class TestCameraSettingsModels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void rowsOfEachModel_data();
    void rowsOfEachModel();
};

void TestCameraSettingsModels::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
}

void TestCameraSettingsModels::init()
{
    SimulatedCameras::instance()->reset();
}

void TestCameraSettingsModels::rowsOfEachModel_data()
{
    QTest::addColumn<quint16>("product");
    QTest::addColumn<QList<Row>>("missing");
    QTest::addColumn<bool>("imagePageOpens");

    // The ZQ40 is opened by its location alone, so its configuration descriptor is never read and it
    // offers no white balance; the others declare theirs. The ZR90's menu keeps its image page shut.
    QTest::newRow("ZQ40 (first camera)") << quint16(0x0701) << QList<Row>{WhiteBalance} << true;
    QTest::newRow("ZQ15 (second camera)") << quint16(0x0815) << QList<Row>{} << true;
    QTest::newRow("ZR90") << quint16(0x0810) << QList<Row>{} << false;
}

void TestCameraSettingsModels::rowsOfEachModel()
{
    QFETCH(quint16, product);
    QFETCH(QList<Row>, missing);
    QFETCH(bool, imagePageOpens);

    QSharedPointer<SimulatedCamera> sim;
    for (const auto &camera : SimulatedCameras::instance()->cameras()) {
        if (camera->info().productId == product)
            sim = camera;
    }
    if (!sim)
        sim = SimulatedCameras::instance()->plugStandard(product, 0x01300000, QStringLiteral("ZR90"));
    QVERIFY(sim);
    Fixture f(sim);
    f.bind();
    QCOMPARE(f.widget<QWidget>("btnImageSetting")->isEnabled(), imagePageOpens);

    for (Row row : AllRows) {
        const bool has = !missing.contains(row);
        if (row <= WhiteBalance) {
            const SliderRow names = sliderRow(row);
            auto *slider = f.widget<QSlider>(names.slider);
            const QString minimum = f.widget<QLabel>(names.minimum)->text();
            const QString maximum = f.widget<QLabel>(names.maximum)->text();
            QVERIFY2(isNumber(minimum) == has && isNumber(maximum) == has, names.slider);
            QVERIFY2(has || (minimum == "-" && maximum == "-" && !slider->isEnabled()), names.slider);
            QCOMPARE(f.widget<QLabel>(names.title)->styleSheet().contains("#ffffff", Qt::CaseInsensitive), has);
            QCOMPARE(slider->styleSheet().contains("icon_p_gray.png"),
                     !has || (row == WhiteBalance && currentOf(*sim, Processing, 0x0b) == 1));
        } else if (row == Orientation) {
            QCOMPARE(f.widget<QToolButton>("lbMirror")->isEnabled(), has);
            QCOMPARE(f.widget<QToolButton>("lbCelling")->isEnabled(), has);
        } else {
            auto *combo = f.widget<QComboBox>(comboOf(row));
            QCOMPARE(combo->isEnabled(), has);
            QCOMPARE(itemsOf(combo).contains("N/A"), !has);
        }
    }

    // The automatic white-balance toggle: live where the model has it, drawn disabled where not.
    auto *autoButton = f.widget<QToolButton>("btnAuto");
    const bool hasWhiteBalance = !missing.contains(WhiteBalance);
    QCOMPARE(autoButton->isEnabled(), hasWhiteBalance);
    const int grey = brightestGrey(autoButton, f.widget<QStackedWidget>("stackedWidget"), 1);
    QVERIFY2(hasWhiteBalance ? grey > 200 : grey < 120, qPrintable(QString::number(grey)));
    if (hasWhiteBalance) {
        const qint64 before = currentOf(*sim, Processing, 0x0b);
        autoButton->click();
        QCOMPARE(currentOf(*sim, Processing, 0x0b), before ? 0 : 1);
        return;
    }
    // Also after a camera with automatic white balance had the dialog.
    Fixture other(SimulatedCameras::instance()->cameraAt(SimulatedCameras::SecondLocationId));
    other.bind();
    other.dialog.setCamera(f.camera.get());
    auto *otherButton = other.widget<QToolButton>("btnAuto");
    QVERIFY(!otherButton->isEnabled());
    QVERIFY(brightestGrey(otherButton, other.widget<QStackedWidget>("stackedWidget"), 1) < 120);
    other.dialog.setCameraNull();
}

QTEST_MAIN(TestCameraSettingsModels)
#include "tst_camsettings_models.moc"
