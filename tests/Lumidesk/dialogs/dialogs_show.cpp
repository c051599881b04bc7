// Shows one dialog of the main program to look at (tools/shot), with sample content:
//   dialogs_show live-desktop | live-camera | live-notice
//   dialogs_show settings [TAB] | pairing
//   dialogs_show swupdate [PAGE] | upgrade [PAGE] | guide [PAGE]
#include "dialogs/livestreamsettingdialog.h"
#include "dialogs/navigationdialog.h"
#include "dialogs/othersettingdialog.h"
#include "dialogs/swupdatedialog.h"
#include "dialogs/upgradedialog.h"
#include "vantoqrcode.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

class SampleNetwork : public VantoQRCode
{
protected:
    QList<InterfaceFacts> interfaces() const override
    {
        InterfaceFacts wired{QStringLiteral("enp3s0"), true, true, false, {QHostAddress(QStringLiteral("10.0.4.17"))}};
        InterfaceFacts wireless{QStringLiteral("wlp2s0-with-a-rather-long-name"), true, true, false,
                                {QHostAddress(QStringLiteral("192.168.178.23"))}};
        return {wired, wireless};
    }
};

void addLanguage(const QString &root, const QString &code, const QByteArray &name)
{
    QDir(root).mkpath(code);
    QFile file(root + QLatin1Char('/') + code + QStringLiteral("/Lumi_") + code + QStringLiteral(".txt"));
    if (file.open(QIODevice::WriteOnly))
        file.write(name);
}

void showPage(QWidget *dialog, int page)
{
    if (auto *pages = dialog->findChild<QStackedWidget *>(QStringLiteral("stackedWidget")))
        pages->setCurrentIndex(page);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("settings");
    const int index = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 0;
    QTemporaryDir languages;
    addLanguage(languages.path(), QStringLiteral("de_DE"), "Deutsch");
    addLanguage(languages.path(), QStringLiteral("ja_JP"), "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");
    addLanguage(languages.path(), QStringLiteral("fr_FR"), "Fran\xc3\xa7" "ais");

    std::unique_ptr<QWidget> shown;
    if (what.startsWith(QLatin1String("live-"))) {
        auto *dialog = new LiveStreamSettingDialog(what == QLatin1String("live-desktop")
                                                       ? LiveStreamSettingDialog::Desktop
                                                       : LiveStreamSettingDialog::Camera);
        shown.reset(dialog);
        dialog->setFrameSize(1280, 720);
        dialog->loadSetting();
        dialog->showSetting();
        if (what == QLatin1String("live-notice"))
            dialog->showResolutionNotification(0);
    } else if (what == QLatin1String("settings") || what == QLatin1String("pairing")) {
        auto *dialog = new OtherSettingDialog(nullptr, languages.path(), std::make_unique<SampleNetwork>());
        shown.reset(dialog);
        // Loading the live page builds the form, which the dialog defers to its first use.
        dialog->loadLiveSetting();
        auto *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("settingTab"));
        if (what == QLatin1String("pairing")) {
            QWidget *pairing = dialog->findChild<QWidget *>(QStringLiteral("connectWidget"));
            tabs->insertTab(0, pairing, QString());
            tabs->setCurrentIndex(0);
        } else {
            tabs->setCurrentIndex(index);
        }
        dialog->show();
    } else if (what == QLatin1String("swupdate")) {
        auto *dialog = new SwUpdateDialog;
        shown.reset(dialog);
        dialog->findChild<QLabel *>(QStringLiteral("lbNewVersion"))->setText(QStringLiteral("1.0.1003.10"));
        dialog->findChild<QLabel *>(QStringLiteral("lbCurrentVersion"))->setText(QStringLiteral("1.0.1003.6"));
        showPage(dialog, index);
        dialog->show();
    } else if (what == QLatin1String("upgrade")) {
        auto *dialog = new UpgradeDialog;
        shown.reset(dialog);
        dialog->Init();
        showPage(dialog, index);
        dialog->show();
    } else if (what == QLatin1String("guide")) {
        auto *dialog = new NavigationDialog;
        shown.reset(dialog);
        const int page = qBound(1, index, 3);
        if (page == 1)
            dialog->changeToPage1();
        else if (page == 2)
            dialog->changeToPage2();
        else
            dialog->changeToPage3();
        dialog->show();
        dialog->autoAdjustSize();
    } else {
        std::fprintf(stderr, "unknown dialog %s\n", qPrintable(what));
        return 2;
    }
    return app.exec();
}
