#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class QToolButton;

namespace sorvane {

// The bar above the slots that tells of photos that cannot be found or
// read: the count, a button to the list of them, and a close button.
class MissingPhotosBar : public QFrame {
    Q_OBJECT
public:
    explicit MissingPhotosBar(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;
    QLabel *label() const { return label_; }
    QPushButton *reviewButton() const { return review_; }
    QToolButton *closeButton() const { return close_; }

signals:
    void reviewRequested();
    void closeRequested();

private:
    QLabel *label_ = nullptr;
    QPushButton *review_ = nullptr;
    QToolButton *close_ = nullptr;
};

} // namespace sorvane
