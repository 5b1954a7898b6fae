#pragma once

#include <QString>

namespace sorvane {

// A number as the album writes it: decimal, with one blank in front when it
// is not negative (" 1", " 12", "-3").
QString numberText(qint64 n);

} // namespace sorvane
