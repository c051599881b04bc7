#include "camerasettings/camerasettingdialog.h"
#include "common/settingspath.h"
#include "dialogs/helplink.h"
#include "dialogs/ipinformationwidget.h"
#include "dialogs/languagelist.h"
#include "dialogs/livestreamsetting.h"
#include "dialogs/navigationdialog.h"
#include "dialogs/othersettingdialog.h"
#include "dialogs/upgradedialog.h"
#include "formchild.h"
#include "scriptedhttpserver.h"
#include "vantoqrcode.h"
#include "vantoupdater.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The network as a test lays it out; no sysfs, so no interface is wireless.
class FixedNetwork : public VantoQRCode
{
public:
    explicit FixedNetwork(const QList<NetInfo> &cards)
        : VantoQRCode(QStringLiteral("/nonexistent"))
    {
        for (const NetInfo &card : cards)
            m_facts.append({card.name, true, true, false, {QHostAddress(card.ip)}});
    }

protected:
    QList<InterfaceFacts> interfaces() const override { return m_facts; }

private:
    QList<InterfaceFacts> m_facts;
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A byte-order mark, then the text's UTF-16 code units.
QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray bytes(bigEndian ? "\xfe\xff" : "\xff\xfe", 2);
    for (const QChar unit : text) {
        const char high = char(unit.unicode() >> 8);
        const char low = char(unit.unicode() & 0xff);
        bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return bytes;
}

// Should a reader hang in the open of a named pipe, a writer that comes and goes lets it go, so a
// failing test ends instead of waiting for the thread forever.
class PipeRelease
{
public:
    PipeRelease(const QString &pipe, QThread *reader)
        : m_pipe(QFile::encodeName(pipe))
        , m_reader(reader)
    {}
    ~PipeRelease()
    {
        while (!m_reader->wait(100)) {
            const int fd = ::open(m_pipe.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    }

private:
    QByteArray m_pipe;
    QThread *m_reader;
};

// What the desktop is asked to open, in place of opening it.
class DesktopRecorder : public QObject
{
    Q_OBJECT

public:
    DesktopRecorder()
    {
        for (const char *scheme : Schemes)
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "open");
    }
    ~DesktopRecorder() override
    {
        for (const char *scheme : Schemes)
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }

    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }

private:
    static constexpr const char *Schemes[] = {"file", "http", "https"};
};

QString storedLanguage()
{
    return QSettings(_GUID_SETTING_INI, QSettings::IniFormat).value(QStringLiteral("Language/CurrentLang")).toString();
}

} // namespace

Q_DECLARE_METATYPE(QList<NetInfo>)

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void languageCodes_data();
    void languageCodes();
    void displayNames_data();
    void displayNames();
    void languageFoldersBecomeRows();
    void nameFilesThatAreNoRegularFilesAreNotRead_data();
    void nameFilesThatAreNoRegularFilesAreNotRead();
    void choosingALanguageStoresAndAnnouncesIt();
    void anUnknownStoredLanguageLeavesEnglish();
    void theFormIsBuiltOnFirstUseWithTheStateSetBefore_data();
    void theFormIsBuiltOnFirstUseWithTheStateSetBefore();
    void formAndTabs();
    void liveTabReturnsTheUpdatePageToItsStart();
    void pairingPageShowsCodeAndCards_data();
    void pairingPageShowsCodeAndCards();
    void cardNamesElideAbove130Pixels();
    void everyWayOutAnnouncesTheCloseOnce_data();
    void everyWayOutAnnouncesTheCloseOnce();
    void closingDuringADownloadWaitsForIt_data();
    void closingDuringADownloadWaitsForIt();
    void draggingMovesTheDialogWithThePointer();
    void helpLeadsToTheSiteOrTheReadme_data();
    void helpLeadsToTheSiteOrTheReadme();
    void helpLinksOpenTheHelp();

private:
    std::unique_ptr<OtherSettingDialog> makeDialog(const QList<NetInfo> &cards = {});
    QTemporaryDir m_root;
    QString m_languages;
};

void TestSettingsDialog::initTestCase()
{
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
    QVERIFY(m_root.isValid());
    // The update page must never reach a real server.
    VantoUpdater::setUpdateServerBase(QUrl(QStringLiteral("http://127.0.0.1:9/")));
}

void TestSettingsDialog::init()
{
    QFile::remove(_GUID_SETTING_INI);
    m_languages = m_root.filePath(QString::fromLatin1(QTest::currentTestFunction()));
    QDir(m_languages).removeRecursively();
    QVERIFY(QDir().mkpath(m_languages));
}

std::unique_ptr<OtherSettingDialog> TestSettingsDialog::makeDialog(const QList<NetInfo> &cards)
{
    auto dialog = std::make_unique<OtherSettingDialog>(nullptr, m_languages, std::make_unique<FixedNetwork>(cards));
    dialog->setCloseRetryInterval(20);
    // The dialog builds its form on first use; its owner loads the live page before it shows it.
    dialog->loadLiveSetting();
    return dialog;
}

void TestSettingsDialog::languageCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("valid");
    for (const char *good : {"en_US", "Fr_FR", "zh-TW", "ja", "yue_Hant"})
        QTest::newRow(good) << QString::fromLatin1(good) << true;
    for (const char *bad : {"", "..", "e", "en_", "en_US/..", "en US", "../fr_FR", "en_US.bak", "de_DE\n", "e1_US"})
        QTest::newRow(qPrintable(QStringLiteral("bad \"%1\"").arg(QString::fromLatin1(bad)))) << QString::fromLatin1(bad)
                                                                                                 << false;
}

void TestSettingsDialog::languageCodes()
{
    QFETCH(QString, code);
    QFETCH(bool, valid);
    QCOMPARE(LanguageList::isValidCode(code), valid);
}

void TestSettingsDialog::displayNames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    const QString french = QStringLiteral("Fran\u00e7ais");

    QTest::newRow("UTF-8") << QByteArray("Fran\xc3\xa7" "ais\n") << french;
    QTest::newRow("UTF-8 with a byte-order mark") << QByteArray("\xef\xbb\xbf" "Fran\xc3\xa7" "ais") << french;
    QTest::newRow("UTF-16 little-endian mark") << utf16(QStringLiteral("\u65e5\u672c\u8a9e\r\nsecond line"), false)
                                               << QStringLiteral("\u65e5\u672c\u8a9e");
    QTest::newRow("UTF-16 big-endian mark") << utf16(french, true) << french;
    QTest::newRow("only the first line counts") << QByteArray("Deutsch\r\nGerman\n") << QStringLiteral("Deutsch");
    QTest::newRow("an empty file gives an empty name") << QByteArray() << QString();
    QTest::newRow("Latin-1 is not taken for text") << QByteArray("Fran\xe7" "ais") << QStringLiteral("fr_FR");
    QTest::newRow("UTF-16 without a mark") << utf16(french, false).mid(2) << QStringLiteral("fr_FR");
    QTest::newRow("control characters") << QByteArray("Fran\x1b[31mcais") << QStringLiteral("fr_FR");
    QTest::newRow("a cut UTF-16 surrogate") << QByteArray("\xff\xfe\x3d\xd8", 4) << QStringLiteral("fr_FR");
}

void TestSettingsDialog::displayNames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    const QString path = m_languages + QStringLiteral("/fr_FR/Lumi_fr_FR.txt");
    writeFile(path, bytes);
    QCOMPARE(LanguageList::readDisplayName(path, QStringLiteral("fr_FR")), name);
    QCOMPARE(LanguageList::readDisplayName(path + QStringLiteral(".missing"), QStringLiteral("fr_FR")),
             QStringLiteral("fr_FR"));
}

void TestSettingsDialog::languageFoldersBecomeRows()
{
    for (const char *code : {"de_DE", "en_US", "Fr_FR", "ja_JP", "not a code", ".hidden"})
        QVERIFY(QDir(m_languages).mkpath(QString::fromLatin1(code)));
    writeFile(m_languages + QStringLiteral("/it_IT"), "a plain file, not a folder");
    writeFile(m_languages + QStringLiteral("/ja_JP/Lumi_ja_JP.txt"), utf16(QStringLiteral("\u65e5\u672c\u8a9e"), false));
    writeFile(m_languages + QStringLiteral("/en_US/Lumi_en_US.txt"), "American");
    // A name file reached through a folder that is no language code is never read.
    writeFile(m_languages + QStringLiteral("/not a code/Lumi_not a code.txt"), "Nope");

    const QStringList codes{"en_US", "de_DE", "Fr_FR", "ja_JP"};
    const QStringList names{"English", "de_DE", "Fr_FR", QStringLiteral("\u65e5\u672c\u8a9e")};
    LanguageList list;
    list.scan(m_languages);
    QCOMPARE(list.codes(), codes);
    QCOMPARE(list.names(), names);

    std::unique_ptr<OtherSettingDialog> dialog = makeDialog();
    QCOMPARE(dialog->languageCodes(), codes);
    QCOMPARE(dialog->languageButtons()->buttons().size(), 4);
    QStringList rows;
    for (QLabel *label : child<QWidget>(dialog.get(), "scrollAreaWidgetContents")->findChildren<QLabel *>())
        rows.append(label->text());
    QCOMPARE(rows, names);

    // No folder at all: English only, checked.
    LanguageList none;
    none.scan(m_languages + QStringLiteral("/missing"));
    QCOMPARE(none.codes(), QStringList{QStringLiteral("en_US")});
}

void TestSettingsDialog::nameFilesThatAreNoRegularFilesAreNotRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("named pipe") << QStringLiteral("pipe");
    QTest::newRow("link to a named pipe") << QStringLiteral("link");
    QTest::newRow("folder") << QStringLiteral("folder");
}

void TestSettingsDialog::nameFilesThatAreNoRegularFilesAreNotRead()
{
    QFETCH(QString, kind);
    const QString folder = m_languages + QStringLiteral("/fr_FR");
    const QString nameFile = folder + QStringLiteral("/Lumi_fr_FR.txt");
    const QString pipe = m_languages + QStringLiteral("/pipe");
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    if (kind == QLatin1String("pipe"))
        QVERIFY(QFile::rename(pipe, nameFile));
    else if (kind == QLatin1String("link"))
        QVERIFY(QFile::link(pipe, nameFile));
    else
        QVERIFY(QDir().mkpath(nameFile));

    // The scan runs beside the test, so one that hangs fails here rather than blocking the run.
    LanguageList list;
    std::unique_ptr<QThread> scan(QThread::create([&list, this] { list.scan(m_languages); }));
    scan->start();
    const PipeRelease release(kind == QLatin1String("pipe") ? nameFile : pipe, scan.get());
    QTRY_VERIFY_WITH_TIMEOUT(scan->isFinished(), 10000);
    QCOMPARE(list.codes(), (QStringList{QStringLiteral("en_US"), QStringLiteral("fr_FR")}));
    QCOMPARE(list.names(), (QStringList{QStringLiteral("English"), QStringLiteral("fr_FR")}));
}

void TestSettingsDialog::choosingALanguageStoresAndAnnouncesIt()
{
    for (const char *code : {"de_DE", "ja_JP"})
        QVERIFY(QDir(m_languages).mkpath(QString::fromLatin1(code)));
    {
        std::unique_ptr<OtherSettingDialog> dialog = makeDialog();
        QCOMPARE(dialog->getSelectLang(), QStringLiteral("en_US"));
        QVERIFY(dialog->languageButtons()->button(0)->isChecked());
        QSignalSpy changed(dialog.get(), &OtherSettingDialog::langChanged);
        dialog->show();
        QTest::mouseClick(dialog->languageButtons()->button(2), Qt::LeftButton);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().first().toString(), QStringLiteral("ja_JP"));
        QCOMPARE(storedLanguage(), QStringLiteral("ja_JP"));
        QCOMPARE(dialog->getSelectLang(), QStringLiteral("ja_JP"));
        QVERIFY(dialog->isVisible());
    }
    std::unique_ptr<OtherSettingDialog> reopened = makeDialog();
    QCOMPARE(reopened->getSelectLang(), QStringLiteral("ja_JP"));
    QVERIFY(reopened->languageButtons()->button(2)->isChecked());
}

void TestSettingsDialog::anUnknownStoredLanguageLeavesEnglish()
{
    QVERIFY(QDir(m_languages).mkpath(QStringLiteral("de_DE")));
    QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue(QStringLiteral("Language/CurrentLang"),
                                                                QStringLiteral("de_de"));
    std::unique_ptr<OtherSettingDialog> dialog = makeDialog();
    QCOMPARE(dialog->getSelectLang(), QStringLiteral("en_US"));
    QVERIFY(dialog->languageButtons()->button(0)->isChecked());
    QCOMPARE(storedLanguage(), QStringLiteral("de_de"));
}

void TestSettingsDialog::theFormIsBuiltOnFirstUseWithTheStateSetBefore_data()
{
    QTest::addColumn<QString>("use");
    QTest::newRow("show") << "show";
    QTest::newRow("loadLiveSetting") << "loadLiveSetting";
    QTest::newRow("languageButtons") << "languageButtons";
}

void TestSettingsDialog::theFormIsBuiltOnFirstUseWithTheStateSetBefore()
{
    QFETCH(QString, use);
    for (const char *code : {"de_DE", "ja_JP"})
        QVERIFY(QDir(m_languages).mkpath(QString::fromLatin1(code)));
    QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue(QStringLiteral("Language/CurrentLang"),
                                                                QStringLiteral("ja_JP"));
    OtherSettingDialog dialog(nullptr, m_languages, std::make_unique<FixedNetwork>(QList<NetInfo>{}));
    QVERIFY(!dialog.hasForm());
    QVERIFY(!dialog.findChild<QTabWidget *>());
    QCOMPARE(dialog.getSelectLang(), QStringLiteral("ja_JP"));
    QVERIFY(!dialog.findChild<UpgradeDialog *>());

    // What the owner may do before the first show: translate, choose a language, stop the live page.
    dialog.updateString();
    dialog.langSelected(1);
    dialog.enableLiveSetting(false);
    QVERIFY(!dialog.hasForm());

    if (use == QLatin1String("show"))
        dialog.show();
    else if (use == QLatin1String("loadLiveSetting"))
        dialog.loadLiveSetting();
    QButtonGroup *buttons = dialog.languageButtons();
    QVERIFY(dialog.hasForm());
    // The update page came with the form; its request to close the program reaches the dialog's owner.
    QCOMPARE(dialog.findChildren<UpgradeDialog *>().size(), 1);
    QSignalSpy closeSystem(&dialog, &OtherSettingDialog::closeSystem);
    emit dialog.getUpgradeDialog()->closeSystem();
    QCOMPARE(closeSystem.count(), 1);
    QCOMPARE(buttons->buttons().size(), 3);
    QCOMPARE(buttons->checkedId(), 1);
    QCOMPARE(dialog.getSelectLang(), QStringLiteral("de_DE"));
    auto *tabs = child<QTabWidget>(&dialog, "settingTab");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->widget(1), dialog.getUpgradeDialog());
    QVERIFY(!child<QToolButton>(dialog.getLiveStreamSetting(), "btnApply")->isEnabled());
}

void TestSettingsDialog::formAndTabs()
{
    std::unique_ptr<OtherSettingDialog> dialog = makeDialog();
    QCOMPARE(dialog->size(), QSize(400, 463));
    QCOMPARE(dialog->minimumSize(), QSize(400, 0));
    QCOMPARE(dialog->maximumSize(), QSize(420, 463));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Lumidesk - Settings"));
    QVERIFY(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(dialog->isModal());
    QCOMPARE(child<QLabel>(dialog.get(), "selectLb")->text(), QStringLiteral("Other Settings"));
    QCOMPARE(child<QLabel>(dialog.get(), "label_3")->text(), QStringLiteral("Language Setting"));
    QCOMPARE(child<QWidget>(dialog.get(), "scrollAreaLang")->pos(), QPoint(0, 30));
    QVERIFY(child<QToolButton>(dialog.get(), "questionBtn")->isHidden());
    QCOMPARE(child<QWidget>(dialog.get(), "closeBtn")->geometry(), QRect(370, 0, 22, 22));
    QVERIFY(!child<QLabel>(dialog.get(), "label_4")->pixmap(Qt::ReturnByValue).isNull());

    auto *tabs = child<QTabWidget>(dialog.get(), "settingTab");
    QCOMPARE(tabs->geometry(), QRect(0, 0, 400, 425));
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->widget(0), child<QWidget>(dialog.get(), "languageWidget"));
    QCOMPARE(tabs->widget(1), static_cast<QWidget *>(dialog->getUpgradeDialog()));
    QCOMPARE(tabs->widget(2), static_cast<QWidget *>(dialog->getLiveStreamSetting()));
    QCOMPARE(tabs->indexOf(child<QWidget>(dialog.get(), "connectWidget")), -1);
    dialog->show();
    for (int i = 0; i < tabs->count(); ++i) {
        QCOMPARE(tabs->tabBar()->tabRect(i).size(), QSize(134, 60));
        QVERIFY(tabs->tabText(i).isEmpty());
    }
    for (const char *image : {"btn_language_os", "btn_upgrade_os", "btn_streaming_os"}) {
        for (const char *state : {"normal", "pressed", "hover"}) {
            const QString path = QStringLiteral(":/otherSetting/resources/setting/%1_%2.png")
                                     .arg(QLatin1String(image), QLatin1String(state));
            QCOMPARE(QPixmap(path).size(), QSize(134, 60));
        }
    }
}

void TestSettingsDialog::liveTabReturnsTheUpdatePageToItsStart()
{
    std::unique_ptr<OtherSettingDialog> dialog = makeDialog();
    auto *tabs = child<QTabWidget>(dialog.get(), "settingTab");
    auto *pages = child<QStackedWidget>(dialog->getUpgradeDialog(), "stackedWidget");
    pages->setCurrentIndex(1);
    tabs->setCurrentIndex(1);
    tabs->setCurrentIndex(0);
    QCOMPARE(pages->currentIndex(), 1);
    tabs->setCurrentIndex(2);
    QCOMPARE(pages->currentIndex(), 0);

    pages->setCurrentIndex(2);
    dialog->resetSetting();
    QCOMPARE(pages->currentIndex(), 0);
}

void TestSettingsDialog::pairingPageShowsCodeAndCards_data()
{
    QTest::addColumn<QList<NetInfo>>("cards");
    QTest::newRow("no network") << QList<NetInfo>{};
    QTest::newRow("two interfaces")
        << QList<NetInfo>{{QStringLiteral("192.168.1.20"), QStringLiteral("wlan0"), false},
                          {QStringLiteral("10.1.2.3"), QStringLiteral("eth0"), false}};
}

void TestSettingsDialog::pairingPageShowsCodeAndCards()
{
    QFETCH(QList<NetInfo>, cards);
    std::unique_ptr<OtherSettingDialog> dialog = makeDialog(cards);
    auto *code = child<QLabel>(dialog.get(), "lbQrcode");
    QCOMPARE(code->geometry(), QRect(275, 15, 80, 80));
    QCOMPARE(code->pixmap(Qt::ReturnByValue).isNull(), cards.isEmpty());
    if (!cards.isEmpty())
        QCOMPARE(code->pixmap(Qt::ReturnByValue).size(), QSize(80, 80));

    const QString hint = QStringLiteral("<p style=\"line-height:130%\">Please make sure your computer and mobile are on "
                                        "the same Wi-fi network.</p>");
    QCOMPARE(child<QLabel>(dialog.get(), "lbText")->text(), hint);
    QLayout *layout = child<QWidget>(dialog.get(), "scrollAreaWidget")->layout();
    QCOMPARE(layout->count(), 2 + cards.size());
    QCOMPARE(layout->itemAt(0)->widget(), child<QWidget>(dialog.get(), "labelWidget"));
    QCOMPARE(layout->itemAt(1)->widget(), child<QWidget>(dialog.get(), "topWidget"));
    QCOMPARE(dialog->networkCards().size(), cards.size());
    for (int i = 0; i < cards.size(); ++i) {
        IpInformationWidget *card = dialog->networkCards().at(i);
        QCOMPARE(layout->itemAt(2 + i)->widget(), static_cast<QWidget *>(card));
        QCOMPARE(card->ip(), cards.at(i).ip);
        QCOMPARE(card->shownName(), cards.at(i).name);
        QCOMPARE(card->size(), QSize(400, 109));
    }

    // Retranslating keeps the addresses and names and sets the hint again.
    child<QLabel>(dialog.get(), "lbText")->clear();
    dialog->updateString();
    QCOMPARE(child<QLabel>(dialog.get(), "lbText")->text(), hint);
    for (int i = 0; i < cards.size(); ++i)
        QCOMPARE(dialog->networkCards().at(i)->ip(), cards.at(i).ip);
}

void TestSettingsDialog::cardNamesElideAbove130Pixels()
{
    // Names built to measure exactly 130 and 131 pixels in the card's font.
    IpInformationWidget probe(QStringLiteral("1.2.3.4"), QString());
    const QFontMetrics metrics(probe.findChild<QLabel *>(QStringLiteral("lbWirelessName"))->font());
    QString exact;
    QString over;
    const QString pieces = QStringLiteral("ilmwW1.");
    std::function<void(QString)> search = [&](QString name) {
        const int width = metrics.horizontalAdvance(name);
        if (width == 130 && exact.isEmpty())
            exact = name;
        if (width == 131 && over.isEmpty())
            over = name;
        if (width >= 131 || (!exact.isEmpty() && !over.isEmpty()) || name.size() > 40)
            return;
        for (const QChar piece : pieces)
            search(name + piece);
    };
    search(QStringLiteral("wlan"));
    QVERIFY2(!exact.isEmpty() && !over.isEmpty(), "no names of 130 and 131 pixels in this font");

    const IpInformationWidget whole(QStringLiteral("10.0.0.1"), exact);
    QCOMPARE(whole.shownName(), exact);
    QVERIFY(whole.nameToolTip().isEmpty());

    const IpInformationWidget elided(QStringLiteral("10.0.0.1"), over);
    QVERIFY(elided.shownName() != over);
    QVERIFY(elided.shownName().endsWith(QChar(0x2026)));
    QVERIFY(metrics.horizontalAdvance(elided.shownName()) <= 130);
    QCOMPARE(elided.nameToolTip(), QStringLiteral("<span style='color:block;'>") + over + QStringLiteral("</span>"));
}

void TestSettingsDialog::everyWayOutAnnouncesTheCloseOnce_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("close button") << "button";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("Escape inside the live page") << "escape-page";
    QTest::newRow("window closed") << "close";
    QTest::newRow("an update page close button") << "page-button";
    QTest::newRow("live settings applied") << "applied";
}

void TestSettingsDialog::everyWayOutAnnouncesTheCloseOnce()
{
    QFETCH(QString, how);
    std::unique_ptr<OtherSettingDialog> dialog = makeDialog();
    QSignalSpy closed(dialog.get(), &OtherSettingDialog::closeOtherSetting);
    dialog->show();
    auto *tabs = child<QTabWidget>(dialog.get(), "settingTab");
    LiveStreamSetting *live = dialog->getLiveStreamSetting();

    if (how == QLatin1String("button")) {
        QTest::mouseClick(child<QToolButton>(dialog.get(), "closeBtn"), Qt::LeftButton);
    } else if (how == QLatin1String("escape")) {
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    } else if (how == QLatin1String("escape-page")) {
        tabs->setCurrentIndex(2);
        QTest::keyClick(live, Qt::Key_Escape);
        // The page stays in its tab; the dialog closes.
        QVERIFY(!live->isHidden());
    } else if (how == QLatin1String("close")) {
        dialog->close();
    } else if (how == QLatin1String("page-button")) {
        QTest::mouseClick(child<QToolButton>(dialog->getUpgradeDialog(), "btnClose"), Qt::LeftButton);
    } else {
        tabs->setCurrentIndex(2);
        child<QTextEdit>(live, "textEditUrl")->setPlainText(QStringLiteral("rtmp://a.example/x"));
        child<QTextEdit>(live, "textEditKey")->setPlainText(QStringLiteral("k"));
        QTest::mouseClick(child<QToolButton>(live, "btnApply"), Qt::LeftButton);
    }
    QCOMPARE(closed.count(), 1);
    QVERIFY(!dialog->isVisible());
    // A second way out after the first announces nothing more.
    dialog->close();
    dialog->closeSetting();
    QCOMPARE(closed.count(), 1);
}

void TestSettingsDialog::closingDuringADownloadWaitsForIt_data()
{
    QTest::addColumn<QString>("phase");
    QTest::newRow("while the page checks") << "check";
    QTest::newRow("while the page downloads") << "download";
}

// A close while the update page waits for the server stops the wait; the dialog is announced as finished
// only after the wait's nested event loop has ended, so an owner deleting it then deletes nothing in use.
// The server would keep the page waiting for hours: only the close's own stop lets the test go on.
void TestSettingsDialog::closingDuringADownloadWaitsForIt()
{
    QFETCH(QString, phase);
    const bool checking = phase == QLatin1String("check");
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    VantoUpdater::setUpdateServerBase(server.url());
    ScriptedHttpServer::Reply config;
    config.body = QByteArray("LinuxVersion=\"1.0.1003.7\"\nLinuxInstallerPath=\"")
        + server.url(QStringLiteral("/p/LinuxUpdater.zip")).toEncoded() + "\"\nLinuxInstallerSha256=\""
        + QByteArray(64, 'a') + "\"\n";
    if (checking)
        config.delayMsecs = 4 * 60 * 60 * 1000;
    server.route("/Tivlo/check4Update/update.cfg", config);
    ScriptedHttpServer::Reply dripping;
    dripping.body = QByteArray(1000, 'p');
    dripping.endless = true;
    dripping.pieceBytes = 1000;
    dripping.pieceDelayMsecs = 50;
    dripping.announcedLength = 256 * 1024 * 1024;
    server.route("/p/LinuxUpdater.zip", dripping);

    QPointer<OtherSettingDialog> dialog = makeDialog().release();
    QPointer<UpgradeDialog> page = dialog->getUpgradeDialog();
    page->setInstallDelay(50);
    // Neither silence nor the configuration's time limit ends the wait first.
    page->updater()->setWatchdogInterval(4 * 60 * 60 * 1000);
    DownloadLimits patient = DownloadLimits::configuration();
    patient.timeLimitMsecs = 0;
    page->updater()->setConfigurationLimits(patient);

    bool waitReturned = false;
    bool upgradingWhenAnnounced = true;
    connect(dialog.data(), &OtherSettingDialog::closeOtherSetting, this, [&] {
        upgradingWhenAnnounced = page->isUpgrading();
        QVERIFY(waitReturned);
        dialog->deleteLater();
    });
    bool closed = false;
    bool upgradingWhileWaiting = false;
    auto closeNow = [&] {
        if (closed)
            return;
        closed = true;
        upgradingWhileWaiting = page->isUpgrading();
        QTest::keyClick(dialog.data(), Qt::Key_Escape);
    };
    // The close comes while the page waits: once the server has the request, or once the package flows.
    if (checking)
        connect(&server, &ScriptedHttpServer::requestReceived, dialog.data(), closeNow);
    // Should the close not stop the wait, this ends it, and the test fails.
    QObject rescuer;
    bool rescued = false;
    QTimer::singleShot(30000, &rescuer, [&] {
        rescued = true;
        if (page)
            page->updater()->abortDownload();
    });

    dialog->show();
    child<QTabWidget>(dialog.data(), "settingTab")->setCurrentIndex(1);
    QTest::mouseClick(child<QToolButton>(page, "btnCheckSw"), Qt::LeftButton);
    if (!checking) {
        QVERIFY(child<QToolButton>(page, "btnYes")->isVisible());
        connect(page->updater(), &VantoUpdater::dataReadProgress, dialog.data(), [&](qint64 read) {
            if (read > 0)
                closeNow();
        });
        QTest::mouseClick(child<QToolButton>(page, "btnYes"), Qt::LeftButton);
    }
    waitReturned = true;
    QVERIFY(closed);
    QVERIFY(!rescued);
    QVERIFY(upgradingWhileWaiting);
    QVERIFY(dialog);
    QTRY_VERIFY(!dialog);
    QVERIFY(!upgradingWhenAnnounced);
    VantoUpdater::setUpdateServerBase(QUrl(QStringLiteral("http://127.0.0.1:9/")));
}

void TestSettingsDialog::draggingMovesTheDialogWithThePointer()
{
    std::unique_ptr<OtherSettingDialog> dialog = makeDialog();
    dialog->move(300, 200);
    dialog->show();
    QTest::mousePress(dialog.get(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(230, 50), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &move);
    QCOMPARE(dialog->pos(), QPoint(330, 240));
    QTest::mouseRelease(dialog.get(), Qt::LeftButton, Qt::NoModifier, QPoint(230, 50));
    QMouseEvent after(QEvent::MouseMove, QPointF(260, 80), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &after);
    QCOMPARE(dialog->pos(), QPoint(330, 240));
}

void TestSettingsDialog::helpLeadsToTheSiteOrTheReadme_data()
{
    QTest::addColumn<QString>("site");
    // Where a README lies: "installed" (<prefix>/share/doc/lumidesk), "beside" the program (the build
    // tree), or nowhere.
    QTest::addColumn<QString>("readmeAt");
    // "readme" for that README, else the address (empty: nothing to open).
    QTest::addColumn<QString>("opened");
    QTest::newRow("no site") << "" << "installed" << "readme";
    QTest::newRow("no site, run from the build tree") << "" << "beside" << "readme";
    QTest::newRow("no site and no README") << "" << "" << "";
    QTest::newRow("reserved: example") << "https://www.qorv.example" << "installed" << "readme";
    QTest::newRow("reserved: invalid") << "https://help.invalid/" << "installed" << "readme";
    QTest::newRow("reserved: example.com") << "http://docs.example.com" << "installed" << "readme";
    QTest::newRow("no web address") << "ftp://help.qorv.com/" << "installed" << "readme";
    QTest::newRow("a site") << "https://help.qorv.com" << "installed" << "https://help.qorv.com/help/Lumidesk/";
    QTest::newRow("a site in a folder") << "https://qorv.com/support/" << ""
                                        << "https://qorv.com/support/help/Lumidesk/";
    QTest::newRow("a name that only ends alike") << "https://myexample/" << "" << "https://myexample/help/Lumidesk/";
}

void TestSettingsDialog::helpLeadsToTheSiteOrTheReadme()
{
    QFETCH(QString, site);
    QFETCH(QString, readmeAt);
    QFETCH(QString, opened);
    // The installed layout: the program in <prefix>/lib/lumidesk, the README in <prefix>/share/doc/lumidesk.
    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    const QString program = prefix.filePath(QStringLiteral("lib/lumidesk"));
    QVERIFY(QDir().mkpath(program));
    const QString installed = prefix.filePath(QStringLiteral("share/doc/lumidesk/README.md"));
    QCOMPARE(HelpLink::installedReadme(program), installed);
    const QString readme = readmeAt == QLatin1String("beside") ? program + QStringLiteral("/README.md") : installed;
    if (!readmeAt.isEmpty())
        writeFile(readme, "# Lumidesk\n");
    QCOMPARE(HelpLink::address(site, program), opened == QLatin1String("readme") ? QUrl::fromLocalFile(readme) : QUrl(opened));
}

// Every help link of the program opens the same help: the build's site, or else the README, which the
// test programs find where the installed program does.
void TestSettingsDialog::helpLinksOpenTheHelp()
{
    const QUrl help = HelpLink::address();
    QVERIFY(!help.isEmpty());
    QVERIFY(help.isLocalFile() || HelpLink::isUsableSite(help));
    DesktopRecorder desktop;
    std::unique_ptr<OtherSettingDialog> dialog = makeDialog();
    child<QToolButton>(dialog.get(), "questionBtn")->click();
    NavigationDialog guide;
    guide.openLink();
    CameraSettingDialog cameraSettings;
    // Its form is built on first use; the camera window opens the first page before it shows it.
    cameraSettings.showCameraSetting();
    QTest::mouseClick(child<QLabel>(&cameraSettings, "lbLink"), Qt::LeftButton);
    QCOMPARE(desktop.opened, (QList<QUrl>{help, help, help}));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_dialogs_settings.moc"
