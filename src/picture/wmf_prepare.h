#pragma once

#include "picture/wmf_header.h"

#include <QByteArray>
#include <QByteArrayView>

#include <unordered_map>
#include <vector>

// Before libwmf sees a metafile, prepare() copies it record by record: it cuts
// a damaged or truncated end off, drops records too short for what they
// declare (libwmf would stop there), keeps the object table and SaveDC depth
// within bounds, and turns font sizes into the form libwmf understands. A
// metafile that ends early therefore still shows what it has.
namespace sorvane::wmf {

class FontCache;

// What a text record holds, for drawing it without libwmf's layout.
struct TextRecord {
    QByteArray bytes;
    std::vector<qint16> dx; // logical advance of each byte
    bool hasDx = false;
};

struct Prepared {
    Header header;
    QByteArray bytes;                          // the copy libwmf reads
    Mapping frameMapping;                      // the mapping when the first drawing record comes
    bool drawing = false;                      // whether any drawing record is left
    int records = 0;                           // records in the copy
    std::unordered_map<int, TextRecord> texts; // by record number in the copy
};

// Cleans the metafile for libwmf. With fonts given, font heights become em
// sizes and widths become stretch factors, which is how libwmf reads them.
Prepared prepare(QByteArrayView bytes, const Header &header, FontCache *fonts);

} // namespace sorvane::wmf
