#include "ui/main/page_spinner.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace sorvane {

namespace {
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 80;
} // namespace

PageSpinner::PageSpinner(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    repeat_.setInterval(kRepeatIntervalMs);
    connect(&repeat_, &QTimer::timeout, this, [this] {
        repeat_.setInterval(kRepeatIntervalMs);
        step();
    });
}

void PageSpinner::setValue(int value)
{
    value = std::clamp(value, 1, std::max(1, maximum_));
    if (value == value_)
        return;
    value_ = value;
    emit valueChanged(value_);
}

void PageSpinner::setMaximum(int maximum)
{
    maximum_ = std::max(1, maximum);
    setValue(value_);
}

void PageSpinner::pressHalf(int direction)
{
    setValue(value_ + (direction < 0 ? -1 : 1));
    emit released();
}

void PageSpinner::step()
{
    setValue(value_ + direction_);
}

void PageSpinner::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    const int half = width() / 2;
    for (int side = 0; side < 2; ++side) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = side == 0 ? QRect(0, 0, half, height()) : QRect(half, 0, width() - half, height());
        button.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
        const bool pressed = (side == 0 && direction_ < 0) || (side == 1 && direction_ > 0);
        button.state |= pressed ? QStyle::State_Sunken : QStyle::State_Raised;
        painter.drawControl(QStyle::CE_PushButtonBevel, button);

        QStyleOption arrow = button;
        const int inset = std::max(2, std::min(button.rect.width(), button.rect.height()) / 4);
        arrow.rect = button.rect.adjusted(inset, inset, -inset, -inset);
        painter.drawPrimitive(side == 0 ? QStyle::PE_IndicatorArrowLeft : QStyle::PE_IndicatorArrowRight, arrow);
    }
}

void PageSpinner::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    direction_ = event->position().x() < width() / 2.0 ? -1 : 1;
    step();
    repeat_.setInterval(kRepeatDelayMs);
    repeat_.start();
    update();
}

void PageSpinner::mouseReleaseEvent(QMouseEvent *)
{
    repeat_.stop();
    direction_ = 0;
    update();
    emit released();
}

void PageSpinner::mouseMoveEvent(QMouseEvent *event)
{
    emit hovered(event->position().toPoint());
}

} // namespace sorvane
