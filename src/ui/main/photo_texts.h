#pragma once

#include <QString>

namespace sorvane {

// The file dialog filter of photos ("すべてのファイル (*.*)|*.*|BMP ...").
QString photoFileFilter();

// A reason a photo could not be loaded or imported, as the picture module
// gives it ("not a picture", "JPEG data cut off or damaged", ...), in the
// window's language; a reason it does not know stays as it is.
QString photoProblemText(const QString &reason);

// The tool tip of a photo box: file name, folder, shooting date and where
// it came from, pixel size and file size of the photo at `file` (the path
// in the album resolved); with `loadError` (the photo could not be shown)
// the reason instead of what cannot be known.
QString photoToolTip(const QString &file, const QString &loadError);

} // namespace sorvane
