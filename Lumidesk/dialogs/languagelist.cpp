#include "dialogs/languagelist.h"

#include "desktop/installlayout.h"
#include "desktop/regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Control characters, and halves of characters (a cut UTF-16 pair), are no part of a name.
bool isWellFormedName(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter)
            return false;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return false;
    }
    return true;
}

// Only a byte-order mark picks another encoding than UTF-8; no guessing from the bytes.
QTextCodec *codecByMark(const QByteArray &bytes)
{
    static const struct {
        const char *mark;
        int size;
        const char *codec;
    } marks[] = {{"\xff\xfe\x00\x00", 4, "UTF-32LE"}, {"\x00\x00\xfe\xff", 4, "UTF-32BE"},
                 {"\xff\xfe", 2, "UTF-16LE"}, {"\xfe\xff", 2, "UTF-16BE"}};
    for (const auto &mark : marks) {
        if (bytes.startsWith(QByteArray(mark.mark, mark.size)))
            return QTextCodec::codecForName(mark.codec);
    }
    return QTextCodec::codecForName("UTF-8");
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
    return platform::InstallLayout::isLanguageCode(code);
}

QString LanguageList::readDisplayName(const QString &path, const QString &fallback)
{
    // Absent or refused, the name file gives no name.
    if (!QFileInfo::exists(path) || !platform::RegularFile::isUsable(path))
        return fallback;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.isSequential())
        return fallback;
    const QByteArray bytes = file.read(NameFileReadLimit);

    // Bytes that do not decode come out as replacement characters, which no real name holds.
    QTextCodec::ConverterState state;
    QString line = firstLine(codecByMark(bytes)->toUnicode(bytes.constData(), bytes.size(), &state));
    if (line.startsWith(QChar::ByteOrderMark))
        line.remove(0, 1);
    return isWellFormedName(line) ? line : fallback;
}
