#pragma once

#include "drawletui_global.h"

#include <QAction>
#include <QDateTime>
#include <QString>

#include <functional>

class QWidget;

namespace drawlet {
namespace ui {

// One kind of screen capture (whole screen, one window, an area) into a PNG file named by the time
// in the picture folder. While it runs the caller has hidden the toolbar; success is confirmed by
// the capture sound and a short black flash, failure by a warning box, and a capture the user
// abandons needs no message. captureFinished() follows every run, whatever its outcome.
class DRAWLETUI_EXPORT AbstractCaptureScreenAction : public QAction
{
    Q_OBJECT
public:
    static const QString CAPTURE_SOUND_PATH;
    // How long hidden windows get to leave the screen before the picture is taken, and how long the
    // flash stays.
    static const int HideDelayMs = 300;
    static const int FlashMs = 40;

    explicit AbstractCaptureScreenAction(QObject *parent = nullptr);
    ~AbstractCaptureScreenAction() override = 0;

    // The picture folder: Documents/Qorv/Tivlo/Picture in the user's documents folder.
    static QString defaultPath();
    // The clock that names the files (tests fix it); the system clock when empty.
    static void setClock(std::function<QDateTime()> clock);

    virtual bool generatieFilePath();
    virtual void captureScreen(const QString &options);
    // Runs the platform's screen shooter: 0 when the picture was written, 256 when the user gave
    // up, any other value on failure.
    virtual int captureScreenViaSystemCall(const QString &options, const QString &path);
    virtual void showWarning();

    QString getFilePath() const { return filePath; }

    // Waits at least `ms` while processing events.
    static void delay(int ms);
    static void executeSuccessResponse();
    static void setWidget(QWidget *widget);

public slots:
    virtual void setActive() = 0;

signals:
    void captureFinished();

protected:
    QString filePath;
};

} // namespace ui
} // namespace drawlet
