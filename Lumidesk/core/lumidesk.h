#pragma once

#include "ui_lumidesk.h"

#include <QMainWindow>
#include <QString>
#include <QTranslator>

class AbstractCaptureScreenAction;

// The main toolbar: a small frameless, always-on-top bar along one edge of the primary screen.
class Lumidesk : public QMainWindow, public Ui::Lumidesk
{
    Q_OBJECT

public:
    static const int BarLength = 488;
    static const int BarThickness = 55;

    Lumidesk();
    ~Lumidesk() override;

    // True when the first-run guide is to be shown at start: "Guid/Enabled" (default 1) is 1 or more.
    bool checkGuidSetting();

    // Places the toolbar where it was last closed (bottom centre the first time) and docks it.
    void loadLastPoint();
    void saveLastPoint(int x, int y);

    // Lays the toolbar out along an edge and keeps it inside the primary screen's available area.
    void adjustPosition(int edge);
    // Where a toolbar of geometry r ends when docked to edge inside the available area.
    static QRect dockedGeometry(QRect r, const QRect &available, int edge);

    int dockEdge() const { return m_dockEdge; }
    QString currentLanguage() const { return m_currentLanguage; }
    QString languageFolder() const { return m_languageFolder; }

public slots:
    void showLumidesk(int x, int y);
    void showLumidesk();

private slots:
    void closeToolBar();
    void updateString(QString lang);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QTranslator m_translator;
    QString m_languageFolder;
    QString m_currentLanguage;
    AbstractCaptureScreenAction *m_dockHelper = nullptr;
    int m_dockEdge = 1;
    bool m_closing = false;
};
