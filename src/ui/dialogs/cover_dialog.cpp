#include "ui/dialogs/cover_dialog.h"

#include <QLineEdit>

namespace sorvane {

CoverDialog::CoverDialog(PlatformServices &, QWidget *parent) : QDialog(parent)
{
    for (QLineEdit *&box : text_)
        box = new QLineEdit(this);
}

QString CoverDialog::field(int n) const
{
    return text_[size_t(n - 1)]->text();
}

void CoverDialog::setField(int n, const QString &text)
{
    text_[size_t(n - 1)]->setText(text);
}

CoverData CoverDialog::fields() const
{
    CoverData data;
    for (int n = 1; n <= kCoverFieldCount; ++n)
        data[size_t(n - 1)] = field(n);
    return data;
}

void CoverDialog::setFields(const CoverData &fields)
{
    for (int n = 1; n <= kCoverFieldCount; ++n)
        setField(n, fields[size_t(n - 1)]);
}

QLineEdit *CoverDialog::textBox(int n) const
{
    return text_[size_t(n - 1)];
}

} // namespace sorvane
