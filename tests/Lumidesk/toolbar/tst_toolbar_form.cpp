#include "custommovebutton.h"
#include "dialogs/navigationdialog.h"
#include "toolbar/pipwidget.h"
#include "toolbar/startupupdatecheck.h"

#include "ui_lumidesk.h"
#include "ui_pipwidget.h"

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Every image a widget's style sheet or icon names, over the widget and its children.
QStringList referencedImages(QWidget *root)
{
    QStringList images;
    const QRegularExpression url(QStringLiteral("url\\((:[^)]+)\\)"));
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *widget : widgets) {
        auto matches = url.globalMatch(widget->styleSheet());
        while (matches.hasNext())
            images.append(matches.next().captured(1));
    }
    return images;
}

} // namespace

// The main toolbar's form and the camera layout chooser: widgets, places, texts, images; how the
// chooser narrows itself to a layout and reports a choice.
class TestToolbarForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void toolbarWidgets_data();
    void toolbarWidgets();
    void toolbarTexts_data();
    void toolbarTexts();
    void everyImageIsDrawn();
    void chooserArrangement_data();
    void chooserArrangement();
    void chooserFormWaitsForItsFirstShow_data();
    void chooserFormWaitsForItsFirstShow();
    void choosingReportsOnce_data();
    void choosingReportsOnce();
    void closingBeforeAnyChoice();
    void decreaseCameraCount_data();
    void decreaseCameraCount();
    void chooserDragsWithTheLeftButton();
    void helpShowsTheGuide();
    void updateCheckNeedsARealServer_data();
    void updateCheckNeedsARealServer();

private:
    QMainWindow m_window;
    Ui::Lumidesk m_form;
};

void TestToolbarForm::initTestCase()
{
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
    m_form.setupUi(&m_window);
}

void TestToolbarForm::toolbarWidgets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("hasIcon");

    const QString h = QStringLiteral("horizontalWidget");
    const QString g = QStringLiteral("functionGroup");
    const QString v = QStringLiteral("verticleWidget");
    const QString gv = QStringLiteral("functionGroupVer");
    QTest::newRow("narrowBtn") << "narrowBtn" << h << QRect(0, 20, 35, 35) << false;
    QTest::newRow("moveBtn") << "moveBtn" << h << QRect(35, 14, 26, 44) << true;
    QTest::newRow("functionGroup") << "functionGroup" << h << QRect(56, 0, 381, 55) << false;
    QTest::newRow("selectLayoutBtn") << "selectLayoutBtn" << g << QRect(0, 8, 44, 44) << true;
    QTest::newRow("captureBtn") << "captureBtn" << g << QRect(56, 8, 44, 44) << true;
    QTest::newRow("recordBtn") << "recordBtn" << g << QRect(112, 8, 44, 44) << true;
    QTest::newRow("streamingBtn") << "streamingBtn" << g << QRect(168, 8, 44, 44) << true;
    QTest::newRow("previewBtn") << "previewBtn" << g << QRect(224, 8, 44, 44) << true;
    QTest::newRow("settingsBtn") << "settingsBtn" << g << QRect(280, 8, 44, 44) << true;
    QTest::newRow("drawletBtn") << "drawletBtn" << g << QRect(336, 8, 44, 44) << true;
    QTest::newRow("closeBtn") << "closeBtn" << h << QRect(453, 20, 35, 35) << true;
    QTest::newRow("narrowBtnVer") << "narrowBtnVer" << v << QRect(0, 0, 35, 35) << false;
    // The vertical handle overhangs its bar's left edge by a pixel.
    QTest::newRow("moveBtnVer") << "moveBtnVer" << v << QRect(-1, 35, 44, 26) << false;
    QTest::newRow("functionGroupVer") << "functionGroupVer" << v << QRect(0, 56, 55, 391) << false;
    QTest::newRow("selectLayoutBtnVer") << "selectLayoutBtnVer" << gv << QRect(3, 0, 44, 44) << false;
    QTest::newRow("captureBtnVer") << "captureBtnVer" << gv << QRect(3, 56, 44, 44) << false;
    QTest::newRow("recordBtnVer") << "recordBtnVer" << gv << QRect(3, 112, 44, 44) << false;
    QTest::newRow("streamingBtnVer") << "streamingBtnVer" << gv << QRect(3, 168, 44, 44) << false;
    QTest::newRow("previewBtnVer") << "previewBtnVer" << gv << QRect(3, 224, 44, 44) << false;
    QTest::newRow("settingsBtnVer") << "settingsBtnVer" << gv << QRect(3, 280, 44, 44) << false;
    QTest::newRow("drawletBtnVer") << "drawletBtnVer" << gv << QRect(3, 336, 44, 44) << false;
    QTest::newRow("closeBtnVer") << "closeBtnVer" << v << QRect(0, 452, 35, 35) << false;
}

void TestToolbarForm::toolbarWidgets()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(bool, hasIcon);

    QWidget *widget = m_window.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), geometry);
    if (auto *button = qobject_cast<QToolButton *>(widget)) {
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QVERIFY(button->autoRaise());
        QCOMPARE(!button->icon().isNull(), hasIcon);
        if (geometry.size() == QSize(44, 44)) {
            QCOMPARE(button->minimumSize(), QSize(44, 44));
            QCOMPARE(button->maximumSize(), QSize(44, 44));
            QCOMPARE(button->iconSize(), QSize(44, 44));
        }
    }
}

void TestToolbarForm::toolbarTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("text");

    QTest::newRow("narrowBtn") << "narrowBtn" << "narrow" << "";
    QTest::newRow("moveBtn") << "moveBtn" << "move" << "move";
    QTest::newRow("recordBtn") << "recordBtn" << "record desktop" << "record";
    QTest::newRow("captureBtn") << "captureBtn" << "capture desktop" << "capture";
    QTest::newRow("streamingBtn") << "streamingBtn" << "streaming desktop" << "streaming";
    QTest::newRow("previewBtn") << "previewBtn" << "open file" << "preview";
    QTest::newRow("settingsBtn") << "settingsBtn" << "other settings" << "other settings";
    QTest::newRow("drawletBtn") << "drawletBtn" << "drawlet" << "drawlet";
    QTest::newRow("selectLayoutBtn") << "selectLayoutBtn" << "select layout" << "select layout";
    QTest::newRow("closeBtn") << "closeBtn" << "close" << "close";
    QTest::newRow("moveBtnVer") << "moveBtnVer" << "move" << "";
    QTest::newRow("recordBtnVer") << "recordBtnVer" << "record desktop" << "";
    QTest::newRow("drawletBtnVer") << "drawletBtnVer" << "drawlet" << "";
    QTest::newRow("closeBtnVer") << "closeBtnVer" << "close" << "";
}

void TestToolbarForm::toolbarTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, toolTip);
    QFETCH(QString, text);
    const auto *button = m_window.findChild<QToolButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->toolTip(), toolTip);
    QCOMPARE(button->text(), text);
}

void TestToolbarForm::everyImageIsDrawn()
{
    QCOMPARE(m_window.windowTitle(), QStringLiteral("Lumidesk"));
    QCOMPARE(m_form.horizontalWidget->minimumSize(), QSize(488, 55));
    QCOMPARE(m_form.verticleWidget->maximumSize(), QSize(55, 488));
    QVERIFY(qobject_cast<CustomMoveButton *>(m_form.moveBtn));

    PipWidget chooser(nullptr, 0);
    chooser.form();
    QStringList images = referencedImages(&m_window) + referencedImages(&chooser);
    // The toolbar's other looks, set as it docks and narrows.
    for (const char *stem : {"bg_t_b_topbar", "bg_t_b_downbar", "bg_t_b_leftbar", "bg_t_b_rightbar", "bg_t_s_topbar",
                             "bg_t_s_topbar_down", "bg_t_s_topbar_left", "bg_t_s_topbar_right"})
        images.append(QStringLiteral(":/mainToolbar/resources/mainToolbar/%1.png").arg(QLatin1String(stem)));
    for (const char *stem : {"btn_narrow2_t", "btn_narrow3_t", "btn_narrow4_t"}) {
        for (const char *state : {"normal", "hover", "pressed"})
            images.append(QStringLiteral(":/mainToolbar/resources/mainToolbar/%1_%2.png")
                                  .arg(QLatin1String(stem), QLatin1String(state)));
    }
    QVERIFY(images.size() > 80);
    images.removeDuplicates();
    for (const QString &path : qAsConst(images)) {
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QVERIFY2(image.hasAlphaChannel(), qPrintable(path));
    }
    // Each image fits the widget that wears it.
    QCOMPARE(QImage(":/mainToolbar/resources/mainToolbar/btn_rec_t_normal.png").size(), QSize(44, 44));
    QCOMPARE(QImage(":/mainToolbar/resources/mainToolbar/btn_close_t_hover.png").size(), QSize(35, 35));
    QCOMPARE(QImage(":/mainToolbar/resources/mainToolbar/btn_move_t_pressed.png").size(), QSize(26, 44));
    QCOMPARE(QImage(":/mainToolbar/resources/mainToolbar/btn_move2_t_normal.png").size(), QSize(44, 26));
    QCOMPARE(QImage(":/mainToolbar/resources/mainToolbar/bg_t_b_leftbar.png").size(), QSize(55, 488));
    QCOMPARE(QImage(":/mainToolbar/resources/mainToolbar/bg_t_s_topbar_down.png").size(), QSize(70, 55));
    QCOMPARE(QImage(":/mainToolbar/resources/mainToolbar/btn_layout3_t_normal.png").size(), QSize(160, 120));
}

void TestToolbarForm::chooserArrangement_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("panelX"); // -1: hidden

    QTest::newRow("desktop only") << 0 << 800 << QList<int>{32, 224, 416, 608};
    QTest::newRow("one camera") << 1 << 608 << QList<int>{-1, 32, 224, 416};
    QTest::newRow("two cameras") << 2 << 416 << QList<int>{-1, -1, 32, 224};
    QTest::newRow("picture in picture") << 3 << 416 << QList<int>{-1, -1, 32, 224};
}

void TestToolbarForm::chooserArrangement()
{
    QFETCH(int, mode);
    QFETCH(int, width);
    QFETCH(QList<int>, panelX);

    PipWidget chooser(nullptr, mode);
    Ui::PipWidget *form = chooser.form();
    QCOMPARE(chooser.size(), QSize(width, 229));
    QCOMPARE(chooser.minimumSize(), QSize(406, 229));
    QCOMPARE(form->pipFrame->geometry(), QRect(0, 28, width, 201));
    QCOMPARE(form->frameTitle->geometry(), QRect(10, 0, width - 20, 28));
    QCOMPARE(form->frameRight->pos(), QPoint(width - 10, 0));
    QCOMPARE(form->closeBtn->pos(), QPoint(width - 30, 0));
    const QWidget *panels[] = {form->noCameraWidget, form->oneCameraWidget, form->twoCameraWidget,
                               form->pipCameraWidget};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(!panels[i]->isHidden(), panelX.at(i) >= 0);
        if (panelX.at(i) >= 0)
            QCOMPARE(panels[i]->geometry(), QRect(panelX.at(i), 60, 160, 151));
    }
    QCOMPARE(chooser.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    QCOMPARE(chooser.windowFlags() & (Qt::Dialog | Qt::FramelessWindowHint), Qt::Dialog | Qt::FramelessWindowHint);
    QVERIFY(chooser.isModal());
    QCOMPARE(form->selectLb->text(), QStringLiteral("Select Layout Modes"));
    QCOMPARE(form->label_3->text(), QStringLiteral("Desktop & 2 cameras"));
}

void TestToolbarForm::chooserFormWaitsForItsFirstShow_data()
{
    QTest::addColumn<int>("made");
    QTest::addColumn<int>("setBeforeShow");

    // The toolbar makes its chooser with the desktop only, then tells it each layout it applies.
    QTest::newRow("desktop only") << 0 << 0;
    QTest::newRow("made for the desktop, one camera since") << 0 << 1;
    QTest::newRow("made for the desktop, two cameras since") << 0 << 2;
    QTest::newRow("made for the desktop, picture in picture since") << 0 << 3;
    QTest::newRow("made for one camera, desktop only since") << 1 << 0;
    QTest::newRow("made for two cameras, one camera since") << 2 << 1;
}

// Built on its first show, the chooser looks and offers exactly what it did when its form came with it.
void TestToolbarForm::chooserFormWaitsForItsFirstShow()
{
    QFETCH(int, made);
    QFETCH(int, setBeforeShow);

    PipWidget eager(nullptr, made);
    eager.form();
    eager.setCameraMode(setBeforeShow);
    eager.updateString();
    eager.show();

    PipWidget chooser(nullptr, made);
    QVERIFY(!chooser.hasForm());
    // What the toolbar does to it before its first show.
    chooser.setCameraMode(setBeforeShow);
    chooser.updateString();
    QVERIFY(!chooser.hasForm());
    QVERIFY(!chooser.findChild<QToolButton *>());
    QCOMPARE(chooser.geometry(), eager.geometry());

    chooser.show();
    QVERIFY(chooser.hasForm());
    QCOMPARE(chooser.getCameraCount(), setBeforeShow);
    QCOMPARE(chooser.geometry(), eager.geometry());
    QCOMPARE(chooser.minimumSize(), eager.minimumSize());
    QCOMPARE(chooser.windowFlags(), eager.windowFlags());
    QCOMPARE(chooser.isModal(), eager.isModal());
    QCOMPARE(chooser.testAttribute(Qt::WA_TranslucentBackground), eager.testAttribute(Qt::WA_TranslucentBackground));
    const QList<QWidget *> widgets = eager.findChildren<QWidget *>();
    QVERIFY(widgets.size() > 15);
    for (const QWidget *expected : widgets) {
        const auto *widget = chooser.findChild<QWidget *>(expected->objectName());
        QVERIFY2(widget, qPrintable(expected->objectName()));
        QCOMPARE(widget->geometry(), expected->geometry());
        QCOMPARE(widget->isVisible(), expected->isVisible());
        QCOMPARE(widget->isEnabled(), expected->isEnabled());
    }
    QCOMPARE(chooser.grab().toImage(), eager.grab().toImage());

    // The form's buttons are wired as before.
    QSignalSpy chosen(&chooser, &PipWidget::doShowCameraMode);
    chooser.form()->pipCameraBtn->click();
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first().at(0).toInt(), int(PipWidget::PipCamera));
}

void TestToolbarForm::choosingReportsOnce_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("desktop only") << 0;
    QTest::newRow("one camera") << 1;
    QTest::newRow("two cameras") << 2;
    QTest::newRow("picture in picture") << 3;
}

void TestToolbarForm::choosingReportsOnce()
{
    QFETCH(int, mode);
    PipWidget chooser(nullptr, 0);
    QSignalSpy chosen(&chooser, &PipWidget::doShowCameraMode);
    QSignalSpy analytics(&chooser, &PipWidget::sendCommand);
    chooser.show();
    QToolButton *buttons[] = {chooser.form()->noCameraBtn, chooser.form()->singleCameraBtn,
                              chooser.form()->dualCameraBtn, chooser.form()->pipCameraBtn};
    buttons[mode]->click();

    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first().at(0).toInt(), mode);
    QCOMPARE(analytics.size(), 1);
    QCOMPARE(analytics.first().at(0).toInt(), 0x1100000B);
    QCOMPARE(analytics.first().at(1).toInt(), 0x12000001 + mode);
    QVERIFY(!chooser.isVisible());

    // Once a layout was chosen, closing the chooser reports nothing.
    chooser.show();
    chooser.form()->closeBtn->click();
    QCOMPARE(analytics.size(), 1);
    QCOMPARE(chosen.size(), 1);
}

void TestToolbarForm::closingBeforeAnyChoice()
{
    for (bool byEscape : {false, true}) {
        PipWidget chooser(nullptr, 0);
        QSignalSpy chosen(&chooser, &PipWidget::doShowCameraMode);
        QSignalSpy analytics(&chooser, &PipWidget::sendCommand);
        QSignalSpy closed(&chooser, &PipWidget::closePipPanel);
        chooser.show();
        if (byEscape)
            QTest::keyClick(&chooser, Qt::Key_Escape);
        else
            chooser.form()->closeBtn->click();
        QVERIFY(!chooser.isVisible());
        QCOMPARE(chosen.size(), 0);
        QCOMPARE(closed.size(), 1);
        QCOMPARE(analytics.size(), 1);
        QCOMPARE(analytics.first().at(1).toInt(), 0x12000001);
    }
}

void TestToolbarForm::decreaseCameraCount_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("desktop only stays") << 0 << 0;
    QTest::newRow("one camera") << 1 << 0;
    QTest::newRow("two cameras") << 2 << 1;
    QTest::newRow("picture in picture") << 3 << 1;
}

void TestToolbarForm::decreaseCameraCount()
{
    QFETCH(int, before);
    QFETCH(int, after);
    PipWidget chooser(nullptr, 0);
    chooser.setCameraMode(before);
    chooser.decreaseCameraCount();
    QCOMPARE(chooser.getCameraCount(), after);
}

void TestToolbarForm::chooserDragsWithTheLeftButton()
{
    PipWidget chooser(nullptr, 0);
    chooser.show();
    const QPoint start = chooser.pos();
    QTest::mousePress(&chooser, Qt::RightButton, {}, QPoint(300, 100));
    QTest::mouseMove(&chooser, QPoint(350, 140));
    QTest::mouseRelease(&chooser, Qt::RightButton, {}, QPoint(350, 140));
    QCOMPARE(chooser.pos(), start);

    QTest::mousePress(&chooser, Qt::LeftButton, {}, QPoint(300, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(350, 140), QPointF(350, 140), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&chooser, &move);
    QCOMPARE(chooser.pos(), start + QPoint(50, 40));
    QTest::mouseRelease(&chooser, Qt::LeftButton, {}, QPoint(350, 140));
}

void TestToolbarForm::helpShowsTheGuide()
{
    PipWidget chooser(nullptr, 0);
    chooser.guide()->form()->stackedWidget->setCurrentIndex(2);
    chooser.form()->questionBtn->click();
    QVERIFY(chooser.guide()->isVisible());
    QCOMPARE(chooser.guide()->form()->stackedWidget->currentIndex(), 0);
    // No settings file: the guide is on by default, and its box says so.
    QVERIFY(chooser.guide()->form()->checkBox->isChecked());
}

void TestToolbarForm::updateCheckNeedsARealServer_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<bool>("checked");
    QTest::newRow("none") << "" << false;
    QTest::newRow("reserved: example") << "https://update.qorv.example/" << false;
    QTest::newRow("reserved: invalid") << "https://updates.invalid/" << false;
    QTest::newRow("bare reserved name") << "http://example/" << false;
    QTest::newRow("a server") << "https://updates.qorv.com/" << true;
    QTest::newRow("a name that only ends alike") << "https://myexample/" << true;
    QTest::newRow("a local server") << "http://127.0.0.1:8080/" << true;
}

void TestToolbarForm::updateCheckNeedsARealServer()
{
    QFETCH(QString, base);
    QFETCH(bool, checked);
    QCOMPARE(StartupUpdateCheck::isConfigured(QUrl(base)), checked);
}

QTEST_MAIN(TestToolbarForm)
#include "tst_toolbar_form.moc"
