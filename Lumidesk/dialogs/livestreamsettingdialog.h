#pragma once

#include "dialogs/livesettings.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>

class LiveForm;
class NotificationDialog;
class QComboBox;

namespace Ui {
class LiveStreamSettingDialog;
}

// Where a live stream goes and how: the service, that service's stream address and key, the
// resolution level and whether recording starts with the stream. One dialog serves the desktop
// (StreamType 0) and one each camera window (any other type); the owner tells it the size of the
// source's picture, reads the values in force through the getters when a stream starts, and is told
// of a successful apply by settingSuccess().
class LiveStreamSettingDialog : public QDialog
{
    Q_OBJECT

public:
    enum StreamType { Desktop = 0, Camera = 1 };

    explicit LiveStreamSettingDialog(StreamType type, QWidget *parent = nullptr);
    ~LiveStreamSettingDialog() override;

    void updateString();
    // Whether recording may start with the stream (the owner is not recording already); also the
    // enabled state of the check box.
    void enableAutoRecord(bool enable);
    void loadSetting();
    void checkResolutionSupport();
    void setFrameSize(int width, int height);

    bool getAutoRecordStatus() const;
    int getServiceType() const;
    // The address and key in force (loaded or applied), not the unapplied field texts.
    QString getStreamUrl() const;
    QString getStreamKey() const;
    // The resolution level in force, lowered (and stored) to the best the source supports when it
    // asks for more; 4 when the source supports no level.
    int getResolutionLevel();

    void showSetting();
    bool getShowSettingStatus() const { return m_settingShown; }
    void enableComboboxItem(QComboBox *box, int index, bool enable);
    void showResolutionNotification(int level);

    StreamType streamType() const { return m_type; }
    int frameWidth() const { return m_frameWidth; }
    int frameHeight() const { return m_frameHeight; }
    int bestSupportedLevel() const { return m_bestLevel; }
    NotificationDialog *notification();
    // Whether the form (with its notice) has been built: it is built on the first show or load, or when
    // the notice is asked for, not with the dialog.
    bool hasForm() const;

    void setVisible(bool visible) override;

signals:
    void settingSuccess();

public slots:
    void closeSetting();
    // Escape and the window's own close take the close button's way out.
    void reject() override;

private slots:
    void applySetting();
    void editUrlChanged();
    void editKeyChanged();
    void serviceIndexChanged(int index);
    void resolutionIndexChanged(int level);

private:
    bool isSupported(int level) const { return level >= m_bestLevel; }
    void showNotice(const QString &message);
    void connectBoxes();
    void disconnectBoxes();

    void ensureForm();

    Ui::LiveStreamSettingDialog *ui = nullptr;
    StreamType m_type;
    bool m_autoRecordAllowed = true;
    std::unique_ptr<LiveForm> m_form;
    LiveSettings::Values m_values;
    int m_bestLevel = LiveSettings::NoLevel;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    QPointer<NotificationDialog> m_notification;
    bool m_settingShown = false;
};
