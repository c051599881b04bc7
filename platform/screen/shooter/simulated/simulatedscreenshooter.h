#pragma once

#include "screen/shooter/screenshooter.h"

namespace platform {

// A desktop of colour bars with two windows on it, for trying the capture without a display; the
// choice on the overlay works as on a real screen.
class SimulatedScreenShooter : public ScreenShooter
{
public:
    SimulatedScreenShooter();
    ~SimulatedScreenShooter() override;

    // Makes every later shot fail (true) or succeed again; for all shooters of the process.
    static void setFailing(bool failing);
    // The two windows' frames, relative to the screen's top-left corner.
    static QVector<QRect> simulatedWindows();

protected:
    QImage grabArea(const QRect &area) override;
    QVector<QRect> windowFrames() override;
};

} // namespace platform
