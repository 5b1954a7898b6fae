#pragma once

#include "model/album_document.h"

#include <memory>

namespace sorvane::testing {

// A document holding the given entries and cover, as if read from `path`.
inline std::unique_ptr<AlbumDocument> documentOf(AlbumTable table, CoverData cover = {}, const QString &path = {})
{
    auto document = std::make_unique<AlbumDocument>();
    document->replace(AlbumContents{std::move(cover), std::move(table)}, path);
    return document;
}

} // namespace sorvane::testing
