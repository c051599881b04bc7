#pragma once

#include <QDate>
#include <QString>

// The weekly reminder the two update dialogs share: with "Update/byWeekCheck" on, a version the user
// put off ("Update/Version", on "Update/Time") is offered again only when a newer one comes, or when
// more than seven days have passed.
class UpdateReminder
{
public:
    static const char DateFormat[];
    static const char DefaultVersion[];
    static constexpr int QuietDays = 7;

    static bool isWeekly();
    static QString skippedVersion();
    static QString skippedDate();

    // Whether a weekly reminder is due: offeredIsNewer says whether the offered version is newer than
    // the skipped one (compared as numbers); otherwise only a date more than QuietDays before today
    // (or none that reads as a date) makes it due.
    static bool isDue(bool offeredIsNewer, const QString &skippedDate, const QDate &today);

    // The box ticked when the dialog closes: weekly, with the version put off today.
    static void remember(const QString &version, const QDate &today);
    // The box cleared: only the weekly switch goes off; the version and date stay.
    static void forget();
    // The box ticked on the update page: weekly from today; the version follows once it is known.
    static void startWeekly(const QDate &today);
    static void rememberVersion(const QString &version);

private:
    UpdateReminder() = delete;
};
