#include "common/lumidesklog.h"
#include "common/settingspath.h"
#include "dialogs/livestreamsetting.h"
#include "dialogs/livestreamsettingdialog.h"
#include "formchild.h"
#include "notificationdialog.h"
#include "syslogger.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const QString SecretKey = QStringLiteral("live_8d2f-s3cr3t-key");

// Every record the log system writes, kept for the test to read.
class CapturedLog : public SysLogger
{
public:
    bool open() override { return true; }
    void close() override {}
    void write(const QByteArray &line) override { lines.append(line); }
    bool contains(const QByteArray &text) const
    {
        for (const QByteArray &line : lines) {
            if (line.contains(text))
                return true;
        }
        return false;
    }
    QList<QByteArray> lines;
};

QVariant stored(const QString &key)
{
    return QSettings(_GUID_SETTING_INI, QSettings::IniFormat).value(key);
}

void store(const QString &key, const QVariant &value)
{
    QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue(key, value);
}

QStringList liveKeys()
{
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Live"));
    return settings.allKeys();
}

QStringList items(QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

// Fills in the form of the dialog or the page and presses Apply.
void apply(QWidget *form, int service, const QString &url, const QString &key, int level, bool record = false)
{
    child<QComboBox>(form, "comboService")->setCurrentIndex(service);
    child<QTextEdit>(form, "textEditUrl")->setPlainText(url);
    child<QTextEdit>(form, "textEditKey")->setPlainText(key);
    child<QComboBox>(form, "comboResolution")->setCurrentIndex(level);
    child<QCheckBox>(form, "checkBoxRecord")->setChecked(record);
    QTest::mouseClick(child<QToolButton>(form, "btnApply"), Qt::LeftButton);
}

std::unique_ptr<QWidget> makeForm(const QString &which)
{
    if (which == QLatin1String("page"))
        return std::make_unique<LiveStreamSetting>();
    auto dialog = std::make_unique<LiveStreamSettingDialog>(LiveStreamSettingDialog::Desktop);
    // The dialog builds its form on first use; its owner loads it before it shows it.
    dialog->loadSetting();
    return dialog;
}

} // namespace

class TestLiveStreamSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void formsHaveTheirSizesAndTexts_data();
    void formsHaveTheirSizesAndTexts();
    void levelsFollowTheFrameSize_data();
    void levelsFollowTheFrameSize();
    void eachServiceKeepsItsOwnPair_data();
    void eachServiceKeepsItsOwnPair();
    void emptyAddressOrKeyStoresNothing_data();
    void emptyAddressOrKeyStoresNothing();
    void fieldsHoldOneLineOf256Characters_data();
    void fieldsHoldOneLineOf256Characters();
    void autoRecordNeedsPermissionAndTheAppliedValue_data();
    void autoRecordNeedsPermissionAndTheAppliedValue();
    void loadingShowsTheStoredValues();
    void theFormIsBuiltOnFirstUseWithTheStateSetBefore_data();
    void theFormIsBuiltOnFirstUseWithTheStateSetBefore();
    void retranslatingTheDialogResetsItsForm();
    void retranslatingThePageShowsTheStoredValuesAgain();
    void everyWayOutClosesLikeTheCloseButton_data();
    void everyWayOutClosesLikeTheCloseButton();
    void streamKeysStayPrivate_data();
    void streamKeysStayPrivate();
    void pageControlsSwitchTogether();

private:
    CapturedLog m_log;
};

void TestLiveStreamSettings::initTestCase()
{
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
    _LumideskLog::moduleId();
    Journix::getSysJournix()->setLogger(&m_log);
    Journix::getSysJournix()->setLogLevel(Journix::Debug);
    QVERIFY(Journix::getSysJournix()->startLog());
}

void TestLiveStreamSettings::init()
{
    QFile::remove(_GUID_SETTING_INI);
    m_log.lines.clear();
}

void TestLiveStreamSettings::cleanupTestCase()
{
    Journix::getSysJournix()->stopLog();
    Journix::getSysJournix()->setLogger(nullptr);
}

void TestLiveStreamSettings::formsHaveTheirSizesAndTexts_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("dialog") << "dialog" << "LiveStreamSettingDialog" << QRect(0, 0, 400, 279) << "Lumidesk - Stream Setting";
    QTest::newRow("dialog title") << "dialog" << "labelTitle" << QRect(5, 0, 191, 26) << "Stream Setting";
    QTest::newRow("dialog close") << "dialog" << "btnClose" << QRect(360, 0, 22, 22) << "";
    QTest::newRow("dialog body") << "dialog" << "frame" << QRect(0, 25, 400, 254) << "";
    QTest::newRow("dialog rows") << "dialog" << "widget" << QRect(3, 31, 394, 254) << "";
    QTest::newRow("dialog record") << "dialog" << "labelRecord" << QRect(0, -5, 394, 34) << "Automatic record";
    QTest::newRow("dialog record box") << "dialog" << "checkBoxRecord" << QRect(366, 4, 18, 18) << "";
    QTest::newRow("dialog service") << "dialog" << "labelService" << QRect(0, 30, 394, 34) << "Select Service";
    QTest::newRow("dialog service box") << "dialog" << "comboService" << QRect(256, 32, 127, 22) << "";
    QTest::newRow("dialog url") << "dialog" << "labelUrl" << QRect(0, 65, 394, 34) << "Stream URL";
    QTest::newRow("dialog url field") << "dialog" << "textEditUrl" << QRect(132, 69, 250, 25) << "";
    QTest::newRow("dialog key") << "dialog" << "labelKey" << QRect(0, 99, 394, 34) << "Stream Key";
    QTest::newRow("dialog key field") << "dialog" << "textEditKey" << QRect(132, 103, 250, 25) << "";
    QTest::newRow("dialog resolution") << "dialog" << "labelResolution" << QRect(0, 134, 394, 34) << "Resolution";
    QTest::newRow("dialog resolution box") << "dialog" << "comboResolution" << QRect(302, 131, 81, 34) << "";
    QTest::newRow("dialog apply") << "dialog" << "btnApply" << QRect(159, 199, 75, 25) << "Apply";
    QTest::newRow("page") << "page" << "LiveStreamSetting" << QRect(0, 0, 400, 365) << "Form";
    QTest::newRow("page title") << "page" << "labelTitle" << QRect(0, 0, 400, 34) << "Stream Setting";
    QTest::newRow("page record box") << "page" << "checkBoxRecord" << QRect(367, 50, 18, 18) << "";
    QTest::newRow("page service") << "page" << "lbService" << QRect(0, 89, 400, 55) << "Select Service";
    QTest::newRow("page service box") << "page" << "comboService" << QRect(257, 105, 127, 22) << "";
    QTest::newRow("page url") << "page" << "labelUrl" << QRect(0, 144, 400, 55) << "Stream Url";
    QTest::newRow("page url field") << "page" << "textEditUrl" << QRect(130, 160, 250, 25) << "";
    QTest::newRow("page key field") << "page" << "textEditKey" << QRect(130, 215, 250, 25) << "";
    QTest::newRow("page resolution box") << "page" << "comboResolution" << QRect(300, 266, 81, 31) << "";
    QTest::newRow("page apply") << "page" << "btnApply" << QRect(160, 325, 75, 25) << "Apply";
}

void TestLiveStreamSettings::formsHaveTheirSizesAndTexts()
{
    QFETCH(QString, form);
    QFETCH(QString, object);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    std::unique_ptr<QWidget> widget = makeForm(form);
    QWidget *found = widget->objectName() == object ? widget.get() : widget->findChild<QWidget *>(object);
    QVERIFY(found);
    QCOMPARE(found->geometry(), geometry);
    if (found == widget.get())
        QCOMPARE(found->windowTitle(), text);
    else if (auto *label = qobject_cast<QLabel *>(found))
        QCOMPARE(label->text(), text);
    else if (auto *button = qobject_cast<QToolButton *>(found))
        QCOMPARE(button->text(), text);

    const QStringList services{"YouTube", "Live", "USTREAM", "Others"};
    const QStringList levels{"1080p", "720p", "480p", "360p"};
    QCOMPARE(items(child<QComboBox>(widget.get(), "comboService")), services);
    QCOMPARE(items(child<QComboBox>(widget.get(), "comboResolution")), levels);
    if (form == QLatin1String("dialog")) {
        QVERIFY(widget->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(widget->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(widget->isModal());
        QCOMPARE(child<QTextEdit>(widget.get(), "textEditUrl")->focusPolicy(), Qt::ClickFocus);
    }
    for (const char *field : {"textEditUrl", "textEditKey"}) {
        auto *edit = child<QTextEdit>(widget.get(), field);
        QVERIFY(!edit->acceptRichText());
        QCOMPARE(edit->lineWrapMode(), QTextEdit::NoWrap);
        QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }
}

void TestLiveStreamSettings::levelsFollowTheFrameSize_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QList<int>>("supported");
    QTest::addColumn<int>("best");

    QTest::newRow("1920x1080") << QSize(1920, 1080) << QList<int>{0, 1, 2, 3} << 0;
    QTest::newRow("1920x1000") << QSize(1920, 1000) << QList<int>{1, 2, 3} << 1;
    QTest::newRow("1280x700") << QSize(1280, 700) << QList<int>{2, 3} << 2;
    QTest::newRow("480x360") << QSize(480, 360) << QList<int>{3} << 3;
    QTest::newRow("640x359") << QSize(640, 359) << QList<int>{} << 4;
    QTest::newRow("not told yet") << QSize(0, 0) << QList<int>{} << 4;
}

void TestLiveStreamSettings::levelsFollowTheFrameSize()
{
    QFETCH(QSize, frame);
    QFETCH(QList<int>, supported);
    QFETCH(int, best);
    const int heights[] = {1080, 720, 480, 360};

    for (int level = 0; level < 4; ++level) {
        QFile::remove(_GUID_SETTING_INI);
        LiveStreamSettingDialog dialog(LiveStreamSettingDialog::Camera);
        dialog.setFrameSize(frame.width(), frame.height());
        dialog.loadSetting();
        dialog.showSetting();
        QSignalSpy success(&dialog, &LiveStreamSettingDialog::settingSuccess);
        apply(&dialog, 0, QStringLiteral("rtmp://a.example/live"), QStringLiteral("k"), level);

        const bool accepted = supported.contains(level);
        QCOMPARE(success.count(), accepted ? 1 : 0);
        QCOMPARE(dialog.isVisible(), !accepted);
        QCOMPARE(dialog.notification()->isVisible(), !accepted);
        QCOMPARE(stored(QStringLiteral("Live/Resolution")).isValid(), accepted);
        if (!accepted) {
            const QString message = child<QLabel>(dialog.notification(), "labelMessage")->text();
            QVERIFY2(message.contains(QStringLiteral("to at least %1p.").arg(heights[level])), qPrintable(message));
            QVERIFY(message.contains(QStringLiteral("This camera is not set to proper resolution.")));
            QVERIFY(m_log.contains("Resolution not supported."));
        }
    }

    // A stored level the source cannot deliver is lowered, never raised, when a stream starts.
    for (int level = 0; level < 4; ++level) {
        store(QStringLiteral("Live/Resolution"), level);
        LiveStreamSettingDialog dialog(LiveStreamSettingDialog::Desktop);
        dialog.setFrameSize(frame.width(), frame.height());
        dialog.loadSetting();
        const int inForce = qMax(level, best);
        QCOMPARE(dialog.getResolutionLevel(), inForce);
        QCOMPARE(stored(QStringLiteral("Live/Resolution")).toInt(), inForce);
    }
}

void TestLiveStreamSettings::eachServiceKeepsItsOwnPair_data()
{
    QTest::addColumn<QString>("form");
    QTest::newRow("dialog") << "dialog";
    QTest::newRow("page") << "page";
}

void TestLiveStreamSettings::eachServiceKeepsItsOwnPair()
{
    QFETCH(QString, form);
    {
        LiveStreamSettingDialog dialog(LiveStreamSettingDialog::Desktop);
        dialog.setFrameSize(1920, 1080);
        dialog.loadSetting();
        dialog.showSetting();
        apply(&dialog, 0, QStringLiteral("rtmp://yt.example/live2"), QStringLiteral("yt-key"), 1);
    }
    std::unique_ptr<QWidget> widget = makeForm(form);
    if (auto *dialog = qobject_cast<LiveStreamSettingDialog *>(widget.get())) {
        dialog->setFrameSize(1920, 1080);
        dialog->loadSetting();
        dialog->showSetting();
    } else {
        static_cast<LiveStreamSetting *>(widget.get())->loadSetting();
    }
    apply(widget.get(), 2, QStringLiteral("rtmp://us.example/app"), QStringLiteral("us-key"), 3, true);

    QCOMPARE(stored(QStringLiteral("Live/Service")).toInt(), 2);
    QCOMPARE(stored(QStringLiteral("Live/UstreamUrl")).toString(), QStringLiteral("rtmp://us.example/app"));
    QCOMPARE(stored(QStringLiteral("Live/UstreamKey")).toString(), QStringLiteral("us-key"));
    QCOMPARE(stored(QStringLiteral("Live/YoutubeUrl")).toString(), QStringLiteral("rtmp://yt.example/live2"));
    QCOMPARE(stored(QStringLiteral("Live/YoutubeKey")).toString(), QStringLiteral("yt-key"));
    QCOMPARE(stored(QStringLiteral("Live/Resolution")).toInt(), 3);
    QCOMPARE(stored(QStringLiteral("Live/AutoRecord")).toBool(), true);
    QVERIFY(!stored(QStringLiteral("Live/LiveUrl")).isValid());
    QVERIFY(!stored(QStringLiteral("Live/OthersKey")).isValid());

    // Choosing YouTube again brings its own pair back into the fields.
    LiveStreamSettingDialog again(LiveStreamSettingDialog::Desktop);
    again.loadSetting();
    QCOMPARE(again.getStreamUrl(), QStringLiteral("rtmp://us.example/app"));
    again.showSetting();
    child<QComboBox>(&again, "comboService")->setCurrentIndex(0);
    QCOMPARE(child<QTextEdit>(&again, "textEditUrl")->toPlainText(), QStringLiteral("rtmp://yt.example/live2"));
    QCOMPARE(child<QTextEdit>(&again, "textEditKey")->toPlainText(), QStringLiteral("yt-key"));
    // The values in force stay those loaded until an apply.
    QCOMPARE(again.getServiceType(), 2);
    QCOMPARE(again.getStreamKey(), QStringLiteral("us-key"));
}

void TestLiveStreamSettings::emptyAddressOrKeyStoresNothing_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("logged");
    // What the notice tells the user.
    QTest::addColumn<QString>("notice");

    const QString noUrl = QStringLiteral("Stream URL is empty. Please enter the stream URL of your service.");
    const QString noKey = QStringLiteral("Stream Key is empty. Please enter the stream key of your service.");
    QTest::newRow("dialog, no address") << "dialog" << "" << "k" << QByteArray("Stream url is empty.") << noUrl;
    QTest::newRow("dialog, no key") << "dialog" << "rtmp://a.example/x" << "" << QByteArray("Stream key is empty.")
                                    << noKey;
    QTest::newRow("page, no address") << "page" << "" << "k" << QByteArray("Stream url is empty.") << noUrl;
    QTest::newRow("page, no key") << "page" << "rtmp://a.example/x" << "" << QByteArray("Stream key is empty.")
                                  << noKey;
}

void TestLiveStreamSettings::emptyAddressOrKeyStoresNothing()
{
    QFETCH(QString, form);
    QFETCH(QString, url);
    QFETCH(QString, key);
    QFETCH(QByteArray, logged);
    QFETCH(QString, notice);
    std::unique_ptr<QWidget> widget = makeForm(form);
    auto *dialog = qobject_cast<LiveStreamSettingDialog *>(widget.get());
    if (dialog) {
        dialog->setFrameSize(1920, 1080);
        dialog->showSetting();
    }
    NotificationDialog *shown = dialog ? dialog->notification()
                                       : qobject_cast<LiveStreamSetting *>(widget.get())->notification();
    QSignalSpy success(widget.get(), SIGNAL(settingSuccess()));
    apply(widget.get(), 1, url, key, 2);

    QCOMPARE(success.count(), 0);
    QVERIFY(liveKeys().isEmpty());
    QVERIFY(m_log.contains(logged));
    // The user learns it on screen, not only from the log.
    QVERIFY(shown->isVisible());
    QCOMPARE(child<QLabel>(shown, "labelTitle")->text(), QStringLiteral("Stream Notification"));
    QVERIFY(child<QLabel>(shown, "labelMessage")->text().contains(notice));
    shown->close();
    // The user's input stays for a correction.
    QCOMPARE(child<QTextEdit>(widget.get(), "textEditUrl")->toPlainText(), url);
    if (dialog) {
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->getShowSettingStatus());
    }
}

void TestLiveStreamSettings::fieldsHoldOneLineOf256Characters_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");

    QString letters;
    for (int i = 0; i < 300; ++i)
        letters.append(QChar(QLatin1Char('a' + i % 26)));
    const QString lines = letters.left(100) + QLatin1Char('\n') + letters.mid(100, 100) + QLatin1String("\r\n\t")
        + letters.mid(200);

    QTest::newRow("300 characters into an empty field") << "dialog" << "" << 0 << letters << letters.left(256);
    QTest::newRow("300 characters, page") << "page" << "" << 0 << letters << letters.left(256);
    QTest::newRow("pasted between text: the text around survives")
        << "dialog" << "ABCDEF" << 3 << letters << QLatin1String("ABC") + letters.left(250) + QLatin1String("DEF");
    QTest::newRow("line breaks and tabs are joined") << "dialog" << "" << 0 << "rtmp://a\n.example/\tx"
                                                     << "rtmp://a.example/x";
    QTest::newRow("the page keeps line breaks") << "page" << "" << 0 << "rtmp://a\n.example/x"
                                                << "rtmp://a\n.example/x";
    // Joining the lines puts the text back, with the cursor at its start: the first 256 survive.
    QTest::newRow("joined and still too long") << "dialog" << "" << 0 << lines << letters.left(256);
    QTest::newRow("exactly 256") << "dialog" << "" << 0 << letters.left(256) << letters.left(256);
}

void TestLiveStreamSettings::fieldsHoldOneLineOf256Characters()
{
    QFETCH(QString, form);
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    std::unique_ptr<QWidget> widget = makeForm(form);
    for (const char *name : {"textEditUrl", "textEditKey"}) {
        auto *edit = child<QTextEdit>(widget.get(), name);
        edit->setPlainText(before);
        QTextCursor at = edit->textCursor();
        at.setPosition(cursor);
        edit->setTextCursor(at);
        edit->insertPlainText(pasted);
        QCOMPARE(edit->toPlainText(), after);
    }
}

void TestLiveStreamSettings::autoRecordNeedsPermissionAndTheAppliedValue_data()
{
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<bool>("boxAfterwards");
    QTest::addColumn<bool>("status");

    QTest::newRow("allowed and applied") << true << true << true << true;
    QTest::newRow("box ticked, not allowed") << false << true << true << false;
    QTest::newRow("allowed, applied off, box ticked later") << true << false << true << false;
}

void TestLiveStreamSettings::autoRecordNeedsPermissionAndTheAppliedValue()
{
    QFETCH(bool, allowed);
    QFETCH(bool, applied);
    QFETCH(bool, boxAfterwards);
    QFETCH(bool, status);
    LiveStreamSettingDialog dialog(LiveStreamSettingDialog::Desktop);
    dialog.setFrameSize(1920, 1080);
    dialog.loadSetting();
    dialog.showSetting();
    apply(&dialog, 0, QStringLiteral("rtmp://a.example/x"), QStringLiteral("k"), 1, applied);
    dialog.enableAutoRecord(allowed);
    QCOMPARE(child<QCheckBox>(&dialog, "checkBoxRecord")->isEnabled(), allowed);
    child<QCheckBox>(&dialog, "checkBoxRecord")->setChecked(boxAfterwards);
    QCOMPARE(dialog.getAutoRecordStatus(), status);
}

void TestLiveStreamSettings::loadingShowsTheStoredValues()
{
    // Nothing stored: YouTube, 720p, no recording.
    LiveStreamSettingDialog dialog(LiveStreamSettingDialog::Desktop);
    dialog.loadSetting();
    QCOMPARE(child<QComboBox>(&dialog, "comboResolution")->currentText(), QStringLiteral("720p"));
    QCOMPARE(dialog.getServiceType(), 0);
    QCOMPARE(dialog.getResolutionLevel(), 4);

    store(QStringLiteral("Live/Service"), 1);
    store(QStringLiteral("Live/LiveUrl"), QStringLiteral("rtmp://live.example/in"));
    store(QStringLiteral("Live/LiveKey"), QStringLiteral("live-key"));
    dialog.loadSetting();
    QCOMPARE(dialog.getStreamUrl(), QStringLiteral("rtmp://live.example/in"));

    // A service outside the list: no current item, the previous pair stays in force and in the fields.
    store(QStringLiteral("Live/Service"), 7);
    dialog.loadSetting();
    QCOMPARE(child<QComboBox>(&dialog, "comboService")->currentIndex(), -1);
    QCOMPARE(dialog.getStreamUrl(), QStringLiteral("rtmp://live.example/in"));
    QCOMPARE(dialog.getStreamKey(), QStringLiteral("live-key"));
    QCOMPARE(child<QTextEdit>(&dialog, "textEditKey")->toPlainText(), QStringLiteral("live-key"));
}

void TestLiveStreamSettings::theFormIsBuiltOnFirstUseWithTheStateSetBefore_data()
{
    QTest::addColumn<QString>("use");
    QTest::newRow("show") << "show";
    QTest::newRow("showSetting") << "showSetting";
    QTest::newRow("loadSetting") << "loadSetting";
}

void TestLiveStreamSettings::theFormIsBuiltOnFirstUseWithTheStateSetBefore()
{
    QFETCH(QString, use);
    LiveStreamSettingDialog dialog(LiveStreamSettingDialog::Desktop);
    dialog.setFrameSize(1920, 1080);
    // What the owner does at start: translate the dialog and forbid recording with the stream.
    dialog.updateString();
    dialog.enableAutoRecord(false);
    QVERIFY(!dialog.hasForm());
    QVERIFY(dialog.findChildren<QTextEdit *>().isEmpty());

    if (use == QLatin1String("show"))
        dialog.show();
    else if (use == QLatin1String("showSetting"))
        dialog.showSetting();
    else
        dialog.loadSetting();
    QVERIFY(dialog.hasForm());
    QCOMPARE(dialog.findChildren<QTextEdit *>().size(), 2);
    QVERIFY(!child<QCheckBox>(&dialog, "checkBoxRecord")->isEnabled());
    QCOMPARE(dialog.size(), QSize(400, 279));
}

void TestLiveStreamSettings::retranslatingTheDialogResetsItsForm()
{
    store(QStringLiteral("Live/Service"), 2);
    store(QStringLiteral("Live/UstreamUrl"), QStringLiteral("rtmp://us.example/app"));
    store(QStringLiteral("Live/UstreamKey"), QStringLiteral("us-key"));
    store(QStringLiteral("Live/Resolution"), 3);
    LiveStreamSettingDialog dialog(LiveStreamSettingDialog::Desktop);
    dialog.loadSetting();
    dialog.updateString();
    QCOMPARE(child<QComboBox>(&dialog, "comboService")->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(&dialog, "comboResolution")->currentIndex(), 0);
    QVERIFY(child<QTextEdit>(&dialog, "textEditUrl")->toPlainText().isEmpty());
    QCOMPARE(dialog.getStreamKey(), QStringLiteral("us-key"));
}

// What the page shows after a language change is what is stored then: the live-stream dialog may have
// stored other values since the page was loaded, and edits never applied are dropped.
void TestLiveStreamSettings::retranslatingThePageShowsTheStoredValuesAgain()
{
    store(QStringLiteral("Live/Service"), 1);
    store(QStringLiteral("Live/LiveUrl"), QStringLiteral("rtmp://live.example/in"));
    store(QStringLiteral("Live/LiveKey"), QStringLiteral("live-key"));
    store(QStringLiteral("Live/Resolution"), 3);
    LiveStreamSetting page;
    page.loadSetting();
    child<QTextEdit>(&page, "textEditKey")->setPlainText(QStringLiteral("typed, never applied"));

    store(QStringLiteral("Live/AutoRecord"), true);
    store(QStringLiteral("Live/Service"), 2);
    store(QStringLiteral("Live/UstreamUrl"), QStringLiteral("rtmp://us.example/app"));
    store(QStringLiteral("Live/UstreamKey"), QStringLiteral("us-key"));
    store(QStringLiteral("Live/Resolution"), 0);
    page.updateString();
    QVERIFY(child<QCheckBox>(&page, "checkBoxRecord")->isChecked());
    QCOMPARE(child<QComboBox>(&page, "comboService")->currentIndex(), 2);
    QCOMPARE(child<QComboBox>(&page, "comboResolution")->currentText(), QStringLiteral("1080p"));
    QCOMPARE(child<QTextEdit>(&page, "textEditUrl")->toPlainText(), QStringLiteral("rtmp://us.example/app"));
    QCOMPARE(child<QTextEdit>(&page, "textEditKey")->toPlainText(), QStringLiteral("us-key"));
}

void TestLiveStreamSettings::everyWayOutClosesLikeTheCloseButton_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("close button") << "button";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("window closed") << "close";
}

void TestLiveStreamSettings::everyWayOutClosesLikeTheCloseButton()
{
    QFETCH(QString, how);
    store(QStringLiteral("Live/OthersUrl"), QStringLiteral("rtmp://o.example/x"));
    LiveStreamSettingDialog dialog(LiveStreamSettingDialog::Desktop);
    dialog.loadSetting();
    dialog.showSetting();
    QVERIFY(dialog.getShowSettingStatus());

    if (how == QLatin1String("button"))
        QTest::mouseClick(child<QToolButton>(&dialog, "btnClose"), Qt::LeftButton);
    else if (how == QLatin1String("escape"))
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        dialog.close();

    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.getShowSettingStatus());
    // The boxes are no longer followed while hidden.
    child<QComboBox>(&dialog, "comboService")->setCurrentIndex(3);
    QVERIFY(child<QTextEdit>(&dialog, "textEditUrl")->toPlainText().isEmpty());
}

void TestLiveStreamSettings::streamKeysStayPrivate_data()
{
    QTest::addColumn<QString>("form");
    QTest::newRow("dialog") << "dialog";
    QTest::newRow("page") << "page";
}

void TestLiveStreamSettings::streamKeysStayPrivate()
{
    QFETCH(QString, form);
    // A settings file made earlier by another part of the program, readable by everyone.
    store(QStringLiteral("Guid/Enabled"), 0);
    QFile::setPermissions(_GUID_SETTING_INI, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);

    std::unique_ptr<QWidget> widget = makeForm(form);
    if (auto *dialog = qobject_cast<LiveStreamSettingDialog *>(widget.get())) {
        dialog->setFrameSize(1280, 720);
        dialog->loadSetting();
        dialog->showSetting();
        // Refused (1080p from a 720p source) and then accepted.
        apply(widget.get(), 3, QStringLiteral("rtmp://o.example/x"), SecretKey, 0);
        QVERIFY(!stored(QStringLiteral("Live/OthersKey")).isValid());
        QVERIFY(dialog->notification()->isVisible());
        dialog->notification()->close();
    }
    apply(widget.get(), 3, QStringLiteral("rtmp://o.example/x"), SecretKey, 2);
    QCOMPARE(stored(QStringLiteral("Live/OthersKey")).toString(), SecretKey);

    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    QCOMPARE(QFile::permissions(_GUID_SETTING_INI), ownerOnly);
    // Later writes through QSettings keep the file owner-only.
    store(QStringLiteral("Guid/Enabled"), 1);
    QCOMPARE(QFile::permissions(_GUID_SETTING_INI), ownerOnly);
    QVERIFY(!m_log.lines.isEmpty() || form == QLatin1String("page"));
    QVERIFY(!m_log.contains(SecretKey.toUtf8()));
}

void TestLiveStreamSettings::pageControlsSwitchTogether()
{
    store(QStringLiteral("Live/Service"), 3);
    store(QStringLiteral("Live/OthersUrl"), QStringLiteral("rtmp://o.example/x"));
    LiveStreamSetting page;
    page.loadSetting();
    page.enableBtnClick(false);
    for (const char *name : {"checkBoxRecord", "comboService", "textEditUrl", "textEditKey", "comboResolution", "btnApply"})
        QVERIFY2(!child<QWidget>(&page, name)->isEnabled(), name);
    QVERIFY(child<QLabel>(&page, "labelUrl")->isEnabled());
    QCOMPARE(child<QTextEdit>(&page, "textEditUrl")->toPlainText(), QStringLiteral("rtmp://o.example/x"));
    page.enableBtnClick(true);
    QVERIFY(child<QToolButton>(&page, "btnApply")->isEnabled());
}

QTEST_MAIN(TestLiveStreamSettings)
#include "tst_dialogs_livestream.moc"
