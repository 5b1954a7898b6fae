#include "ui/main/page_spinner.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionToolButton>
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

void PageSpinner::step()
{
    setValue(value_ + direction_);
}

void PageSpinner::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    const int half = width() / 2;
    for (int side = 0; side < 2; ++side) {
        QStyleOptionToolButton option;
        option.initFrom(this);
        option.rect = side == 0 ? QRect(0, 0, half, height()) : QRect(half, 0, width() - half, height());
        option.arrowType = side == 0 ? Qt::LeftArrow : Qt::RightArrow;
        option.features = QStyleOptionToolButton::Arrow;
        option.toolButtonStyle = Qt::ToolButtonIconOnly;
        option.state |= QStyle::State_Raised | QStyle::State_AutoRaise;
        const bool pressed = (side == 0 && direction_ < 0) || (side == 1 && direction_ > 0);
        if (pressed)
            option.state |= QStyle::State_Sunken;
        painter.drawPrimitive(QStyle::PE_PanelButtonTool, option);
        painter.drawComplexControl(QStyle::CC_ToolButton, option);
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
