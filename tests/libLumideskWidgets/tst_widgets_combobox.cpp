// The styled combo box: its style sheet flags, title rows and where its pop-up list opens.
#include "custcombobox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFrame>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

namespace {
QFrame *popupOf(CustComboBox &box)
{
    return box.findChild<QFrame *>(QString(), Qt::FindDirectChildrenOnly);
}

// Opens the list with the given direction and returns the pop-up's geometry, then closes it again.
QRect openedPopup(CustComboBox &box, int direction)
{
    box.setPopDirection(CustComboBox::PopDirection(direction));
    box.showPopup();
    const QRect geometry = popupOf(box)->geometry();
    box.hidePopup();
    return geometry;
}
}

class TestWidgetsComboBox : public QObject
{
    Q_OBJECT

private slots:
    void constructionSettings();
    void styleSheetFollowsTheFlags_data();
    void styleSheetFollowsTheFlags();
    void titleRowsAreInsertedWhereAsked_data();
    void titleRowsAreInsertedWhereAsked();
    void titleRowCannotBeChosenButCountsAsARow();
    void popupOpensInItsDirection_data();
    void popupOpensInItsDirection();
    void narrowPopupIsWidened_data();
    void narrowPopupIsWidened();
};

void TestWidgetsComboBox::constructionSettings()
{
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, true);
    CustComboBox box;
    QVERIFY(!QApplication::isEffectEnabled(Qt::UI_AnimateCombo));
    QCOMPARE(box.maxVisibleItems(), 50);
}

void TestWidgetsComboBox::styleSheetFollowsTheFlags_data()
{
    QTest::addColumn<bool>("text");
    QTest::addColumn<bool>("background");
    QTest::addColumn<QString>("expected");
    const QString sheet = "QComboBox{border:none;}";
    const QString noText = "color:rgba(0, 0, 0, 0%);selection-color:rgba(0, 0, 0, 0%);";
    const QString noBackground = "selection-background-color: rgba(255 , 0 , 0 , 0%);"
                                 "background-color:rgba(255 , 0 , 0 , 0%);";
    QTest::newRow("both shown") << true << true << sheet;
    QTest::newRow("text hidden") << false << true << sheet + " QComboBox {" + noText + "}";
    QTest::newRow("background hidden") << true << false << sheet + " QComboBox {" + noBackground + "}";
    QTest::newRow("both hidden") << false << false << sheet + " QComboBox {" + noText + noBackground + "}";
}

void TestWidgetsComboBox::styleSheetFollowsTheFlags()
{
    QFETCH(bool, text);
    QFETCH(bool, background);
    QFETCH(QString, expected);
    CustComboBox box;
    box.showText(text);
    box.showTextBackground(background);
    box.setStyleSheet("QComboBox{border:none;}");
    QCOMPARE(box.styleSheet(), expected);
}

void TestWidgetsComboBox::titleRowsAreInsertedWhereAsked_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("row");
    QTest::newRow("append") << -1 << 3;
    QTest::newRow("first") << 0 << 0;
    QTest::newRow("middle") << 2 << 2;
    QTest::newRow("at the end") << 3 << 3;
    // Out-of-range indexes must neither be lost nor corrupt the list.
    QTest::newRow("past the end") << 9 << 3;
    QTest::newRow("before the start") << -5 << 0;
}

void TestWidgetsComboBox::titleRowsAreInsertedWhereAsked()
{
    QFETCH(int, index);
    QFETCH(int, row);
    CustComboBox box;
    box.addItems({"1920x1080", "1280x720", "640x480"});
    box.insertTitleSeparator("16:9", index);
    QCOMPARE(box.count(), 4);
    QCOMPARE(box.itemText(row), QString("16:9"));
    QCOMPARE(box.itemData(row, Qt::AccessibleDescriptionRole).toString(), QString("titleSeparator"));
}

void TestWidgetsComboBox::titleRowCannotBeChosenButCountsAsARow()
{
    CustComboBox box;
    box.insertTitleSeparator("4:3", -1);
    box.addItem("640x480");
    auto *model = qobject_cast<QStandardItemModel *>(box.model());
    QVERIFY(model);
    const QStandardItem *title = model->item(0);
    QVERIFY(!(title->flags() & Qt::ItemIsSelectable));
    QVERIFY(!(title->flags() & Qt::ItemIsEnabled));
    QVERIFY(title->font().bold());
    QCOMPARE(title->sizeHint().height(), 30);
    QVERIFY(model->item(1)->flags() & Qt::ItemIsEnabled);

    box.setCurrentIndex(0);
    QCOMPARE(box.currentText(), QString("4:3"));
}

void TestWidgetsComboBox::popupOpensInItsDirection_data()
{
    QTest::addColumn<int>("direction");
    QTest::newRow("above") << 0;
    QTest::newRow("left") << 1;
    QTest::newRow("right") << 2;
    QTest::newRow("unknown keeps the standard place") << 7;
}

void TestWidgetsComboBox::popupOpensInItsDirection()
{
    QFETCH(int, direction);
    QWidget window;
    window.setGeometry(300, 250, 300, 100);
    auto *box = new CustComboBox(&window);
    box->setGeometry(100, 20, 120, 24);
    box->addItems({"one", "two", "three"});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QSignalSpy shown(box, &CustComboBox::isShowPopup);
    QSignalSpy hidden(box, &CustComboBox::isHidePopup);
    const QRect standard = openedPopup(*box, CustComboBox::PopDefault);
    const QRect placed = openedPopup(*box, direction);
    QCOMPARE(shown.count(), 2);
    QCOMPARE(hidden.count(), 2);
    QCOMPARE(placed.size(), standard.size());

    const int w = box->width();
    const int h = box->height();
    QPoint expected = standard.topLeft();
    if (direction == 0)
        expected = standard.topLeft() - QPoint(0, h + standard.height());
    else if (direction == 1)
        expected = standard.topLeft() - QPoint(w + standard.width(), h);
    else if (direction == 2)
        expected = standard.topLeft() + QPoint(w, -h);
    QCOMPARE(placed.topLeft(), expected);
}

void TestWidgetsComboBox::narrowPopupIsWidened_data()
{
    QTest::addColumn<int>("boxWidth");
    QTest::newRow("16 wide") << 16;
    QTest::newRow("99 wide") << 99;
    QTest::newRow("150 wide") << 150;
}

void TestWidgetsComboBox::narrowPopupIsWidened()
{
    QFETCH(int, boxWidth);
    QWidget window;
    window.setGeometry(300, 250, 300, 100);
    auto *box = new CustComboBox(&window);
    box->setGeometry(10, 10, boxWidth, 24);
    box->addItems({"a", "b"});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    box->showPopup();
    // At least 100 wide, and never narrower than the box itself.
    QVERIFY(popupOf(*box)->width() >= qMax(100, boxWidth));
    box->hidePopup();
}

QTEST_MAIN(TestWidgetsComboBox)
#include "tst_widgets_combobox.moc"
