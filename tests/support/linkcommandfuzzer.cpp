#include "linkcommandfuzzer.h"

#include "linksignalbounds.h"

namespace {

const QString Separator = QStringLiteral("/p");

} // namespace

LinkCommandFuzzer::LinkCommandFuzzer(quint32 seed, const QList<Command> &commands)
    : m_random(seed)
    , m_commands(commands)
{
}

QString LinkCommandFuzzer::next()
{
    const Command &command = m_commands.at(int(m_random.bounded(quint32(m_commands.size()))));
    QString text = command.word;
    // Letters glued on: still the command, by the prefix rule.
    if (m_random.bounded(10) == 0)
        text += QStringLiteral("Xy7_").left(int(m_random.bounded(1, 5)));

    QStringList arguments;
    for (int i = 0; i < command.arguments.size(); ++i) {
        switch (command.arguments.at(i)) {
        case Number:
            arguments << number();
            break;
        case Text:
            arguments << this->text();
            break;
        case Language:
            arguments << language();
            break;
        case Count: {
            const bool pairs = i + 1 < command.arguments.size() && command.arguments.at(i + 1) == Pairs;
            const int entries = int(m_random.bounded(0, 6));
            arguments << mutatedCount(entries);
            for (int e = 0; e < entries * (pairs ? 2 : 1); ++e)
                arguments << this->text();
            break;
        }
        case Pairs:
            break;
        }
    }

    // Wrong argument counts: some missing, or more than the command takes.
    switch (m_random.bounded(6)) {
    case 0:
        arguments = arguments.mid(0, int(m_random.bounded(quint32(arguments.size() + 1))));
        break;
    case 1:
        for (int extra = int(m_random.bounded(1, 4)); extra > 0; --extra)
            arguments << (m_random.bounded(2) ? number() : this->text());
        break;
    default:
        break;
    }
    for (const QString &argument : qAsConst(arguments))
        text += Separator + argument;
    return text;
}

QString LinkCommandFuzzer::firstViolation(int rounds, LinkSignalBounds &bounds,
                                          const std::function<void(const QString &)> &dispatch)
{
    for (int round = 0; round < rounds; ++round) {
        const QString text = next();
        dispatch(text);
        const QStringList violations = bounds.takeViolations();
        if (!violations.isEmpty())
            return text.left(120) + QStringLiteral(" gave ") + violations.join(QStringLiteral("; "));
    }
    return QString();
}

QString LinkCommandFuzzer::number()
{
    // Edges of every range the link uses, of the integer types, and texts that only look like numbers.
    static const QStringList edges = {
        "0", "-1", "1", "100", "101", "127", "128", "-128", "-129", "255", "256", "257", "1000", "1001",
        "32767", "32768", "-32768", "-32769", "65535", "65536", "10000000", "10000001", "2147483647",
        "2147483648", "-2147483648", "-2147483649", "4294967295", "4294967296", "9223372036854775807",
        "9223372036854775808", "-9223372036854775809", "99999999999999999999999999999999", "", " ", "-",
        "+", "+5", " 7", "7 ", "0x10", "1e9", "08", "-0", "3.5", "abc", QString(QChar(0x0663)),
        QString(QChar(0xFF15)), "5\n", "--5"};
    switch (m_random.bounded(3)) {
    case 0:
        return edges.at(int(m_random.bounded(quint32(edges.size()))));
    case 1:
        return QString::number(qint32(m_random.generate()));
    default:
        return QString::number(qint64(m_random.generate64()));
    }
}

QString LinkCommandFuzzer::text()
{
    switch (m_random.bounded(6)) {
    case 0:
        return QString();
    case 1: // overlong
        return QString(int(m_random.bounded(1000, 30000)), QChar(ushort(m_random.bounded(0x21, 0x3000))));
    case 2: { // control characters
        QString text;
        for (int i = int(m_random.bounded(1, 8)); i > 0; --i)
            text += QChar(ushort(m_random.bounded(0, 0x20)));
        return text + QStringLiteral("Mic");
    }
    case 3: { // any UTF-16 code units, lone surrogates included
        QString text;
        for (int i = int(m_random.bounded(1, 20)); i > 0; --i)
            text += QChar(ushort(m_random.bounded(0, 0x10000)));
        return text;
    }
    case 4: {
        static const QStringList hostile = {"../../etc/passwd", "%s%s%n", "/", "\\", "p", "'\"",
                                            QStringLiteral("Mic") + QChar(0) + QStringLiteral("1")};
        return hostile.at(int(m_random.bounded(quint32(hostile.size()))));
    }
    default:
        return QStringLiteral("USB Mic %1").arg(m_random.bounded(100));
    }
}

QString LinkCommandFuzzer::language()
{
    static const QStringList codes = {
        "en_US", "zh-TW", "de", "", "e", "en_", "en__US", "../en_US", "en_US/..", "..", ".", "en_US\n",
        "\nen_US", "en_US\r", QStringLiteral("en_US") + QChar(0) + QStringLiteral("x"), "en_US ", " en_US",
        "en_US.qm", "EN-us", "eng_GBR", "en_verylongregion", QString::fromUtf8("\xC3\xBC_DE"), "zh-Hant-TW",
        "C", "%s", "*", "en_US\t", "en_US\n\n", QString::fromUtf8("en_U\xC5\xBF")};
    switch (m_random.bounded(3)) {
    case 0:
        return text();
    default:
        return codes.at(int(m_random.bounded(quint32(codes.size()))));
    }
}

QString LinkCommandFuzzer::mutatedCount(int entries)
{
    switch (m_random.bounded(4)) {
    case 0:
        return QString::number(entries);
    case 1:
        return number();
    case 2:
        return QString::number(entries + int(m_random.bounded(7)) - 3);
    default:
        return QString::number(m_random.bounded(200, 400));
    }
}
