#pragma once

#include <QObject>
#include <QString>

class QApplication;
class QTranslator;

// The annotation program's two catalogues: its own ("Drawlet_" + the lower-cased locale, in the
// "Languages" folder one level above the program) and Qt's ("qt_" + locale, from Qt's translations
// folder). Both follow the main program's language; UpdateUI() tells the windows to re-read their
// texts.
class TR : public QObject
{
    Q_OBJECT

public:
    TR(QApplication *application, QString prefix, QString folderName);
    // Takes the catalogues out of the application again.
    ~TR() override;

    QString currentLocale() const { return m_currentLocale; }
    QString catalogueFolder() const { return m_folder; }
    // Whether the program's own catalogue was found for the current locale.
    bool programCatalogueLoaded() const { return m_programLoaded; }

public slots:
    void ChangeLocale(QString CurrentLocale);

signals:
    void UpdateUI();

private:
    void load();

    QApplication *m_application;
    QTranslator *m_programTranslator;
    QTranslator *m_qtTranslator;
    QString m_prefix;
    QString m_folder;
    QString m_currentLocale;
    bool m_programLoaded = false;
};
