// The panel's form, its texts and images, and the language switch the main program drives.

#include "deskpadwidget.h"
#include "panelfixture.h"
#include "warningdialog.h"

#include "desktop/installlayout.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>

namespace {

// Gives the panel's title a text of our choosing, the way a catalogue would.
class TitleTranslator : public QTranslator
{
public:
    explicit TitleTranslator(const QString &title)
        : m_title(title)
    {
    }
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, "DeskpadWidget") == 0 && qstrcmp(source, "Deskpad") == 0)
            return m_title;
        return QString();
    }

private:
    QString m_title;
};

// A text exactly `width` pixels wide in the given font, or an empty one when none was found.
QString textOfWidth(const QFontMetrics &metrics, int width)
{
    const QString wide = QStringLiteral("MWDOHNQUwmae");
    const QString narrow = QStringLiteral("il.:j1t|");
    for (const QChar w : wide) {
        for (const QChar n : narrow) {
            for (int wides = 0; wides <= 30; ++wides) {
                for (int narrows = 0; narrows <= 30; ++narrows) {
                    const QString text = QString(wides, w) + QString(narrows, n);
                    if (metrics.horizontalAdvance(text) == width)
                        return text;
                }
            }
        }
    }
    return QString();
}

} // namespace

class TestDeskpadForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void geometry_data();
    void geometry();
    void hiddenAtStart();
    void texts();
    void titleFitsItsPlace_data();
    void titleFitsItsPlace();
    void imagesExist();
    void languageSwitch();
    void missingCatalogueChangesNothing();
    void codesLeavingTheFolderAreRefused();
    void builtCatalogueRestoresEnglish();

private:
    QString text(const char *name) const { return m_fixture->child<QLabel>(name)->text(); }
    QString toolTip(const char *name) const { return m_fixture->child<QWidget>(name)->toolTip(); }

    std::unique_ptr<PanelFixture> m_fixture;
};

void TestDeskpadForm::init()
{
    m_fixture.reset(new PanelFixture);
    QVERIFY(m_fixture->start());
}

void TestDeskpadForm::cleanup()
{
    m_fixture.reset();
}

void TestDeskpadForm::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("rect");

    struct Row {
        const char *name;
        const char *parent;
        QRect rect;
    };
    const Row rows[] = {
        {"widgetMain", "DeskpadWidget", {0, 0, 220, 137}},
        {"frameLeft", "widgetMain", {0, 0, 7, 28}},
        {"frameTitle", "widgetMain", {7, 0, 203, 28}},
        {"frameRight", "widgetMain", {210, 0, 10, 28}},
        {"widgetTitle", "widgetMain", {0, 0, 220, 28}},
        {"labelTitle", "widgetTitle", {7, 0, 111, 28}},
        {"btnWarning", "widgetTitle", {115, 0, 26, 26}},
        {"labelLine", "widgetTitle", {168, 0, 1, 28}},
        {"btnMini", "widgetTitle", {171, 0, 22, 22}},
        {"btnClose", "widgetTitle", {193, 0, 22, 22}},
        {"btnNonMini", "widgetTitle", {171, 0, 22, 22}},
        {"btnLiveWarning", "widgetTitle", {141, 0, 26, 26}},
        {"frameBottom", "widgetMain", {0, 28, 220, 109}},
        {"widgetRecLive", "frameBottom", {0, 0, 220, 70}},
        {"btnRecordSmall", "widgetRecLive", {0, 22, 55, 48}},
        {"btnPauseSmall", "widgetRecLive", {0, 22, 55, 48}},
        {"btnStopSmall", "widgetRecLive", {55, 22, 55, 48}},
        {"labelRecSmall", "widgetRecLive", {5, 3, 37, 16}},
        {"labelLiveSmall", "widgetRecLive", {115, 3, 37, 16}},
        {"labelRecTimeSmall", "widgetRecLive", {45, 3, 55, 16}},
        {"labelLiveTimeSmall", "widgetRecLive", {155, 3, 55, 16}},
        {"btnStartLiveSmall", "widgetRecLive", {110, 22, 110, 48}},
        {"btnStopLiveSmall", "widgetRecLive", {110, 22, 110, 48}},
        {"labelSpeedSmall", "widgetRecLive", {147, 20, 61, 20}},
        {"widgetLive", "frameBottom", {0, 0, 220, 70}},
        {"btnStartLiveBig", "widgetLive", {0, 22, 220, 48}},
        {"btnStopLiveBig", "widgetLive", {0, 22, 220, 48}},
        {"labelLiveBig", "widgetLive", {28, 3, 37, 16}},
        {"labelLiveTimeBig", "widgetLive", {68, 3, 55, 16}},
        {"labelSpeedBig", "widgetLive", {136, 3, 61, 16}},
        {"label", "widgetLive", {126, 3, 8, 18}},
        {"widgetRecord", "frameBottom", {0, 0, 220, 70}},
        {"btnRecordBig", "widgetRecord", {15, 22, 80, 48}},
        {"btnPauseBig", "widgetRecord", {15, 22, 80, 48}},
        {"btnStopBig", "widgetRecord", {125, 22, 80, 48}},
        {"labelRecBig", "widgetRecord", {60, 3, 37, 16}},
        {"labelRecTimeBig", "widgetRecord", {100, 3, 55, 16}},
        {"widgetVoice", "frameBottom", {0, 70, 220, 38}},
        {"btnDecVolume", "widgetVoice", {47, 8, 20, 20}},
        {"canvasReport", "widgetVoice", {77, 8, 105, 20}},
        {"sliderVolume", "widgetVoice", {77, 5, 105, 26}},
        {"btnIncVolume", "widgetVoice", {192, 8, 20, 20}},
        {"btnAudio", "widgetVoice", {8, 0, 35, 35}},
        {"cbAudio", "widgetMain", {43, 136, 16, 38}},
    };
    for (const Row &row : rows)
        QTest::newRow(row.name) << row.name << row.parent << row.rect;
}

void TestDeskpadForm::geometry()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, rect);
    QWidget *widget = m_fixture->panel()->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), rect);
    if (auto *button = qobject_cast<QToolButton *>(widget)) {
        QCOMPARE(button->minimumSize(), rect.size());
        QCOMPARE(button->maximumSize(), rect.size());
    }
}

void TestDeskpadForm::hiddenAtStart()
{
    DeskpadWidget *panel = m_fixture->panel();
    QVERIFY(!panel->isVisible());
    QCOMPARE(panel->size(), QSize(220, 137));
    QVERIFY(panel->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(panel->testAttribute(Qt::WA_TranslucentBackground));
    for (const char *name : {"widgetRecord", "widgetLive", "widgetRecLive", "btnNonMini", "btnWarning",
                             "btnLiveWarning", "btnPauseSmall", "btnPauseBig", "btnStopLiveSmall",
                             "btnStopLiveBig", "cbAudio", "lebalCountdown"})
        QVERIFY2(m_fixture->child<QWidget>(name)->isHidden(), name);

    // A page shows the panel at the top left of the free screen area, the audio row at y 98.
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->pos(), panel->screen()->availableGeometry().topLeft());
    QWidget *voice = m_fixture->child<QWidget>("widgetVoice");
    QCOMPARE(voice->mapTo(panel, QPoint(0, 0)), QPoint(0, 98));
    QVERIFY(m_fixture->child<QWidget>("frameBottom")->styleSheet().contains(QLatin1String("bg_td_win_one.png")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_showLiveWidget")));
    QVERIFY(m_fixture->child<QWidget>("widgetRecLive")->isVisible());
    QVERIFY(m_fixture->child<QWidget>("frameBottom")->styleSheet().contains(QLatin1String("bg_td_win.png")));
}

void TestDeskpadForm::texts()
{
    QCOMPARE(m_fixture->panel()->windowTitle(), QStringLiteral("DrawletApp - Deskpad"));
    QCOMPARE(text("labelTitle"), QStringLiteral("Deskpad"));
    QCOMPARE(toolTip("labelTitle"), QString());
    for (const char *name : {"labelRecTimeSmall", "labelLiveTimeSmall", "labelLiveTimeBig", "labelRecTimeBig"})
        QCOMPARE(text(name), QStringLiteral("00:00:00"));
    QCOMPARE(text("labelSpeedSmall"), QStringLiteral("0 kb/s"));
    QCOMPARE(text("labelSpeedBig"), QStringLiteral("0 kb/s"));
    QCOMPARE(text("label"), QString(QChar(0x2502)));

    const QList<QPair<const char *, const char *>> tips = {
        {"btnAudio", "Microphone source"},  {"btnRecordBig", "Recording"},      {"btnRecordSmall", "Recording"},
        {"btnPauseBig", "Pause recording"}, {"btnPauseSmall", "Pause recording"}, {"btnStopBig", "Stop recording"},
        {"btnStopSmall", "Stop recording"}, {"btnStartLiveSmall", "Streaming"}, {"btnStartLiveBig", "Streaming"},
        {"btnStopLiveSmall", "Stop streaming"}, {"btnStopLiveBig", "Stop streaming"}, {"btnMini", "Collapse"},
        {"btnNonMini", "Expand"}};
    for (const auto &tip : tips)
        QCOMPARE(toolTip(tip.first), QLatin1String(tip.second));
    // The panel's buttons are images only (the dialogs' OK buttons have their caption).
    for (QAbstractButton *button : m_fixture->panel()->findChildren<QAbstractButton *>()) {
        if (button->window() == m_fixture->panel())
            QCOMPARE(button->text(), QString());
    }
    // The frame-rate warning it shares with the main program has the panel's title.
    m_fixture->panel()->showWarning();
    auto *warning = m_fixture->panel()->findChild<WarningDialog *>();
    QVERIFY(warning && warning->isVisible());
    QCOMPARE(warning->findChild<QLabel *>(QStringLiteral("labelTitle"))->text(), QStringLiteral("Lumidesk"));
}

void TestDeskpadForm::titleFitsItsPlace_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("fits");
    QTest::newRow("110 pixels stay whole") << 110 << true;
    QTest::newRow("111 pixels are elided") << 111 << false;
}

void TestDeskpadForm::titleFitsItsPlace()
{
    QFETCH(int, width);
    QFETCH(bool, fits);
    QLabel *label = m_fixture->child<QLabel>("labelTitle");
    label->ensurePolished();
    const QFontMetrics metrics(label->font());
    const QString title = textOfWidth(metrics, width);
    QCOMPARE(metrics.horizontalAdvance(title), width);

    // A panel made while the title has that text fits it as it starts.
    TitleTranslator translator(title);
    m_fixture.reset();
    QCoreApplication::installTranslator(&translator);
    m_fixture.reset(new PanelFixture);
    const bool started = m_fixture->start();
    QCoreApplication::removeTranslator(&translator);
    QVERIFY(started);

    if (fits) {
        QCOMPARE(text("labelTitle"), title);
        QCOMPARE(toolTip("labelTitle"), QString());
    } else {
        QCOMPARE(toolTip("labelTitle"), QStringLiteral("<span style='color:block;'>%1</span>").arg(title));
        QVERIFY(text("labelTitle").endsWith(QChar(0x2026)));
        QVERIFY(metrics.horizontalAdvance(text("labelTitle")) <= 110);
    }
}

// Every image a style sheet or label of the panel names is there, and a button's images have its size.
void TestDeskpadForm::imagesExist()
{
    static const QRegularExpression url(QStringLiteral("url\\((:/[^)]+)\\)"));
    int checked = 0;
    for (QWidget *widget : m_fixture->panel()->findChildren<QWidget *>()) {
        auto matches = url.globalMatch(widget->styleSheet());
        while (matches.hasNext()) {
            const QString path = matches.next().captured(1);
            const QImage image(path);
            QVERIFY2(!image.isNull(), qPrintable(widget->objectName() + QLatin1Char(' ') + path));
            if (qobject_cast<QToolButton *>(widget))
                QVERIFY2(image.size() == widget->size(), qPrintable(path));
            ++checked;
        }
    }
    QVERIFY(checked > 70);
    for (const char *name : {"labelRecSmall", "labelLiveSmall", "labelRecBig", "labelLiveBig", "labelLine"})
        QVERIFY2(!m_fixture->child<QLabel>(name)->pixmap(Qt::ReturnByValue).isNull(), name);
}

void TestDeskpadForm::languageSwitch()
{
    DeskpadWidget *panel = m_fixture->panel();
    panel->setLanguagePath(QStringLiteral(DESKPAD_TEST_LANGUAGES));
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_startRecord")));
    panel->countRecordTime();

    // The controller hears of the language before the panel reloads its texts.
    QString titleWhenRelayed;
    connect(panel, &DeskpadWidget::langChanged, this, [&] { titleWhenRelayed = text("labelTitle"); });
    QVERIFY(m_fixture->send(QStringLiteral("cap_changeLanguage/pde_DE")));
    QCOMPARE(titleWhenRelayed, QStringLiteral("Deskpad"));

    QCOMPARE(toolTip("btnRecordBig"), QStringLiteral("Aufnahme"));
    QCOMPARE(toolTip("btnAudio"), QStringLiteral("Mikrofonquelle"));
    // The translated title is too wide: shown elided, whole in its tool tip.
    const QString title = QStringLiteral("Aufnahme- und Livesteuerung");
    QCOMPARE(toolTip("labelTitle"), QStringLiteral("<span style='color:block;'>%1</span>").arg(title));
    QLabel *label = m_fixture->child<QLabel>("labelTitle");
    QVERIFY(text("labelTitle").endsWith(QChar(0x2026)));
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(text("labelTitle")) <= 110);
    // A running time is not reset by the reload.
    QCOMPARE(text("labelRecTimeBig"), QStringLiteral("00:00:01"));
}

void TestDeskpadForm::missingCatalogueChangesNothing()
{
    DeskpadWidget *panel = m_fixture->panel();
    panel->setLanguagePath(QStringLiteral(DESKPAD_TEST_LANGUAGES));
    QVERIFY(m_fixture->send(QStringLiteral("cap_changeLanguage/pde_DE")));
    QCOMPARE(toolTip("btnRecordBig"), QStringLiteral("Aufnahme"));

    QVERIFY(m_fixture->send(QStringLiteral("cap_changeLanguage/pfr_FR")));
    QCOMPARE(toolTip("btnRecordBig"), QStringLiteral("Aufnahme"));
    // The catalogue in use stays installed, for every text translated later.
    QCOMPARE(QCoreApplication::translate("DeskpadWidget", "Recording"), QStringLiteral("Aufnahme"));
}

// A code is part of a file path: one that climbs out of the language folder loads nothing, even where
// the path it makes would lead to a catalogue.
void TestDeskpadForm::codesLeavingTheFolderAreRefused()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString languages = root.filePath(QStringLiteral("languages"));
    QVERIFY(QDir().mkpath(languages));
    // The code "../elsewhere" makes "<languages>/../elsewhere/Deskpad_../elsewhere".
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("elsewhere/Deskpad_.."))));
    QVERIFY(QFile::copy(QStringLiteral(DESKPAD_TEST_LANGUAGES "/de_DE/Deskpad_de_DE.qm"),
                        root.filePath(QStringLiteral("elsewhere/Deskpad_../elsewhere.qm"))));
    DeskpadWidget *panel = m_fixture->panel();
    panel->setLanguagePath(languages);

    panel->updateString(QStringLiteral("../elsewhere"));
    QCOMPARE(toolTip("btnRecordBig"), QStringLiteral("Recording"));
}

// The catalogue built with the panel lies where the panel looks for it from DrawletApp's folder, and
// switching back to English restores the English texts.
void TestDeskpadForm::builtCatalogueRestoresEnglish()
{
    DeskpadWidget *panel = m_fixture->panel();
    panel->setLanguagePath(QStringLiteral(DESKPAD_TEST_LANGUAGES));
    QVERIFY(m_fixture->send(QStringLiteral("cap_changeLanguage/pde_DE")));
    QCOMPARE(toolTip("btnRecordBig"), QStringLiteral("Aufnahme"));

    const QString languages = platform::InstallLayout::languagesAbove(QStringLiteral(LUMIDESK_DRAWLET_OUTPUT_DIR));
    QVERIFY(QFile::exists(languages + QLatin1String("/en_US/Deskpad_en_US.qm")));
    panel->setLanguagePath(languages);
    QVERIFY(m_fixture->send(QStringLiteral("cap_changeLanguage/pen_US")));
    QCOMPARE(toolTip("btnRecordBig"), QStringLiteral("Recording"));
    QCOMPARE(text("labelTitle"), QStringLiteral("Deskpad"));
    QCOMPARE(toolTip("labelTitle"), QString());
}

QTEST_MAIN(TestDeskpadForm)
#include "tst_deskpad_form.moc"
