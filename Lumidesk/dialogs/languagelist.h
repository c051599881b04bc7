#pragma once

#include <QString>
#include <QStringList>

// The user-interface languages installed beside the program: "en_US" (English) first, then one entry
// per language folder of the languages folder, named by its code. A folder's display name is the first
// line of its "Lumi_<code>.txt"; without a readable, well-formed one the code is shown.
class LanguageList
{
public:
    static const char DefaultCode[];
    static const char DefaultName[];
    // At most this much of a display-name file is read; its first line is all that counts.
    static constexpr int NameFileReadLimit = 4096;

    // Scans folder (not recursively); codes and names have the same length and order.
    void scan(const QString &folder);
    QStringList codes() const { return m_codes; }
    QStringList names() const { return m_names; }

    // A code becomes part of file paths: letters, then optionally "_" or "-" and letters or digits
    // ("en_US", "zh-TW", "Fr_FR").
    static bool isValidCode(const QString &code);
    // The first line of a display-name file: a byte-order mark chooses UTF-8, UTF-16 or UTF-32,
    // anything else must be UTF-8; a first line that does not decode, or holds control characters,
    // gives fallback. A missing or unreadable file, or one that is no regular file (a folder, a named
    // pipe, a device), gives fallback too.
    static QString readDisplayName(const QString &path, const QString &fallback);

private:
    QStringList m_codes;
    QStringList m_names;
};
