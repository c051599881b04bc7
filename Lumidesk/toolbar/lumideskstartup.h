#pragma once

#include <QObject>
#include <QPointer>
#include <QSettings>

#include <memory>

class AutoSerialFileLogger;
class Lumidesk;
class NavigationDialog;
class QWindow;

// What main() does around the event loop: logging up, the toolbar and the first-run guide made and
// shown, DrawletApp started once the first of them is on screen; and, when the object goes, logging down and the toolbar deleted. The application object
// must exist and carry its name before this is made.
class LumideskStartup : public QObject
{
    Q_OBJECT

public:
    LumideskStartup();
    ~LumideskStartup() override;

    Lumidesk *toolbar() const { return m_toolbar; }
    // The first-run guide, made when first needed: its pictures cost a start that skips it.
    NavigationDialog *guide();
    AutoSerialFileLogger *logger() const { return m_logger.get(); }
    int logLevel() const { return m_logLevel; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static void readFontsMeanwhile();
    void startLogging();
    void tellWhatIsNotKept();
    static void tell(const QString &reason);
    static QString unwritableFolderOnTheWay(const QString &folder);
    void createWindows();
    void startDrawletAfterFirstFrame(QWidget *first);
    void startDrawlet();

    std::unique_ptr<AutoSerialFileLogger> m_logger;
    std::unique_ptr<QSettings> m_settings;
    Lumidesk *m_toolbar = nullptr;
    NavigationDialog *m_guide = nullptr;
    QPointer<QWindow> m_firstWindow;
    bool m_drawletStarted = false;
    int m_logLevel = 4;
};
