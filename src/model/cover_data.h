#pragma once

#include <QString>

#include <array>

namespace sorvane {

// The fourteen cover particulars of an album, fields 1..14 at indexes 0..13
// (fiscal year, construction number, name, site, start and completion dates,
// contractor, submission date).
inline constexpr int kCoverFieldCount = 14;
using CoverData = std::array<QString, kCoverFieldCount>;

} // namespace sorvane
