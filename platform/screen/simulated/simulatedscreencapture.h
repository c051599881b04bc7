#pragma once

#include "screen/screencapture.h"

#include <atomic>

namespace platform {

// A virtual 1920 x 1080 desktop: a still pattern of colour bars and a grid, with a block that moves
// a little at every grab and the grab number, so that recordings of it show motion and order.
class SimulatedScreenCapture : public ScreenCapture
{
    Q_OBJECT

public:
    explicit SimulatedScreenCapture(QObject *parent = nullptr);
    ~SimulatedScreenCapture() override;

    QRect primaryScreenGeometry() const override;
    void setGeometry(const QRect &geometry);
    // Makes every later grab fail (true) or succeed again.
    void setGrabFailing(bool failing) { m_failing = failing; }

protected:
    bool grabInto(QImage &frame) override;

private:
    void drawBackground(const QSize &size);

    std::atomic<int> m_width{1920};
    std::atomic<int> m_height{1080};
    std::atomic<bool> m_failing{false};
    QImage m_background;
    quint64 m_grabs = 0;
};

} // namespace platform
