#include "core/lazylibrary.h"

#include <QAtomicInt>
#include <QThread>
#include <QtTest>

#include <memory>
#include <vector>

using namespace platform;

namespace {

const QString MathLibrary = QStringLiteral("libm.so.6");

using Cosine = double (*)(double);

} // namespace

class TestLazyLibrary : public QObject
{
    Q_OBJECT

private slots:
    void reportsWhatIsMissing_data();
    void reportsWhatIsMissing();
    void opensOncePerProcess();
};

void TestLazyLibrary::reportsWhatIsMissing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("functions");
    QTest::addColumn<QString>("error"); // the start of the message; empty: loaded
    QTest::newRow("there") << MathLibrary << QStringList{"cos", "sin"} << QString();
    QTest::newRow("absent library") << QStringLiteral("liblumidesk-absent.so.1") << QStringList{"cos"}
                                    << QStringLiteral("cannot load liblumidesk-absent.so.1 (");
    // The first function missing is named, whatever follows it.
    QTest::newRow("absent function") << MathLibrary << QStringList{"cos", "lumidesk_absent", "also_absent"}
                                     << MathLibrary + QStringLiteral(" has no function lumidesk_absent");
}

void TestLazyLibrary::reportsWhatIsMissing()
{
    QFETCH(QString, file);
    QFETCH(QStringList, functions);
    QFETCH(QString, error);
    LazyLibrary library(file);
    std::vector<Cosine> found(size_t(functions.size()), nullptr);
    const LazyLibrary::Resolver resolveAll = [&](LazyLibrary &opened) {
        for (int i = 0; i < functions.size(); ++i)
            opened.resolve(functions.at(i).toLatin1().constData(), &found[size_t(i)]);
    };
    if (!error.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(error)));
    QString reported;
    const bool loaded = library.load(resolveAll, &reported);
    QCOMPARE(loaded, error.isEmpty());
    QVERIFY2(reported.startsWith(error), qPrintable(reported));
    if (loaded)
        QCOMPARE(found.front()(0.0), 1.0);
    // Asked again, the same outcome.
    QString again;
    QCOMPARE(library.load(resolveAll, &again), loaded);
    QCOMPARE(again, reported);
}

// However many threads ask at once, the library is opened and resolved once, every one of them
// waits for that, and a file name set later changes nothing.
void TestLazyLibrary::opensOncePerProcess()
{
    LazyLibrary library(MathLibrary);
    QAtomicInt resolutions;
    Cosine cosine = nullptr;
    const LazyLibrary::Resolver resolveAll = [&](LazyLibrary &opened) {
        resolutions.ref();
        QThread::yieldCurrentThread();
        opened.resolve("cos", &cosine);
    };
    QAtomicInt failures;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back(QThread::create([&] {
            if (!library.load(resolveAll) || !cosine || cosine(0.0) != 1.0)
                failures.ref();
        }));
    }
    for (const auto &thread : threads)
        thread->start();
    for (const auto &thread : threads)
        QVERIFY(thread->wait(60000));
    QCOMPARE(resolutions.loadAcquire(), 1);
    QCOMPARE(failures.loadAcquire(), 0);

    library.setFileName(QStringLiteral("liblumidesk-absent.so.1"));
    QVERIFY(library.load(resolveAll));
    QCOMPARE(resolutions.loadAcquire(), 1);
}

QTEST_GUILESS_MAIN(TestLazyLibrary)
#include "tst_lazylibrary.moc"
