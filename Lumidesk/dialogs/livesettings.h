#pragma once

#include <QCoreApplication>
#include <QString>

// The "Live" group of the main settings file: the streaming service, each service's own stream
// address and key, the resolution level and automatic recording. The live-stream dialog and the
// live page of the general settings both edit it; they meet only here.
//
// Stream keys are secrets: the file is made owner-only before a key is written to it.
class LiveSettings
{
    Q_DECLARE_TR_FUNCTIONS(LiveSettings)

public:
    static constexpr int ServiceCount = 4;
    static constexpr int LevelCount = 4;
    // The level that stands for "the source supports no level".
    static constexpr int NoLevel = 4;
    static constexpr int DefaultResolution = 1;

    struct Values
    {
        bool autoRecord = false;
        int service = 0;
        QString url;
        QString key;
        int resolution = DefaultResolution;
    };

    // Whether an address and a key were given; the first one missing is logged (never the key itself)
    // and named in *notice, in the user's language, for the form to show.
    static bool isComplete(const QString &url, const QString &key, QString *notice = nullptr);
    // The title of the forms' notices.
    static QString noticeTitle();
    // The stored values; for a stored service outside 0..3 the address and key are those of previous.
    static Values load(const Values &previous);
    // Writes every value; the address and key go to the chosen service's pair only (to none for a
    // service outside 0..3), so each service keeps its own.
    static void store(const Values &values);
    static void storeResolution(int level);
    // The stored address and key of a service; both empty for a service outside 0..3.
    static void readPair(int service, QString *url, QString *key);

    // "Live/YoutubeUrl" ... ; null for a service outside 0..3.
    static QString urlKey(int service);
    static QString streamKeyKey(int service);

    // The first level a source of this size can deliver (0 1080p ... 3 360p), NoLevel when none.
    static int bestSupportedLevel(int width, int height);
    // The picture height of a level (1080, 720, 480, 360); 0 outside 0..3.
    static int levelHeight(int level);
    // The names the usage analytics give a service ("youtube" ...) and a level ("1080P" ...); empty
    // outside 0..2 and 0..3.
    static QString serviceLabel(int service);
    static QString levelLabel(int level);

private:
    static void makeFileOwnerOnly();

    LiveSettings() = delete;
};
