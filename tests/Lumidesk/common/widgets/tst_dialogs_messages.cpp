// The notification and warning dialogs: their look, fitting to the message, and closing.
#include "common/widgets/livewarningdialog.h"
#include "common/widgets/notificationdialog.h"
#include "common/widgets/popupbutton.h"
#include "common/widgets/warningdialog.h"

#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

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

std::unique_ptr<QDialog> makeDialog(const QString &kind)
{
    if (kind == "NotificationDialog")
        return std::make_unique<NotificationDialog>(nullptr);
    if (kind == "WarningDialog")
        return std::make_unique<WarningDialog>(nullptr);
    return std::make_unique<LiveWarningDialog>(nullptr);
}

const QString SlowMessage = "Your Internet connection is slow, so the stream may not run smoothly.\n"
                            "Please check your Internet connection or contact your IT guy.";
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
    QTest::addColumn<QString>("title");
    QTest::addColumn<QRect>("content");
    QTest::addColumn<QPoint>("ok");
    QTest::addColumn<int>("closeX");
    QTest::newRow("notification") << "NotificationDialog" << QSize(476, 300) << "Stream Notification"
                                  << QRect(0, 28, 476, 272) << QPoint(200, 222) << 451;
    QTest::newRow("warning") << "WarningDialog" << QSize(596, 265) << "Tivlo" << QRect(0, 28, 595, 237)
                             << QPoint(257, 185) << 560;
    QTest::newRow("live warning") << "LiveWarningDialog" << QSize(664, 260) << "Lumidesk"
                                  << QRect(0, 28, 664, 237) << QPoint(257, 185) << 629;
}

void TestDialogsMessages::dialogsShareOneLook()
{
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    QFETCH(QString, title);
    QFETCH(QRect, content);
    QFETCH(QPoint, ok);
    QFETCH(int, closeX);
    std::unique_ptr<QDialog> dialog = makeDialog(kind);

    QCOMPARE(int(dialog->windowFlags()), 0x803);
    QVERIFY(dialog->testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(dialog->isModal());
    QCOMPARE(dialog->size(), size);
    QCOMPARE(dialog->windowTitle(), QString("Dialog"));
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
    // A message label of known height stands in for a message of so many lines.
    child<QLabel>(&dialog, "labelMessage")->setFixedHeight(messageHeight);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.autoAdjustSize(mode);

    QCOMPARE(child<QLabel>(&dialog, "labelMessage")->height(), messageHeight);
    QCOMPARE(dialog.size(), QSize(476, dialogHeight));
    QCOMPARE(child<QFrame>(&dialog, "frameContent")->size(), QSize(476, contentHeight));
    QCOMPARE(child<QToolButton>(&dialog, "btnOk")->pos(), QPoint(200, contentHeight - 55));
}

void TestDialogsMessages::notificationGrowsWithALongMessage()
{
    NotificationDialog dialog(nullptr);
    auto *label = child<QLabel>(&dialog, "labelMessage");
    dialog.setMessage("Saved.");
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
    auto *text = child<QLabel>(&dialog, "lbContent");
    QCOMPARE(text->text(), "<p style=\"line-height:130%\">" + SlowMessage + "</p>");
    dialog.updateString("de_DE");
    QCOMPARE(text->text(), SlowMessage);
    dialog.setMessage("Upload 0.4 Mbit/s");
    QCOMPARE(text->text(), QString("<p style=\"line-height:130%\">Upload 0.4 Mbit/s</p>"));

    WarningDialog warning(nullptr);
    warning.updateString();
    QCOMPARE(child<QLabel>(&warning, "lbContent")->text(),
             QString("Currently your computer cannot render the  selected frame rate smoothly."));
    QCOMPARE(child<QLabel>(&warning, "labelMessage3")->text(),
             QString("Please close other applications running in the background"));
}

QTEST_MAIN(TestDialogsMessages)
#include "tst_dialogs_messages.moc"
