#pragma once

#include <QWidget>

// The panel's input-level meter: a thin black track with a green bar along it, as long as the level.
// It lies under the volume slider, whose transparent groove lets it show.
class RenderArea : public QWidget
{
    Q_OBJECT

public:
    explicit RenderArea(QWidget *parent = nullptr);

    double level() const { return m_level; }
    // 0 is empty, 1 full; anything outside is held to that range.
    void setLevel(double level);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_level = 0.0;
};
