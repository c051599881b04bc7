#include "tr.h"

#include "desktop/installlayout.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

TR::TR(QApplication *application, QString prefix, QString folderName)
    : m_application(application)
    , m_programTranslator(new QTranslator)
    , m_qtTranslator(new QTranslator)
    , m_prefix(std::move(prefix))
    , m_folder(QDir::cleanPath(platform::InstallLayout::languagesAbove(QCoreApplication::applicationDirPath())
                               + QLatin1String("/../") + folderName))
    , m_currentLocale(QLocale::system().name().toLower())
{
    load();
}

TR::~TR()
{
    QCoreApplication::removeTranslator(m_programTranslator);
    QCoreApplication::removeTranslator(m_qtTranslator);
    delete m_programTranslator;
    delete m_qtTranslator;
}

void TR::ChangeLocale(QString CurrentLocale)
{
    const QString locale = CurrentLocale.toLower();
    if (!platform::InstallLayout::isLanguageCode(locale)) {
        qWarning().noquote() << "Language" << CurrentLocale << "is no locale name; the language stays"
                             << m_currentLocale;
        return;
    }
    QCoreApplication::removeTranslator(m_programTranslator);
    QCoreApplication::removeTranslator(m_qtTranslator);
    m_currentLocale = locale;
    load();
    emit UpdateUI();
}

void TR::load()
{
    const QString catalogue = m_prefix + m_currentLocale;
    m_programLoaded = platform::InstallLayout::isLanguageCode(m_currentLocale)
        && m_programTranslator->load(catalogue, m_folder);
    if (!m_programLoaded) {
        // The texts are keys: English reads better than a key.
        const QString fallback = m_prefix + QLatin1String("en_us");
        const bool english = m_programTranslator->load(fallback, m_folder);
        qWarning().noquote() << "No catalogue" << catalogue << "in" << m_folder << "-"
                             << (english ? "texts in English" : "texts stay as written");
    }
    QCoreApplication::installTranslator(m_programTranslator);

    const QString qtCatalogue = QLatin1String("qt_") + m_currentLocale;
    if (!m_qtTranslator->load(qtCatalogue, QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        qDebug().noquote() << "No Qt catalogue" << qtCatalogue;
    QCoreApplication::installTranslator(m_qtTranslator);
}
