#include "print/print_session.h"

#include "print/margins.h"

namespace sorvane {

void PrintSession::loadIni(const PrintIni &ini)
{
    topMarginText_ = ini.topMargin;
    leftMarginText_ = ini.leftMargin;
    numberPrintState_ = ini.numberPrintState;
}

void PrintSession::closeOptions()
{
    topMarginText_ = QString::number(marginFromText(topMarginText_));
    leftMarginText_ = QString::number(marginFromText(leftMarginText_));
    numberPrintState_ = printsNumbers() ? 1 : 0;
}

PrintSettings PrintSession::settingsForJob() const
{
    return PrintSettings{marginFromText(topMarginText_), marginFromText(leftMarginText_), printsNumbers()};
}

} // namespace sorvane
