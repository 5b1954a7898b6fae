#include "ui/dialogs/options_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTabBar>

namespace sorvane {

OptionsDialog::OptionsDialog(PrintOptions &options, QWidget *parent) : QDialog(parent), options_(options)
{
    tabs_ = new QTabBar(this);
    check1_ = new QCheckBox(this);
    text1_ = new QLineEdit(QString::number(options_.topMargin), this);
    text2_ = new QLineEdit(QString::number(options_.leftMargin), this);
    check1_->setChecked(options_.numberPrinting);
}

void OptionsDialog::setNumberPrintState(int state)
{
    check1_->setCheckState(Qt::CheckState(state));
    options_.numberPrinting = state == 1;
}

} // namespace sorvane
