#pragma once

#include <QDateTime>
#include <QString>

// Where a camera window puts its recordings and pictures, and their names: "Video" or "Pic", the local
// time as "MM-dd-yy_hhmmss", then the extension. A name is never handed out twice and never names an
// existing file: a second one within the same second gets "-2", then "-3", before the extension. Names
// handed out are remembered because the files are written later, on the capture queue.
class CaptureFileNames
{
public:
    // "<documents>/Qorv/Tivlo", where both lie.
    static QString tivloFolder();
    // "<documents>/Qorv/Tivlo/Video" and ".../Picture", made with every missing parent.
    static QString videoFolder();
    static QString pictureFolder();
    // Makes the folder with every missing parent when it does not exist; false when that fails.
    static bool makeFolder(const QString &path);

    static QString nextVideoPath(const QDateTime &time = QDateTime::currentDateTime());
    static QString nextPicturePath(const QDateTime &time = QDateTime::currentDateTime());
    static QString uniquePath(const QString &folder, const QString &stem, const QString &extension);

private:
    CaptureFileNames() = delete;
};
