#include "dialogs/languagelist.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextCodec>

const char LanguageList::DefaultCode[] = "en_US";
const char LanguageList::DefaultName[] = "English";

namespace {

// The first line of the text, without its line end.
QString firstLine(const QString &text)
{
    const int end = text.indexOf(QLatin1Char('\n'));
    QString line = end < 0 ? text : text.left(end);
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line;
}

bool hasControlCharacters(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

void LanguageList::scan(const QString &folder)
{
    m_codes = QStringList{QString::fromLatin1(DefaultCode)};
    m_names = QStringList{QString::fromLatin1(DefaultName)};

    const QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                                    QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &entry : entries) {
        const QString code = entry.fileName();
        if (!entry.isDir() || !isValidCode(code) || m_codes.contains(code))
            continue;
        m_codes.append(code);
        m_names.append(readDisplayName(dir.absoluteFilePath(code + QStringLiteral("/Lumi_") + code + QStringLiteral(".txt")),
                                       code));
    }
}

bool LanguageList::isValidCode(const QString &code)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z]{2,3}([_-][A-Za-z0-9]{2,8})?$"));
    return pattern.match(code).hasMatch();
}

QString LanguageList::readDisplayName(const QString &path, const QString &fallback)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fallback;
    const QByteArray bytes = file.read(NameFileReadLimit);

    // A byte-order mark decides; without one the text must be UTF-8. Bytes that do not decode come
    // out as replacement characters, which no real name holds.
    QTextCodec *codec = QTextCodec::codecForUtfText(bytes, QTextCodec::codecForName("UTF-8"));
    QTextCodec::ConverterState state;
    QString line = firstLine(codec->toUnicode(bytes.constData(), bytes.size(), &state));
    if (line.startsWith(QChar::ByteOrderMark))
        line.remove(0, 1);
    if (line.contains(QChar::ReplacementCharacter) || hasControlCharacters(line))
        return fallback;
    return line;
}
