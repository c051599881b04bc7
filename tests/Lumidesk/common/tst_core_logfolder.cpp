#include "common/freediskspace.h"
#include "common/logfolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QtTest>

class TestLogFolder : public QObject
{
    Q_OBJECT

private slots:
    void pathsUnderDocuments();
    void clean_data();
    void clean();
    void freeSpaceOfDocuments();
};

void TestLogFolder::pathsUnderDocuments()
{
    const QString documents = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).first();
    QCOMPARE(LogFolder::path(), documents + "/Qorv/Log/Tivlo/");
    QCOMPARE(LogFolder::filePattern(), documents + "/Qorv/Log/Tivlo/Lumidesk-YYMMDD-999.log");
}

void TestLogFolder::clean_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("daysOld");
    QTest::addColumn<bool>("kept");

    QTest::newRow("30 days") << "Lumidesk-240101-001.log" << 30 << true;
    QTest::newRow("exactly 31 days") << "Lumidesk-240101-002.log" << 31 << false;
    QTest::newRow("40 days") << "Lumidesk-240101-003.log" << 40 << false;
    QTest::newRow("name inside") << "old-Lumidesk-x.txt" << 40 << false;
    QTest::newRow("other file, 40 days") << "notes.log" << 40 << true;
    QTest::newRow("lower case, 40 days") << "lumidesk-240101-001.log" << 40 << true;
    QTest::newRow("sub-folder, 40 days") << "Lumidesk-folder/" << 40 << true;
}

void TestLogFolder::clean()
{
    QFETCH(QString, name);
    QFETCH(int, daysOld);
    QFETCH(bool, kept);

    QDir(LogFolder::path()).removeRecursively();
    const QDateTime now = QDateTime::currentDateTime();
    const QString path = LogFolder::path() + name;
    if (name.endsWith('/')) {
        QVERIFY(QDir().mkpath(path));
        QFile inner(path + "Lumidesk-240101-001.log");
        QVERIFY(inner.open(QIODevice::WriteOnly));
        QVERIFY(inner.setFileTime(now.addDays(-daysOld), QFileDevice::FileModificationTime));
        inner.close();
    } else {
        QVERIFY(LogFolder::make());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("record\n");
        // Written out first: a later flush would set the time back to now.
        QVERIFY(file.flush());
        QVERIFY(file.setFileTime(now.addDays(-daysOld), QFileDevice::FileModificationTime));
    }

    LogFolder::clean(now);
    QCOMPARE(QFileInfo::exists(path), kept);
    if (name.endsWith('/'))
        QVERIFY(QFileInfo::exists(path + "Lumidesk-240101-001.log"));
}

void TestLogFolder::freeSpaceOfDocuments()
{
    const quint64 kib = getFreeDiskspace();
    QVERIFY(kib > 0);
    const QStorageInfo storage(QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).last());
    // Other programs write meanwhile: agree within 64 MiB.
    QVERIFY(qAbs(qint64(kib) - (storage.bytesAvailable() >> 10)) < 64 * 1024);
}

QTEST_GUILESS_MAIN(TestLogFolder)
#include "tst_core_logfolder.moc"
