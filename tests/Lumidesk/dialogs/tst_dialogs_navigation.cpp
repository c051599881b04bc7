#include "common/settingspath.h"
#include "dialogs/navigationdialog.h"

#include <QApplication>
#include <QStyle>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

namespace {

const QString Key = QStringLiteral("Guid/Enabled");

void storeGuide(const QVariant &value)
{
    QFile::remove(_GUID_SETTING_INI);
    if (value.isValid())
        QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue(Key, value);
}

QVariant storedGuide()
{
    return QSettings(_GUID_SETTING_INI, QSettings::IniFormat).value(Key);
}

} // namespace

class TestNavigationDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void storedValueTicksTheBox_data();
    void storedValueTicksTheBox();
    void leavingStoresTheBoxAndTellsOnce_data();
    void leavingStoresTheBoxAndTellsOnce();
    void arrowsStepThroughThePages();
    void captionsFollowTheirMarkers_data();
    void captionsFollowTheirMarkers();
    void retranslatingKeepsThePlaces();
    void captionsAndMarkersStandOutFromTheArt();
    void captionsOnPlainGroundMarkersOnThePictures_data();
    void captionsOnPlainGroundMarkersOnThePictures();
    void pageThreeMessageFitsInPlace_data();
    void pageThreeMessageFitsInPlace();
};

void TestNavigationDialog::initTestCase()
{
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
}

void TestNavigationDialog::storedValueTicksTheBox_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("ticked");

    QTest::newRow("no settings file") << QVariant() << true;
    QTest::newRow("1") << QVariant(1) << true;
    QTest::newRow("5") << QVariant(5) << true;
    QTest::newRow("0") << QVariant(0) << false;
    QTest::newRow("-1") << QVariant(-1) << false;
    QTest::newRow("not a number") << QVariant("yes") << false;
}

void TestNavigationDialog::storedValueTicksTheBox()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, ticked);
    storeGuide(stored);
    NavigationDialog guide;
    QCOMPARE(guide.form()->checkBox->isChecked(), ticked);
    guide.form()->checkBox->setChecked(!ticked);
    QCOMPARE(guide.checkGuidSetting(), ticked);
    QCOMPARE(guide.form()->checkBox->isChecked(), ticked);
}

void TestNavigationDialog::leavingStoresTheBoxAndTellsOnce_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<int>("written");

    QTest::newRow("OK ticked") << "ok" << true << 1;
    QTest::newRow("OK cleared") << "ok" << false << 0;
    QTest::newRow("Escape ticked") << "escape" << true << 1;
    QTest::newRow("Escape cleared") << "escape" << false << 0;
    QTest::newRow("window closed") << "close" << false << 0;
}

void TestNavigationDialog::leavingStoresTheBoxAndTellsOnce()
{
    QFETCH(QString, how);
    QFETCH(bool, ticked);
    QFETCH(int, written);
    storeGuide(5);
    NavigationDialog guide;
    QSignalSpy closed(&guide, &NavigationDialog::closeGuidPage);
    guide.show();
    guide.changeToPage3();
    guide.form()->checkBox->setChecked(ticked);

    if (how == "ok")
        QTest::mouseClick(guide.form()->btnOk, Qt::LeftButton);
    else if (how == "escape")
        QTest::keyClick(&guide, Qt::Key_Escape);
    else
        guide.close();

    QCOMPARE(closed.count(), 1);
    QVERIFY(!guide.isVisible());
    QCOMPARE(storedGuide().toInt(), written);
}

void TestNavigationDialog::arrowsStepThroughThePages()
{
    NavigationDialog guide;
    const Ui::NavigationDialog *ui = guide.form();
    QCOMPARE(ui->stackedWidget->currentIndex(), 0);
    QVERIFY(!ui->btnPre->isEnabled());
    QVERIFY(!ui->btnNext_3->isEnabled());
    QCOMPARE(guide.size(), QSize(950, 674));

    guide.show();
    QTest::mouseClick(ui->btnNext, Qt::LeftButton);
    QCOMPARE(ui->stackedWidget->currentIndex(), 1);
    QTest::mouseClick(ui->btnNext_2, Qt::LeftButton);
    QCOMPARE(ui->stackedWidget->currentIndex(), 2);
    QTest::mouseClick(ui->btnNext_3, Qt::LeftButton);
    QCOMPARE(ui->stackedWidget->currentIndex(), 2);
    QTest::mouseClick(ui->btnPre_3, Qt::LeftButton);
    QCOMPARE(ui->stackedWidget->currentIndex(), 1);
    QTest::mouseClick(ui->btnPre_2, Qt::LeftButton);
    QCOMPARE(ui->stackedWidget->currentIndex(), 0);
}

void TestNavigationDialog::captionsFollowTheirMarkers_data()
{
    QTest::addColumn<QString>("record");

    QTest::newRow("short record caption") << "Record \"camera\"";
    QTest::newRow("long record caption") << "Record the \"camera\" picture as a movie";
}

void TestNavigationDialog::captionsFollowTheirMarkers()
{
    QFETCH(QString, record);
    NavigationDialog guide;
    Ui::NavigationDialog *ui = guide.form();
    ui->lb3page2->setText(record);
    guide.show();
    guide.autoAdjustSize();

    QCOMPARE(ui->widgetPage1Top->x(),
             ui->lbPage1TopBar->x() - (ui->widgetPage1Top->width() - ui->lbPage1TopBar->width()) / 2);
    QCOMPARE(ui->widgetPage1Down->x(),
             ui->lbPage1DownBar->x() - (ui->widgetPage1Down->width() - ui->lbPage1DownBar->width()) / 2);
    QCOMPARE(ui->widget2page2->x() + ui->widget2page2->width(), ui->lb2Page2Bar->x() - 8);
    QCOMPARE(ui->widget4page2->x() + ui->widget4page2->width(), 950 - 20);

    // The caption is as wide as its text.
    const QFontMetrics metrics(ui->lb3page2->font());
    QVERIFY(ui->widget3page2->width() >= metrics.horizontalAdvance(record));
    const int centred = ui->lb3Page2Bar->x() - (ui->widget3page2->width() - ui->lb3Page2Bar->width()) / 2;
    const int limit = ui->lb4Page2Bar->x() - 20;
    const int expected = centred + ui->widget3page2->width() <= limit ? centred
                                                                      : limit - ui->widget3page2->width();
    QCOMPARE(ui->widget3page2->x(), expected);

    // Page changes place the captions again; they must not move from one call to the next.
    const int placed = ui->widget3page2->x();
    guide.changeToPage2();
    QCOMPARE(ui->widget3page2->x(), placed);
    guide.changeToPage3();
    QCOMPARE(ui->widget3page2->x(), placed);
}

void TestNavigationDialog::retranslatingKeepsThePlaces()
{
    NavigationDialog guide;
    guide.show();
    guide.autoAdjustSize();
    const QPoint before = guide.form()->widget4page2->pos();
    guide.form()->lb4page2->setText("Stream \"camera\" to a live service");
    guide.updateString();
    QCOMPARE(guide.form()->lb4page2->text(), QStringLiteral("Stream \"camera\""));
    QCOMPARE(guide.form()->widget4page2->pos(), before);
}

// The captions and markers are drawn in the guide's blue: the page art behind them must not be blue too.
void TestNavigationDialog::captionsAndMarkersStandOutFromTheArt()
{
    NavigationDialog guide;
    guide.show();
    guide.changeToPage2();
    Ui::NavigationDialog *ui = guide.form();
    const QImage art = QImage(QStringLiteral(":/guid/resources/guid/software_guidance_page_2.png"))
                           .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(art.size(), QSize(950, 674));
    const QColor blue(0x00, 0x9b, 0xef);
    for (QWidget *over : std::initializer_list<QWidget *>{ui->lb2Page2Bar, ui->widget2page2, ui->lb3Page2Bar, ui->widget3page2,
                          ui->lb4Page2Bar}) {
        const QRect area = over->geometry() & art.rect();
        int bluish = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor pixel = art.pixelColor(x, y);
                if (qAbs(pixel.red() - blue.red()) + qAbs(pixel.green() - blue.green())
                        + qAbs(pixel.blue() - blue.blue()) < 120)
                    ++bluish;
            }
        }
        QVERIFY2(bluish == 0, qPrintable(QStringLiteral("%1 lies on blue art").arg(over->objectName())));
    }
}

void TestNavigationDialog::captionsOnPlainGroundMarkersOnThePictures_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("page 1") << 1;
    QTest::newRow("page 2") << 2;
    QTest::newRow("page 3") << 3;
}

// A caption's text lies on the plain ground of the page's picture, never across the edge of something
// pictured; each marker's dot sits on what it means (a button, the toolbar, a layout), not on empty
// ground.
void TestNavigationDialog::captionsOnPlainGroundMarkersOnThePictures()
{
    QFETCH(int, page);
    NavigationDialog guide;
    guide.show();
    Ui::NavigationDialog *ui = guide.form();
    struct Marker
    {
        QLabel *label;
        QPoint dotEnd; // the far edge of the dot, in the marker's own coordinates
        QPoint outwards;
    };
    QList<QLabel *> captions;
    QList<Marker> markers;
    const QPoint down(0, 1), up(0, -1), right(1, 0), left(-1, 0);
    switch (page) {
    case 1:
        guide.changeToPage1();
        captions = {ui->lbpage1Top, ui->lbpage1down};
        markers = {{ui->lbPage1TopBar, {6, 71}, down}, {ui->lbPage1DownBar, {6, 31}, down}};
        break;
    case 2:
        guide.changeToPage2();
        captions = {ui->lbpage2, ui->lb2page2, ui->lb3page2, ui->lb4page2};
        markers = {{ui->lb2Page2Bar, {24, 6}, right}, {ui->lb3Page2Bar, {6, 0}, up}, {ui->lb4Page2Bar, {6, 0}, up}};
        break;
    default:
        guide.changeToPage3();
        captions = {ui->lb2page3, ui->lb3page3, ui->lb4page3};
        for (QLabel *marker : {ui->lb2Page3Bar, ui->lb3Page3Bar, ui->lb4Page3Bar})
            markers.append({marker, {0, 6}, left});
        break;
    }
    const QImage art = QImage(QStringLiteral(":/guid/resources/guid/software_guidance_page_%1.png").arg(page))
                           .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(art.size(), QSize(950, 674));
    const QRgb ground = art.pixel(20, 600);
    const auto differs = [](QRgb a, QRgb b) {
        return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) > 24;
    };

    for (QLabel *caption : captions) {
        const QSize text(caption->fontMetrics().horizontalAdvance(caption->text()), caption->fontMetrics().height());
        QRect area = QStyle::alignedRect(Qt::LeftToRight, caption->alignment(), text, caption->contentsRect());
        area.moveTopLeft(caption->mapTo(ui->stackedWidget->currentWidget(), area.topLeft()));
        area &= art.rect();
        QVERIFY(!area.isEmpty());
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                QVERIFY2(!differs(art.pixel(x, y), ground),
                         qPrintable(QStringLiteral("%1 runs over the picture at %2,%3").arg(caption->objectName()).arg(x).arg(y)));
        }
    }
    for (const Marker &marker : markers) {
        const QPoint beyond = marker.label->pos() + marker.dotEnd + marker.outwards * 5;
        int pictured = 0;
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx)
                pictured += differs(art.pixel(beyond + QPoint(dx, dy)), ground) ? 1 : 0;
        }
        QVERIFY2(pictured > 0, qPrintable(QStringLiteral("%1 points at empty ground").arg(marker.label->objectName())));
    }
}

void TestNavigationDialog::pageThreeMessageFitsInPlace_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("the English text") << QString();
    QTest::newRow("a translation three times as long")
        << "Gleichzeitig koennen Sie Tivlo mit anderen Materialien verwenden, zum Beispiel mit PowerPoint, "
           "Tabellen, Dokumenten, Bildern und Webseiten, die Sie Ihren Zuhoerern zeigen moechten...";
}

void TestNavigationDialog::pageThreeMessageFitsInPlace()
{
    QFETCH(QString, message);
    NavigationDialog guide;
    Ui::NavigationDialog *ui = guide.form();
    const QList<QWidget *> others{ui->lb2page3, ui->lb3page3, ui->lb4page3, ui->lb2Page3Bar, ui->btnOk, ui->widget};
    QList<QRect> placed;
    for (QWidget *widget : others)
        placed.append(widget->geometry());
    if (!message.isEmpty()) {
        ui->labelMessage->setText(message);
        // As a language change would: the form's texts are set again, then fitted.
        struct LongMessage : QTranslator
        {
            QString text;
            QString translate(const char *context, const char *source, const char *, int) const override
            {
                return QByteArray(context) == "NavigationDialog" && QByteArray(source).contains("PowerPoint") ? text
                                                                                                                : QString();
            }
            bool isEmpty() const override { return false; }
        } translator;
        translator.text = message;
        QCoreApplication::installTranslator(&translator);
        guide.updateString();
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(ui->labelMessage->text(), message);
    }
    guide.show();
    guide.changeToPage3();

    QCOMPARE(ui->widget_2->pos(), QPoint(83, 35));
    QCOMPARE(ui->widget_2->width(), 538);
    QVERIFY(ui->labelMessage->heightForWidth(538) <= ui->widget_2->height());
    QVERIFY(ui->labelMessage->height() >= ui->labelMessage->heightForWidth(538));
    QVERIFY(ui->widget_2->geometry().bottom() < ui->lb2page3->y());
    for (int i = 0; i < others.size(); ++i)
        QCOMPARE(others.at(i)->geometry(), placed.at(i));
}

QTEST_MAIN(TestNavigationDialog)
#include "tst_dialogs_navigation.moc"
