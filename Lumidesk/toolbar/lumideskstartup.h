#pragma once

#include <QObject>
#include <QSettings>

#include <memory>

class AutoSerialFileLogger;
class Lumidesk;
class NavigationDialog;

// What main() does around the event loop: logging up, the toolbar and the first-run guide made and
// shown; and, when the object goes, logging down and the toolbar deleted. The application object
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

private:
    static void readFontsMeanwhile();
    void startLogging();
    void tellWhatIsNotKept();
    static void tell(const QString &reason);
    static QString unwritableFolderOnTheWay(const QString &folder);
    void createWindows();

    std::unique_ptr<AutoSerialFileLogger> m_logger;
    std::unique_ptr<QSettings> m_settings;
    Lumidesk *m_toolbar = nullptr;
    NavigationDialog *m_guide = nullptr;
    int m_logLevel = 4;
};
