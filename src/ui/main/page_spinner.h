#pragma once

#include <QTimer>
#include <QWidget>

namespace sorvane {

// The horizontal page spinner: its left half steps back one page, its right
// half forward, repeating while held, within 1..maximum.
class PageSpinner : public QWidget {
    Q_OBJECT
public:
    explicit PageSpinner(QWidget *parent = nullptr);

    int value() const { return value_; }
    int maximum() const { return maximum_; }
    void setValue(int value);
    void setMaximum(int maximum);
    // One page back (-1) or forward (+1) and the release that follows, as a
    // click on that half does; for assistive technology.
    void pressHalf(int direction);

signals:
    void valueChanged(int value);
    // The mouse button went up over the spinner.
    void released();
    // The pointer moved over the spinner (position in pixels).
    void hovered(QPoint pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void step();

    int value_ = 1;
    int maximum_ = 1;
    int direction_ = 0; // -1 back, +1 forward, 0 not pressed
    QTimer repeat_;
};

} // namespace sorvane
