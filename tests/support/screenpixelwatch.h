#pragma once

// Watches one pixel of the screen as someone looking at it would: from a thread and an X connection of
// its own, so what it sees is what the X server shows, whatever the program's event loop is doing.

#include <QPoint>
#include <QRgb>

#include <atomic>
#include <memory>
#include <thread>

class ScreenPixelWatch
{
public:
    // What the polls saw of the colour's first stay on the pixel. A poll that is late (a busy machine)
    // only widens the bracket, so `atMostMs` never comes out shorter than the stay was.
    struct Sighting
    {
        // Whether the pixel showed the colour at all while watched.
        bool seen = false;
        // From the first poll that showed it to the last that did before it went.
        qint64 atLeastMs = 0;
        // From the last poll before it showed to the first that no longer showed it (or the watch's
        // end): the longest it can have stayed.
        qint64 atMostMs = 0;
        // Reads made, to tell a watch that never got to look from one that saw nothing.
        int polls = 0;
    };

    ScreenPixelWatch();
    ~ScreenPixelWatch();
    ScreenPixelWatch(const ScreenPixelWatch &) = delete;
    ScreenPixelWatch &operator=(const ScreenPixelWatch &) = delete;

    // Connects to the display of $DISPLAY; false when that fails.
    bool open();
    // The pixel's colour now (alpha 255); 0 when it cannot be read.
    QRgb read(const QPoint &pixel);
    // Starts polling the pixel for the colour; returns once the first poll is done.
    void start(const QPoint &pixel, QRgb colour);
    // Ends the watch and tells what it saw.
    Sighting stop();

private:
    void poll(QPoint pixel, QRgb colour);

    struct Connection;
    std::unique_ptr<Connection> m_connection;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_polls{0};
    Sighting m_result;
};
