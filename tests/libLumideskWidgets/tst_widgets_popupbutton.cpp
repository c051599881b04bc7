// The capture-mode pop-up button and the language row.
#include "languageitemframe.h"
#include "popupbutton.h"

#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {
QToolButton *buttonOf(PopupButton &popup)
{
    return popup.findChild<QToolButton *>();
}
}

class TestWidgetsPopupButton : public QObject
{
    Q_OBJECT

private slots:
    void startsInHighQualityLook();
    void switchIconChangesTheLook_data();
    void switchIconChangesTheLook();
    void clickReportsTheStoredModeAndCloses();
    void languageRowShowsItsName();
};

void TestWidgetsPopupButton::startsInHighQualityLook()
{
    PopupButton popup;
    QVERIFY(popup.windowFlags() & Qt::Popup);
    QCOMPARE(popup.mode(), 2);
    QToolButton *button = buttonOf(popup);
    QVERIFY(button);
    QCOMPARE(button->minimumSize(), QSize(116, 46));
    QVERIFY(button->styleSheet().contains("btn_cam_hd_2_p_normal.png"));
}

void TestWidgetsPopupButton::switchIconChangesTheLook_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("image");
    QTest::newRow("normal") << 0 << "btn_cam_2_p";
    QTest::newRow("keystone") << 1 << "btn_cam_keystone_2_p";
    QTest::newRow("high quality") << 2 << "btn_cam_hd_2_p";
    // An unknown mode is kept but leaves the previous (keystone) look.
    QTest::newRow("unknown") << 5 << "btn_cam_keystone_2_p";
}

void TestWidgetsPopupButton::switchIconChangesTheLook()
{
    QFETCH(int, mode);
    QFETCH(QString, image);
    PopupButton popup;
    popup.switchIcon(1);
    popup.switchIcon(mode);
    QCOMPARE(popup.mode(), mode);
    const QString sheet = buttonOf(popup)->styleSheet();
    for (const char *state : {"_normal.png", "_hover.png", "_pressed.png"})
        QVERIFY2(sheet.contains("/pip/resources/pip/" + image + state), qPrintable(sheet));
    QCOMPARE(sheet.count("url("), 3);
}

void TestWidgetsPopupButton::clickReportsTheStoredModeAndCloses()
{
    PopupButton popup;
    popup.switchIcon(5);
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));
    QSignalSpy switched(&popup, &PopupButton::switchBtnMode);
    QTest::mouseClick(buttonOf(popup), Qt::LeftButton);
    QCOMPARE(switched.count(), 1);
    QCOMPARE(switched.at(0).at(0).toInt(), 5);
    QVERIFY(!popup.isVisible());
}

void TestWidgetsPopupButton::languageRowShowsItsName()
{
    LanguageItemFrame row(QString::fromUtf8("日本語"));
    QVERIFY(!row.parent());
    QCOMPARE(row.minimumSize(), QSize(400, 55));
    QCOMPARE(row.maximumSize(), QSize(400, 55));
    auto *label = row.findChild<QLabel *>("label");
    QCOMPARE(label->text(), QString::fromUtf8("日本語"));
    QRadioButton *radio = row.getRadioButton();
    QVERIFY(radio);
    QCOMPARE(radio->objectName(), QString("radioButton"));
    QCOMPARE(radio->parent(), &row);
}

QTEST_MAIN(TestWidgetsPopupButton)
#include "tst_widgets_popupbutton.moc"
