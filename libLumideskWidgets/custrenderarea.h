#ifndef CUSTRENDERAREA_H
#define CUSTRENDERAREA_H

#include <QWidget>

// A vertical audio level meter: a thin black track and a green bar rising from the bottom edge.
class CustRenderArea : public QWidget
{
    Q_OBJECT

public:
    explicit CustRenderArea(QWidget *parent = nullptr);

    // 0.0 is silent, 1.0 full scale.
    void setLevel(double level);
    double level() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_level = 0.0;
};

#endif // CUSTRENDERAREA_H
