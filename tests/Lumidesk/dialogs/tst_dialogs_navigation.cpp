#include "core/settingspath.h"
#include "dialogs/navigationdialog.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
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

QTEST_MAIN(TestNavigationDialog)
#include "tst_dialogs_navigation.moc"
