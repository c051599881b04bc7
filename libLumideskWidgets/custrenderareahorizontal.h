#ifndef CUSTRENDERAREAHORIZONTAL_H
#define CUSTRENDERAREAHORIZONTAL_H

#include <QColor>
#include <QWidget>

// A horizontal level bar: a one-pixel track in a chosen colour and a green bar growing from the left.
class CustRenderAreaHorizontal : public QWidget
{
    Q_OBJECT

public:
    explicit CustRenderAreaHorizontal(QWidget *parent = nullptr);

    void setSize(int minimumHeight, int minimumWidth);
    // 0.0 is empty, 1.0 full.
    void setLevel(double level);
    double level() const;
    // Takes effect with the next repaint.
    void setPaintColor(const QColor &color);
    QColor paintColor() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_level = 0.0;
    QColor m_color = Qt::white;
};

#endif // CUSTRENDERAREAHORIZONTAL_H
