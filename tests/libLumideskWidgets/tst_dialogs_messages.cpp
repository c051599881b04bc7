// The notification and warning dialogs: their look, fitting to the message, closing, and their forms
// built on first use.
#include "livewarningdialog.h"
#include "notificationdialog.h"
#include "popupbutton.h"
#include "warningdialog.h"

#include <QFrame>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

#include <memory>

namespace {
template<typename T>
T *child(QWidget *dialog, const char *name)
{
    T *found = dialog->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("missing form member %s", name);
    return found;
}

std::unique_ptr<QDialog> makeDialog(const QString &kind, QWidget *parent = nullptr)
{
    if (kind == "NotificationDialog")
        return std::make_unique<NotificationDialog>(parent);
    if (kind == "WarningDialog")
        return std::make_unique<WarningDialog>(parent);
    return std::make_unique<LiveWarningDialog>(parent);
}

const QString SlowMessage = "Your Internet connection is slow, so the stream may not run smoothly.\n"
                            "Please check your Internet connection or contact your IT guy.";

// The OK buttons in another language.
class OkTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *, const char *source, const char *, int) const override
    {
        return QLatin1String(source) == QLatin1String("OK") ? QStringLiteral("Gut") : QString();
    }
};

QPoint centredOnScreen(const QSize &size)
{
    return QGuiApplication::primaryScreen()->geometry().center() - QPoint(size.width() / 2, size.height() / 2);
}

// What the owners do at start: place the dialog in the middle of the screen and pass the language on.
void startUp(QDialog *dialog, const QString &lang)
{
    dialog->move(centredOnScreen(dialog->size()));
    if (auto *notification = qobject_cast<NotificationDialog *>(dialog))
        notification->updateString();
    if (auto *warning = qobject_cast<WarningDialog *>(dialog))
        warning->updateString();
    if (auto *liveWarning = qobject_cast<LiveWarningDialog *>(dialog))
        liveWarning->updateString(lang);
}

// How the owners show it: texts first, then the show, then the fit.
void showAsOwners(QDialog *dialog, const QString &title, const QString &message, int mode)
{
    auto *notification = qobject_cast<NotificationDialog *>(dialog);
    if (notification) {
        notification->setTitle(title);
        notification->setMessage(message);
    }
    dialog->show();
    if (notification)
        notification->autoAdjustSize(mode);
    if (auto *liveWarning = qobject_cast<LiveWarningDialog *>(dialog))
        liveWarning->autoAdjustSize();
}

// Builds the form without a show, as the constructors did: each of these is a first use.
void buildForm(QDialog *dialog)
{
    if (auto *notification = qobject_cast<NotificationDialog *>(dialog))
        notification->setTitle(QString());
    if (auto *warning = qobject_cast<WarningDialog *>(dialog))
        warning->setTitle(QString());
    if (auto *liveWarning = qobject_cast<LiveWarningDialog *>(dialog))
        liveWarning->autoAdjustSize();
}

bool hasForm(QDialog *dialog)
{
    if (auto *notification = qobject_cast<NotificationDialog *>(dialog))
        return notification->hasForm();
    if (auto *warning = qobject_cast<WarningDialog *>(dialog))
        return warning->hasForm();
    return static_cast<LiveWarningDialog *>(dialog)->hasForm();
}

QString textOf(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    return QString();
}
}

class TestDialogsMessages : public QObject
{
    Q_OBJECT

private slots:
    void dialogsShareOneLook_data();
    void dialogsShareOneLook();
    void buttonsClose_data();
    void buttonsClose();
    void imagesOfTheLooksExist();
    void formsAreBuiltOnFirstUseAsTheyWereBefore_data();
    void formsAreBuiltOnFirstUseAsTheyWereBefore();

    void notificationFitsTheMessage_data();
    void notificationFitsTheMessage();
    void notificationGrowsWithALongMessage();
    void notificationTextsAndTranslation();

    void liveWarningRowPerLanguage_data();
    void liveWarningRowPerLanguage();
    void liveWarningTexts();
};

void TestDialogsMessages::dialogsShareOneLook_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("windowTitle");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QRect>("content");
    QTest::addColumn<QPoint>("ok");
    QTest::addColumn<int>("closeX");
    QTest::newRow("notification") << "NotificationDialog" << QSize(476, 300) << "Lumidesk - Notice"
                                  << "Stream Notification" << QRect(0, 28, 476, 272) << QPoint(200, 222) << 451;
    QTest::newRow("warning") << "WarningDialog" << QSize(596, 265) << "Lumidesk - Warning" << "Tivlo"
                             << QRect(0, 28, 595, 237) << QPoint(257, 185) << 560;
    QTest::newRow("live warning") << "LiveWarningDialog" << QSize(664, 260) << "Lumidesk - Stream Warning"
                                  << "Lumidesk" << QRect(0, 28, 664, 237) << QPoint(257, 185) << 629;
}

void TestDialogsMessages::dialogsShareOneLook()
{
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    QFETCH(QString, windowTitle);
    QFETCH(QString, title);
    QFETCH(QRect, content);
    QFETCH(QPoint, ok);
    QFETCH(int, closeX);
    std::unique_ptr<QDialog> dialog = makeDialog(kind);

    QCOMPARE(int(dialog->windowFlags()), 0x803);
    QVERIFY(dialog->testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(dialog->isModal());
    dialog->show();
    QCOMPARE(dialog->size(), size);
    QCOMPARE(dialog->windowTitle(), windowTitle);
    QCOMPARE(child<QLabel>(dialog.get(), "labelTitle")->text(), title);
    QCOMPARE(child<QFrame>(dialog.get(), "frameContent")->geometry(), content);
    auto *okButton = child<QToolButton>(dialog.get(), "btnOk");
    QCOMPARE(okButton->geometry(), QRect(ok, QSize(75, 25)));
    QCOMPARE(okButton->text(), QString("OK"));
    auto *closeButton = child<QToolButton>(dialog.get(), "btnClose");
    QCOMPARE(closeButton->geometry(), QRect(closeX, 0, 22, 22));
    QVERIFY(closeButton->text().isEmpty());
    QCOMPARE(child<QFrame>(dialog.get(), "frameLeft")->geometry(), QRect(0, 0, 10, 28));
}

void TestDialogsMessages::buttonsClose_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("button");
    for (const char *kind : {"NotificationDialog", "WarningDialog", "LiveWarningDialog"}) {
        for (const char *button : {"btnOk", "btnClose"})
            QTest::addRow("%s %s", kind, button) << kind << button;
    }
}

void TestDialogsMessages::buttonsClose()
{
    QFETCH(QString, kind);
    QFETCH(QString, button);
    std::unique_ptr<QDialog> dialog = makeDialog(kind);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));

    // Owners clear their "shown" flag on the signal, so it must come while the dialog still shows.
    QList<bool> visibleAtSignal;
    if (auto *notification = qobject_cast<NotificationDialog *>(dialog.get())) {
        connect(notification, &NotificationDialog::closeNotificationDialog, this,
                [&visibleAtSignal, notification] { visibleAtSignal << notification->isVisible(); });
    }
    QTest::mouseClick(child<QToolButton>(dialog.get(), qPrintable(button)), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    if (kind == "NotificationDialog")
        QCOMPARE(visibleAtSignal, QList<bool>{true});
    // Closing only hides: the owner shows the same dialog again later.
    dialog->show();
    QVERIFY(dialog->isVisible());
}

void TestDialogsMessages::imagesOfTheLooksExist()
{
    NotificationDialog notification(nullptr);
    WarningDialog warning(nullptr);
    LiveWarningDialog liveWarning(nullptr);
    PopupButton popup;
    for (QDialog *dialog : {static_cast<QDialog *>(&notification), static_cast<QDialog *>(&warning),
                            static_cast<QDialog *>(&liveWarning)})
        dialog->show();
    const QRegularExpression url(QStringLiteral("url\\((:[^)]+)\\)"));
    QStringList checked;
    for (QWidget *top : {static_cast<QWidget *>(&notification), static_cast<QWidget *>(&warning),
                         static_cast<QWidget *>(&liveWarning), static_cast<QWidget *>(&popup)}) {
        QList<QWidget *> widgets = top->findChildren<QWidget *>();
        widgets << top;
        for (QWidget *widget : widgets) {
            auto it = url.globalMatch(widget->styleSheet());
            while (it.hasNext()) {
                const QString path = it.next().captured(1);
                QVERIFY2(!QImageReader(path).size().isEmpty(), qPrintable(path + " does not load"));
                checked << path;
            }
        }
    }
    QVERIFY(checked.size() > 20);

    // The sizes the forms are laid out for.
    const QList<QPair<QString, QSize>> sizes = {
        {":/mainToolbar/resources/mainToolbar/bg_win28_l.png", QSize(10, 28)},
        {":/mainToolbar/resources/mainToolbar/bg_win28_r.png", QSize(10, 28)},
        {":/mainToolbar/resources/mainToolbar/btn_x_normal.png", QSize(22, 22)},
        {":/cameraSetting/resources/cameraSetting/btn_choose_normal.png", QSize(75, 25)},
        {":/pip/resources/pip/icon_p_error_b.png", QSize(42, 38)},
        {":/pip/resources/pip/icon_p_error_c.png", QSize(42, 38)},
        {":/pip/resources/pip/btn_cam_hd_2_p_normal.png", QSize(116, 46)},
        {":/pip/resources/pip/bg_p_menu46.png", QSize(46, 46)},
    };
    for (const auto &expected : sizes)
        QCOMPARE(QImageReader(expected.first).size(), expected.second);
}

void TestDialogsMessages::formsAreBuiltOnFirstUseAsTheyWereBefore_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("message"); // the notice's when shown; the upload warning's at start
    QTest::addColumn<int>("mode");
    QTest::newRow("notice") << "NotificationDialog" << "" << "Only 5 MB left.<br/>Free some space." << 0;
    QTest::newRow("notice, taller") << "NotificationDialog" << "" << "The picture was lost." << 1;
    QTest::newRow("frame-rate warning") << "WarningDialog" << "" << "" << 0;
    QTest::newRow("upload warning, English") << "LiveWarningDialog" << "en_US" << "" << 0;
    QTest::newRow("upload warning, Japanese") << "LiveWarningDialog" << "ja_jp" << "" << 0;
    QTest::newRow("upload warning, its own message") << "LiveWarningDialog" << "ru_ru" << "Upload 0.4 Mbit/s" << 0;
}

// The owners make these dialogs at start and seldom show them: the form waits for the first show, even
// through the owner's own first show, which styles every widget of its dialogs. Once shown, a dialog is
// what it was with its form built at once: the same place and size, the same texts in the language then
// in force.
void TestDialogsMessages::formsAreBuiltOnFirstUseAsTheyWereBefore()
{
    QFETCH(QString, kind);
    QFETCH(QString, lang);
    QFETCH(QString, message);
    QFETCH(int, mode);
    QWidget owner;
    owner.resize(200, 100);
    // Owned by the owner, as the owners make them.
    QDialog *lazy = makeDialog(kind, &owner).release();
    const QSize formSize = [&kind] {
        std::unique_ptr<QDialog> shown = makeDialog(kind);
        shown->show();
        return shown->size();
    }();
    std::unique_ptr<QDialog> eager = makeDialog(kind);
    buildForm(eager.get());

    OkTranslator german;
    QVERIFY(QCoreApplication::installTranslator(&german));
    for (QDialog *dialog : {lazy, eager.get()}) {
        startUp(dialog, lang);
        if (!message.isEmpty() && kind == "LiveWarningDialog")
            static_cast<LiveWarningDialog *>(dialog)->setMessage(message);
    }
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    QVERIFY(!hasForm(lazy));
    QVERIFY(lazy->findChildren<QWidget *>().isEmpty());

    const QString title = kind == "NotificationDialog" ? QStringLiteral("Disk full") : QString();
    for (QDialog *dialog : {lazy, eager.get()})
        showAsOwners(dialog, title, message, mode);
    QCoreApplication::removeTranslator(&german);
    QVERIFY(hasForm(lazy));
    // Where the owner placed it, for the size of its form.
    QCOMPARE(lazy->pos(), centredOnScreen(formSize));
    QCOMPARE(lazy->size(), eager->size());
    const QList<QWidget *> formWidgets = eager->findChildren<QWidget *>();
    QCOMPARE(lazy->findChildren<QWidget *>().size(), formWidgets.size());
    for (QWidget *widget : formWidgets) {
        QWidget *built = child<QWidget>(lazy, qPrintable(widget->objectName()));
        QCOMPARE(built->geometry(), widget->geometry());
        QCOMPARE(textOf(built), textOf(widget));
    }
    QCOMPARE(child<QToolButton>(lazy, "btnOk")->text(), QStringLiteral("Gut"));
    if (!title.isEmpty())
        QCOMPARE(child<QLabel>(lazy, "labelTitle")->text(), title);
    if (!message.isEmpty()) {
        const QLabel *text = lazy->findChild<QLabel *>(kind == "NotificationDialog" ? "labelMessage" : "lbContent");
        QVERIFY2(text->text().contains(message), qPrintable(text->text()));
    }

    // The buttons close it from the first show on.
    eager->hide();
    QVERIFY(QTest::qWaitForWindowExposed(lazy));
    QTest::mouseClick(child<QToolButton>(lazy, "btnOk"), Qt::LeftButton);
    QVERIFY(!lazy->isVisible());
}

void TestDialogsMessages::notificationFitsTheMessage_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("messageHeight");
    QTest::addColumn<int>("dialogHeight");
    QTest::addColumn<int>("contentHeight");
    QTest::newRow("mode 0, short") << 0 << 40 << 136 << 108;
    QTest::newRow("mode 0, 80 high") << 0 << 80 << 176 << 148;
    QTest::newRow("mode 0, 81 high") << 0 << 81 << 157 << 129;
    QTest::newRow("mode 0, tall") << 0 << 100 << 176 << 148;
    QTest::newRow("mode 1") << 1 << 40 << 160 << 132;
    QTest::newRow("mode 2") << 2 << 40 << 116 << 88;
    QTest::newRow("mode 3") << 3 << 100 << 196 << 168;
    QTest::newRow("unknown mode keeps the size") << 7 << 40 << 300 << 272;
    QTest::newRow("negative mode keeps the size") << -1 << 40 << 300 << 272;
}

void TestDialogsMessages::notificationFitsTheMessage()
{
    QFETCH(int, mode);
    QFETCH(int, messageHeight);
    QFETCH(int, dialogHeight);
    QFETCH(int, contentHeight);
    NotificationDialog dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // A message label of known height stands in for a message of so many lines.
    child<QLabel>(&dialog, "labelMessage")->setFixedHeight(messageHeight);
    dialog.autoAdjustSize(mode);

    QCOMPARE(child<QLabel>(&dialog, "labelMessage")->height(), messageHeight);
    QCOMPARE(dialog.size(), QSize(476, dialogHeight));
    QCOMPARE(child<QFrame>(&dialog, "frameContent")->size(), QSize(476, contentHeight));
    QCOMPARE(child<QToolButton>(&dialog, "btnOk")->pos(), QPoint(200, contentHeight - 55));
}

void TestDialogsMessages::notificationGrowsWithALongMessage()
{
    NotificationDialog dialog(nullptr);
    dialog.setMessage("Saved.");
    auto *label = child<QLabel>(&dialog, "labelMessage");
    dialog.show();
    dialog.autoAdjustSize(3);
    const int shortHeight = dialog.height();

    // As the owners do it: a new message on a dialog shown before, fitted at once (no event loop turn).
    dialog.hide();
    dialog.setMessage(QString("The disk is almost full. ").repeated(12));
    dialog.show();
    dialog.autoAdjustSize(3);
    QVERIFY2(dialog.height() > shortHeight + 40, qPrintable(QString::number(dialog.height())));
    QCOMPARE(dialog.height(), label->height() + 96);
    // Every wrapped line fits in the label.
    QVERIFY2(label->height() >= label->heightForWidth(label->width()),
             qPrintable(QString("%1 < %2").arg(label->height()).arg(label->heightForWidth(label->width()))));
}

void TestDialogsMessages::notificationTextsAndTranslation()
{
    NotificationDialog dialog(nullptr);
    dialog.show();
    auto *title = child<QLabel>(&dialog, "labelTitle");
    auto *message = child<QLabel>(&dialog, "labelMessage");
    const QString defaultMessage = message->text();
    QVERIFY(defaultMessage.startsWith("You can only stream content on one device at a time."));

    dialog.setTitle("Disk full");
    dialog.setMessage("Only 5 MB left.<br/>Free some space.");
    QCOMPARE(title->text(), QString("Disk full"));
    QCOMPARE(message->text(),
             QString("<p style=\"line-height:130%\">Only 5 MB left.<br/>Free some space.</p>"));
    // Placeholders in the message are not expanded a second time.
    dialog.setMessage("100% done, %1 left");
    QCOMPARE(message->text(), QString("<p style=\"line-height:130%\">100% done, %1 left</p>"));

    dialog.updateString();
    QCOMPARE(title->text(), QString("Stream Notification"));
    QCOMPARE(message->text(), defaultMessage);
}

void TestDialogsMessages::liveWarningRowPerLanguage_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<int>("rowHeight");
    QTest::addColumn<bool>("shownFirst");
    for (bool shown : {false, true}) {
        const char *when = shown ? "shown" : "hidden";
        QTest::addRow("ja_jp %s", when) << "ja_jp" << 80 << shown;
        QTest::addRow("ru_ru %s", when) << "ru_ru" << 80 << shown;
        QTest::addRow("en_US %s", when) << "en_US" << 60 << shown;
        QTest::addRow("JA_JP %s", when) << "JA_JP" << 60 << shown;
        QTest::addRow("empty %s", when) << "" << 60 << shown;
    }
}

void TestDialogsMessages::liveWarningRowPerLanguage()
{
    QFETCH(QString, lang);
    QFETCH(int, rowHeight);
    QFETCH(bool, shownFirst);
    LiveWarningDialog dialog(nullptr);
    dialog.updateString(lang);
    // The camera window fits the dialog before showing it, the panel after.
    if (shownFirst) {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    dialog.autoAdjustSize();
    dialog.show();

    auto *row = child<QWidget>(&dialog, "widget");
    auto *text = child<QLabel>(&dialog, "lbContent");
    QCOMPARE(row->geometry(), QRect(7, 20, 652, rowHeight));
    QCOMPARE(text->height(), rowHeight);
    QCOMPARE(text->width(), 470);
    QCOMPARE(dialog.size(), QSize(664, rowHeight + 118));
    QCOMPARE(child<QFrame>(&dialog, "frameContent")->size(), QSize(664, rowHeight + 90));
    QCOMPARE(child<QToolButton>(&dialog, "btnOk")->pos(), QPoint((664 - 75) / 2, rowHeight + 90 - 55));
}

void TestDialogsMessages::liveWarningTexts()
{
    LiveWarningDialog dialog(nullptr);
    dialog.show();
    auto *text = child<QLabel>(&dialog, "lbContent");
    QCOMPARE(text->text(), "<p style=\"line-height:130%\">" + SlowMessage + "</p>");
    dialog.updateString("de_DE");
    QCOMPARE(text->text(), SlowMessage);
    dialog.setMessage("Upload 0.4 Mbit/s");
    QCOMPARE(text->text(), QString("<p style=\"line-height:130%\">Upload 0.4 Mbit/s</p>"));

    WarningDialog warning(nullptr);
    warning.show();
    warning.updateString();
    QCOMPARE(child<QLabel>(&warning, "lbContent")->text(),
             QString("Currently your computer cannot render the  selected frame rate smoothly."));
    QCOMPARE(child<QLabel>(&warning, "labelMessage3")->text(),
             QString("Please close other applications running in the background"));
}

QTEST_MAIN(TestDialogsMessages)
#include "tst_dialogs_messages.moc"
