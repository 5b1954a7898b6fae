#pragma once

namespace sorvane {

// Sets exiv2 up once for the whole program, before its first use from any
// thread: quiet (a file it cannot read is simply one without metadata
// here), with the XMP parser initialised (its first use is not thread-safe)
// and with the ISO media file reader switched on, which reads the EXIF
// data of HEIF photos. Cheap after the first call.
void setUpExiv2();

} // namespace sorvane
