#pragma once

// Raw code page 932 tables, generated from Microsoft's own description of the
// code page. Use the functions of cp932.h rather than these arrays.

namespace sorvane::cp932::tables {

extern const char16_t kSingle[256];
extern const char16_t kDouble[60][256];
extern const unsigned char kEncodeBlock[256];
extern const unsigned short kEncode[][256];

} // namespace sorvane::cp932::tables
