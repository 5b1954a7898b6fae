#include "ui/main/fonts.h"

#include "print/print_fonts.h"

namespace sorvane {

void registerFontSubstitutions()
{
    registerPrintFontSubstitutions();
}

} // namespace sorvane
