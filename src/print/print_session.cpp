#include "print/print_session.h"

#include "text/numbers.h"

namespace sorvane {

void PrintSession::loadIni(const PrintIni &ini)
{
    topMarginText_ = ini.topMargin;
    leftMarginText_ = ini.leftMargin;
    numberPrintState_ = ini.numberPrintState;
}

void PrintSession::closeOptions()
{
    topMarginText_ = QString::number(wholeNumberFromText(topMarginText_));
    leftMarginText_ = QString::number(wholeNumberFromText(leftMarginText_));
    numberPrintState_ = printsNumbers() ? 1 : 0;
}

PrintSettings PrintSession::settingsForJob() const
{
    return PrintSettings{wholeNumberFromText(topMarginText_), wholeNumberFromText(leftMarginText_), printsNumbers()};
}

} // namespace sorvane
