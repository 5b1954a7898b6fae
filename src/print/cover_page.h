#pragma once

#include "model/cover_data.h"
#include "print/print_surface.h"

namespace sorvane {

// Draws the album's cover sheet: the framed heading "工 事 写 真 帳" with the
// fourteen cover particulars, on the current sheet of the surface. The top
// margin moves the drawing to the right and the left margin moves it down
// (each on the axis opposite to its name), in whole millimetres. Leaves the
// surface at line width 1 and font "ＭＳ 明朝" 14 points, not bold.
void DrawCoverPage(PrintSurface &surface, const CoverData &cover, int topMargin, int leftMargin);

} // namespace sorvane
