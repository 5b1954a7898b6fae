#pragma once

#include "model/album_table.h"
#include "model/cover_data.h"

namespace sorvane {

// What an album file holds: the cover and the entries.
struct AlbumContents {
    CoverData cover;
    AlbumTable table;
};

} // namespace sorvane
