#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class LiveStreamSettingDialog;
}

// The live-stream settings of the desktop (type 0) or of one camera (type 1): the service, its stream
// address and key, the resolution level and automatic recording, kept in the "Live" group of the
// settings file.
class LiveStreamSettingDialog : public QDialog
{
    Q_OBJECT

public:
    enum StreamType { Desktop = 0, Camera = 1 };

    explicit LiveStreamSettingDialog(StreamType type, QWidget *parent = nullptr);
    ~LiveStreamSettingDialog() override;

    void setFrameSize(int width, int height);
    void loadSetting();
    void enableAutoRecord(bool on);
    void showSetting();
    bool getShowSettingStatus() const { return m_shown; }
    bool closeSetting();

    QString getStreamUrl() const;
    QString getStreamKey() const;
    int getServiceType() const;
    int getResolutionLevel();
    bool getAutoRecordStatus() const;
    void updateString();

    StreamType streamType() const { return m_type; }
    int frameWidth() const { return m_frameWidth; }
    int frameHeight() const { return m_frameHeight; }

signals:
    void settingSuccess();

private slots:
    void serviceChanged(int index);
    void resolutionChanged(int index);
    void apply();

private:
    static QString urlKey(int service);
    static QString streamKeyKey(int service);
    int highestAllowedLevel() const;

    Ui::LiveStreamSettingDialog *ui;
    StreamType m_type;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    bool m_shown = false;
    bool m_autoRecordEnabled = false;
};
