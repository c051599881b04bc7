#include "ui_cameramainwidget.h"

#include <QtTest>

class TestCamWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void widgets_data();
    void widgets();
    void texts();

private:
    QWidget m_window;
    Ui::CameraMainWidget m_form;
};

void TestCamWindowForm::initTestCase()
{
    m_form.setupUi(&m_window);
}

void TestCamWindowForm::widgets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QSize>("fixedSize"); // empty: not fixed
    QTest::addColumn<QString>("image");   // a resource the style sheet names, or empty

    QTest::newRow("frameCamera") << "frameCamera" << "QFrame" << "CameraMainWidget" << QSize() << "";
    QTest::newRow("topBar") << "topBar" << "CustomMoveFrame" << "frameCamera" << QSize() << "bg_p_win32_m.png";
    QTest::newRow("frameSource") << "frameSource" << "QFrame" << "topBar" << QSize(149, 30) << "";
    QTest::newRow("btnCameraSettting") << "btnCameraSettting" << "QToolButton" << "frameSource" << QSize(32, 30)
                                       << "btn_set_p_w_disabled.png";
    QTest::newRow("comboBoxSource") << "comboBoxSource" << "CustComboBox" << "frameSource" << QSize()
                                    << "icon_p_w_war.png";
    QTest::newRow("btnRecordMsg") << "btnRecordMsg" << "CustomMoveButton" << "topBar" << QSize(26, 26)
                                  << "btn_rec_p_w_normal.png";
    QTest::newRow("btnWarring") << "btnWarring" << "QToolButton" << "topBar" << QSize(26, 26)
                                << "btn_error_p_w_selected.png";
    QTest::newRow("btnMainClose") << "btnMainClose" << "QToolButton" << "topBar" << QSize(22, 22) << "btn_x_p_hover.png";
    // The bar lies on the picture, as the top child of the area below the title bar.
    QTest::newRow("bottomBar") << "bottomBar" << "CustDetectionFrame" << "widgetDown" << QSize() << "bg_p_menu46.png";
    QTest::newRow("btnCapture") << "btnCapture" << "QToolButton" << "bottomBar" << QSize(91, 46) << "btn_cam_p_disabled.png";
    QTest::newRow("btnSwitch") << "btnSwitch" << "QToolButton" << "bottomBar" << QSize(25, 46) << "btn_cam_ar_p_normal.png";
    QTest::newRow("btnRecord") << "btnRecord" << "QToolButton" << "bottomBar" << QSize(118, 46) << "btn_rec_p_pressed.png";
    QTest::newRow("btnStopLive") << "btnStopLive" << "QToolButton" << "bottomBar" << QSize(116, 46) << "btn_unlive_p_normal.png";
    QTest::newRow("widgetDown") << "widgetDown" << "CustDetectionLabel" << "frameCamera" << QSize() << "";
    QTest::newRow("btnAudio") << "btnAudio" << "QToolButton" << "verticalWidgetLeft" << QSize(40, 40) << "btn_mic_p_normal.png";
    QTest::newRow("voiceCanvas") << "voiceCanvas" << "CustRenderArea" << "verticalWidgetLeft" << QSize() << "";
    QTest::newRow("zoomSlider") << "zoomSlider" << "QSlider" << "verticalWidgetRight" << QSize() << "icon_p_blue.png";
    QTest::newRow("btnZoom") << "btnZoom" << "QToolButton" << "verticalWidgetRight" << QSize(40, 40) << "btn_zoom_p_normal.png";
    QTest::newRow("lebalCountdown") << "lebalCountdown" << "QLabel" << "widgetDown" << QSize() << "bg_black.png";
    QTest::newRow("rightDownResizer") << "rightDownResizer" << "DetectionWidget" << "frameCamera" << QSize() << "";
    QTest::newRow("cbAudio") << "cbAudio" << "CustComboBox" << "frameCamera" << QSize() << "";
    QTest::newRow("btnPtzLeft") << "btnPtzLeft" << "QToolButton" << "ptzWidget" << QSize() << "btn_left_p_disabled.png";
    QTest::newRow("maskWidget") << "maskWidget" << "QWidget" << "CameraMainWidget" << QSize() << "";
}

void TestCamWindowForm::widgets()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QSize, fixedSize);
    QFETCH(QString, image);

    QWidget *widget = m_window.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    if (fixedSize.isValid()) {
        QCOMPARE(widget->minimumSize(), fixedSize);
        QCOMPARE(widget->maximumSize(), fixedSize);
    }
    if (!image.isEmpty()) {
        const QString sheet = widget->styleSheet();
        const int at = sheet.indexOf(image);
        QVERIFY2(at >= 0, qPrintable(sheet));
        // Every image the form names is one of ours.
        const int start = sheet.lastIndexOf(QLatin1String("url("), at) + 4;
        QVERIFY2(QFile::exists(sheet.mid(start, at + image.size() - start)), qPrintable(sheet.mid(start, at + image.size() - start)));
    }
}

void TestCamWindowForm::texts()
{
    QCOMPARE(m_form.comboBoxSource->count(), 1);
    QCOMPARE(m_form.comboBoxSource->itemText(0), QStringLiteral("Camera"));
    m_form.retranslateUi(&m_window);
    QCOMPARE(m_form.comboBoxSource->itemText(0), QStringLiteral("Camera"));
    QCOMPARE(m_window.windowTitle(), QStringLiteral("Lumidesk - Camera"));
    QCOMPARE(m_form.btnCameraSettting->toolTip(), QStringLiteral("Camera settings"));
    QCOMPARE(m_form.lbSpeed->text(), QStringLiteral("0 kb/s"));
}

QTEST_MAIN(TestCamWindowForm)
#include "tst_camwindow_form.moc"
