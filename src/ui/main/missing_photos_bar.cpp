#include "ui/main/missing_photos_bar.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace sorvane {

MissingPhotosBar::MissingPhotosBar(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("missing_photos_bar"));
    // A pale amber band, as desktops mark a notice that wants no answer now.
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 243, 205));
    colours.setColor(QPalette::WindowText, QColor(102, 77, 3));
    setPalette(colours);
    setFrameShape(QFrame::StyledPanel);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 2, 2);
    row->setSpacing(6);
    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    row->addWidget(icon);
    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("missing_photos_text"));
    row->addWidget(label_, 1);
    review_ = new QPushButton(QStringLiteral("写真の確認..."), this);
    review_->setObjectName(QStringLiteral("missing_photos_review"));
    row->addWidget(review_);
    close_ = new QToolButton(this);
    close_->setObjectName(QStringLiteral("missing_photos_close"));
    close_->setIcon(
        QIcon::fromTheme(QStringLiteral("window-close"), style()->standardIcon(QStyle::SP_TitleBarCloseButton)));
    close_->setAutoRaise(true);
    close_->setToolTip(QStringLiteral("閉じる"));
    close_->setAccessibleName(QStringLiteral("閉じる"));
    row->addWidget(close_);

    connect(review_, &QPushButton::clicked, this, &MissingPhotosBar::reviewRequested);
    connect(close_, &QToolButton::clicked, this, &MissingPhotosBar::closeRequested);
}

void MissingPhotosBar::setText(const QString &text)
{
    label_->setText(text);
    setAccessibleName(text);
}

QString MissingPhotosBar::text() const
{
    return label_->text();
}

} // namespace sorvane
