#pragma once

#include "model/cover_data.h"

#include <QDialog>

#include <array>

class QLineEdit;

namespace sorvane {

// The cover-data dialog: shows the fourteen cover particulars of the album
// and lets the user edit them. Its owner fills it from the album before it is
// shown and takes the fields back when it closes. "OK", the title-bar close
// box and Escape all only hide it, keeping what was typed.
class CoverDialog : public QDialog {
    Q_OBJECT
public:
    explicit CoverDialog(QWidget *parent);

    // Field n, 1..14.
    QString field(int n) const;
    void setField(int n, const QString &text);
    CoverData fields() const;
    void setFields(const CoverData &fields);
    QLineEdit *textBox(int n) const;

    void reject() override;

protected:
    // The first showing centres the dialog on its owner, or on the screen
    // while the owner is not shown yet; later showings keep wherever the
    // user left it.
    void showEvent(QShowEvent *event) override;

private:
    void buildLabels();
    void buildTextBoxes();

    std::array<QLineEdit *, kCoverFieldCount> fieldBoxes_{};
    bool placed_ = false;
};

} // namespace sorvane
