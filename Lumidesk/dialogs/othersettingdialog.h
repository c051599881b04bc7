#pragma once

#include "dialogs/languagelist.h"

#include <QButtonGroup>
#include <QDialog>
#include <QList>
#include <QTimer>

#include <memory>

class IpInformationWidget;
class LiveStreamSetting;
class UpgradeDialog;
class VantoQRCode;

namespace Ui {
class OtherSettingDialog;
}

// The general settings: the user-interface language, the update page and the live page, as image tabs.
// It also builds the phone pairing page (QR code and one card per network interface), which no tab
// offers. The language chosen here is stored and announced with langChanged(); the main window then
// loads its translation everywhere.
//
// The main window makes a fresh dialog each time its settings button is pressed and deletes it (later)
// on closeOtherSetting(), which comes only once no download or install of the update page runs.
class OtherSettingDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int CloseRetryInterval = 1000;

    explicit OtherSettingDialog(QWidget *parent = nullptr);
    // With a languages folder and a pairing source of the caller's choosing (the program passes its own
    // "Languages" folder and the system's network interfaces).
    OtherSettingDialog(QWidget *parent, const QString &languagesFolder, std::unique_ptr<VantoQRCode> qrCode);
    ~OtherSettingDialog() override;

    void resetSetting();
    void updateString();
    QString getSelectLang() const { return m_currentLanguage; }
    void loadLiveSetting();
    void enableLiveSetting(bool enable);
    void applyLangSetting(QString lang);

    // The update page, built on its first use like the form.
    UpgradeDialog *getUpgradeDialog();
    QStringList languageCodes() const { return m_languages.codes(); }
    QStringList languageNames() const { return m_languages.names(); }
    // The form is built on the dialog's first show or use, not with the dialog; these three build it.
    LiveStreamSetting *getLiveStreamSetting();
    QButtonGroup *languageButtons();
    QList<IpInformationWidget *> networkCards();
    bool hasForm() const;
    void setVisible(bool visible) override;
    // For tests: how long a close waits between looks at a running download or install.
    void setCloseRetryInterval(int msecs) { m_closeRetry.setInterval(msecs); }

signals:
    void langChanged(QString lang);
    void closeOtherSetting();
    // The update page asks to close the program (an install is about to run).
    void closeSystem();

public slots:
    void closeSetting();
    void onCurrentChanged(int index);
    void langSelected(int id);
    void openLink();
    void slotCloseSetting();
    // Escape takes the close button's way out.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void ensureForm();
    void updateSeeThroughShape();
    void ensureUpgradePage();
    void fillPairingPage();
    void setPairingHint();
    void initLangUi();
    void updateCurrentLanguage();
    void checkCurrentLanguage();

    Ui::OtherSettingDialog *ui = nullptr;
    UpgradeDialog *m_upgradePage = nullptr;
    LiveStreamSetting *m_livePage = nullptr;
    std::unique_ptr<VantoQRCode> m_qrCode;
    QString m_languagesFolder;
    LanguageList m_languages;
    QButtonGroup m_languageButtons;
    QString m_currentLanguage;
    QList<IpInformationWidget *> m_networkCards;
    QTimer m_closeRetry;
    bool m_closing = false;
    bool m_liveEnabled = true;
};
