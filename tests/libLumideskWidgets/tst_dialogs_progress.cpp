// The high-quality capture progress strip.
#include "progressdialog.h"

#include <QLabel>
#include <QMovie>
#include <QTest>

class TestDialogsProgress : public QObject
{
    Q_OBJECT

private slots:
    void animatesFromConstruction();
};

void TestDialogsProgress::animatesFromConstruction()
{
    QWidget owner;
    auto *dialog = new ProgressDialog(&owner);
    QCOMPARE(dialog->parent(), &owner);
    QCOMPARE(int(dialog->windowFlags()), 0x803);
    QVERIFY(dialog->testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(dialog->isModal());
    QCOMPARE(dialog->size(), QSize(155, 44));
    QCOMPARE(dialog->findChild<QLabel *>("label")->text(), QString("HQ Capture ..."));

    // Running while hidden, so the strip is already moving when the capture starts.
    QMovie *movie = dialog->findChild<QLabel *>("lbWait")->movie();
    QVERIFY(movie);
    QVERIFY(movie->isValid());
    QCOMPARE(movie->state(), QMovie::Running);
    QVERIFY(movie->frameCount() > 1);
    QCOMPARE(movie->currentImage().size(), QSize(20, 20));
    QVERIFY(!dialog->isVisible());
    const int first = movie->currentFrameNumber();
    QTRY_VERIFY(movie->currentFrameNumber() != first);
}

QTEST_MAIN(TestDialogsProgress)
#include "tst_dialogs_progress.moc"
