#include "common/settingspath.h"
#include "dialogs/livestreamsettingdialog.h"

#include <QComboBox>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class TestCamWindowLiveSetting : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void resolutionLevelFitsTheFrame_data();
    void resolutionLevelFitsTheFrame();
    void savesOnlyAnAddressWithAKey_data();
    void savesOnlyAnAddressWithAKey();
};

void TestCamWindowLiveSetting::init()
{
    QFile::remove(_GUID_SETTING_INI);
}

void TestCamWindowLiveSetting::resolutionLevelFitsTheFrame_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<int>("level");
    QTest::newRow("1080p from a 1080 camera") << 0 << QSize(1920, 1080) << 0;
    QTest::newRow("1080p from a 720 camera") << 0 << QSize(1280, 720) << 1;
    QTest::newRow("720p from a 480 camera") << 1 << QSize(848, 480) << 2;
    QTest::newRow("360p from a 1080 camera stays") << 3 << QSize(1920, 1080) << 3;
    QTest::newRow("1080p from a tiny camera: no level") << 0 << QSize(320, 240) << 4;
}

void TestCamWindowLiveSetting::resolutionLevelFitsTheFrame()
{
    QFETCH(int, stored);
    QFETCH(QSize, frame);
    QFETCH(int, level);
    QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue(QStringLiteral("Live/Resolution"), stored);

    LiveStreamSettingDialog dialog(LiveStreamSettingDialog::Camera);
    dialog.setFrameSize(frame.width(), frame.height());
    dialog.loadSetting();
    QCOMPARE(dialog.getResolutionLevel(), level);
    QCOMPARE(QSettings(_GUID_SETTING_INI, QSettings::IniFormat).value(QStringLiteral("Live/Resolution")).toInt(),
             level);
}

void TestCamWindowLiveSetting::savesOnlyAnAddressWithAKey_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("saved");
    QTest::newRow("rtmp") << "rtmp://live.example/app" << "key" << true;
    QTest::newRow("empty address") << "" << "key" << false;
    QTest::newRow("empty key") << "rtmp://live.example/app" << "" << false;
}

void TestCamWindowLiveSetting::savesOnlyAnAddressWithAKey()
{
    QFETCH(QString, url);
    QFETCH(QString, key);
    QFETCH(bool, saved);

    LiveStreamSettingDialog dialog(LiveStreamSettingDialog::Camera);
    dialog.setFrameSize(1920, 1080);
    dialog.loadSetting();
    dialog.showSetting();
    QVERIFY(dialog.getShowSettingStatus());
    dialog.findChild<QComboBox *>(QStringLiteral("comboService"))->setCurrentIndex(3);
    dialog.findChild<QTextEdit *>(QStringLiteral("textEditUrl"))->setPlainText(url);
    dialog.findChild<QTextEdit *>(QStringLiteral("textEditKey"))->setPlainText(key);
    QSignalSpy success(&dialog, &LiveStreamSettingDialog::settingSuccess);
    dialog.findChild<QToolButton *>(QStringLiteral("btnApply"))->click();

    QCOMPARE(success.count(), saved ? 1 : 0);
    QCOMPARE(dialog.getShowSettingStatus(), !saved);
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Live/OthersUrl")).toString(), saved ? url : QString());
    if (saved) {
        LiveStreamSettingDialog again(LiveStreamSettingDialog::Camera);
        again.loadSetting();
        QCOMPARE(again.getServiceType(), 3);
        QCOMPARE(again.getStreamUrl(), url);
        QCOMPARE(again.getStreamKey(), key);
    }
}

QTEST_MAIN(TestCamWindowLiveSetting)
#include "tst_camwindow_livesetting.moc"
