#pragma once

#include "dialogs/livesettings.h"

#include <QDialog>
#include <QPointer>

#include <memory>

class LiveForm;
class NotificationDialog;

namespace Ui {
class LiveStreamSetting;
}

// The live page of the general settings: the same service, address, key, level and automatic-record
// values as the live-stream dialog, stored as chosen. It knows no source size; the dialog lowers a
// level the source cannot deliver when a stream starts.
class LiveStreamSetting : public QDialog
{
    Q_OBJECT

public:
    explicit LiveStreamSetting(QWidget *parent = nullptr);
    ~LiveStreamSetting() override;

    // Re-translates the form and shows the stored values again.
    void updateString();
    void loadSetting();
    void enableBtnClick(bool enable);

    LiveSettings::Values values() const { return m_values; }
    // Says what an apply found missing.
    NotificationDialog *notification() const;

signals:
    void settingSuccess();

protected:
    // The page lives inside the settings dialog: Escape belongs to the dialog, not to the page.
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void applySetting();
    void editUrlChanged();
    void editKeyChanged();
    void serviceIndexChanged(int index);

private:
    Ui::LiveStreamSetting *ui;
    std::unique_ptr<LiveForm> m_form;
    LiveSettings::Values m_values;
    QPointer<NotificationDialog> m_notification;
};
