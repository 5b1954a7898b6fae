#pragma once

namespace sorvane {

// Text files of this program are code page 932, unless they start with a
// UTF-8 byte-order mark.
enum class TextEncoding { Cp932, Utf8 };

} // namespace sorvane
