#pragma once

#include <QByteArrayView>
#include <QSize>

namespace sorvane {

// The frame of a JPEG file as its header describes it: read from the markers
// before the first scan, without decoding anything.
struct JpegFrame {
    QSize size;         // stored size in pixels; empty when the file has no usable frame
    int components = 0; // 1 grey, 3 colour, 4 CMYK
    // Progressive, or a first scan that lacks some component: the decoder
    // keeps the DCT coefficients of the whole picture until the last scan,
    // whatever the scale it decodes at.
    bool wholePictureBuffer = false;
    qint64 coefficientBytes = 0; // what that buffer takes (0 without one)
};
JpegFrame readJpegFrame(QByteArrayView bytes);

// Whether the markers of a JPEG file describe its whole picture: every
// marker segment whole, scans that give each coefficient of each component
// its last bit, and the end marker. The compressed data itself is judged by
// the decoder (decodeJpeg() refuses data that stops early).
enum class JpegData {
    Complete,
    CutOff,  // the file ends, inside a segment or before its end marker, or scans are missing
    Damaged, // no frame, or frame or scan parameters libjpeg refuses
};
JpegData checkJpegData(QByteArrayView bytes);

} // namespace sorvane
