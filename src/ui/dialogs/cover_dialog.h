#pragma once

#include "model/cover_data.h"
#include "platform/services.h"

#include <QDialog>

#include <array>

class QLineEdit;

namespace sorvane {

// The cover-data dialog: the fourteen cover particulars of the album. Its
// text boxes are the live store of the cover data; constructing the dialog
// runs its load step (defaults from today's date and from corp.ini), and the
// owner discards the data by deleting the dialog. "OK" and the title-bar
// close box both only hide it.
class CoverDialog : public QDialog {
    Q_OBJECT
public:
    CoverDialog(PlatformServices &services, QWidget *parent);

    // Field n, 1..14.
    QString field(int n) const;
    void setField(int n, const QString &text);
    CoverData fields() const;
    void setFields(const CoverData &fields);
    QLineEdit *textBox(int n) const;

    // The close box and Escape hide the dialog as "OK" does; the cover data
    // stays in the text boxes until the owner deletes the dialog.
    void reject() override;

protected:
    // The first showing centres the dialog on its owner; later showings keep
    // wherever the user left it.
    void showEvent(QShowEvent *event) override;

private:
    void buildLabels();
    void buildTextBoxes();
    void loadDefaults(PlatformServices &services);

    std::array<QLineEdit *, kCoverFieldCount> text_{};
    bool placed_ = false;
};

} // namespace sorvane
