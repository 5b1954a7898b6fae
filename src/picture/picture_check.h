#pragma once

#include <QByteArrayView>
#include <QSize>
#include <QString>

#include <functional>

namespace sorvane {

// What one picture may take to decode, decided from its header before any
// decoding. Qt's readers allocate whatever a header claims and pad data that
// stops early, so a file of a few hundred bytes could otherwise take
// gigabytes and minutes.
//
// Pixels of the stored picture, whatever the scale it is decoded at: even at
// an eighth of its size a JPEG's every block is read, so this bounds the
// time. 2^27 (134 megapixels) is above any camera's sensor (100 megapixel
// medium format, 11648 × 8736, fits with room to spare).
inline constexpr qint64 kMaxPicturePixels = qint64(1) << 27;
// Memory the decoder may take for one picture: the decoded picture, the
// copy scaling makes, and for progressive JPEGs the DCT coefficients of the
// whole picture (2 bytes per sample of each component, whatever the scale).
// A 50 megapixel photo (8660 × 5773) at print size needs about 18 MB as a
// baseline JPEG and 168 MB as a progressive one with the usual 4:2:0
// chroma, 217 MB with 4:2:2; 224 MiB admits these and keeps one picture,
// with the program around it (about 40 MB), under 300 MB.
inline constexpr qint64 kMaxDecodeBytes = qint64(224) * 1024 * 1024;
// No format read here packs more pixels into a byte than about 8,000 (a
// one-bit PNG of one colour; a GIF manages 2,500, a Huffman JPEG 500): a
// header that claims more than this many pixels per byte of the file claims
// data the file does not hold.
inline constexpr qint64 kMaxPixelsPerFileByte = 16384;

// Why a picture of `size` (as its header claims) should not be decoded when
// decoding it takes decodeBytes of memory and its file holds fileBytes: a
// short reason, or an empty string when it may be. Every format is held to
// these budgets; decodeProblem() applies them to the formats Qt reads.
QString budgetProblem(QSize size, qint64 decodeBytes, qint64 fileBytes);

// Why the picture in these bytes should not be decoded at decodeSize (the
// size a scaling reader is asked for; empty for its own size): a short
// reason, or an empty string when it may be. JPEG, GIF and BMP headers are
// read here, and their data is checked to hold the whole picture (Qt's
// readers fill what is missing with grey or black and report success);
// other formats give their size through headerSize (Qt's reader) and are
// held to the same budgets.
QString decodeProblem(QByteArrayView bytes, QSize decodeSize, const std::function<QSize()> &headerSize);

} // namespace sorvane
