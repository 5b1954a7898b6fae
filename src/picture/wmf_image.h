#pragma once

#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QImage>
#include <QSize>
#include <QString>

// Windows Metafiles (WMF), placeable or plain.
//
// Drawing goes through libwmf's lite interpreter with QPainter underneath.
// Text in the metafiles is taken as code page 932 (Shift-JIS) unless its font
// says otherwise; it is only drawn when a QGuiApplication exists, since Qt's
// fonts need one. Rendering is safe to run in worker threads.
namespace sorvane {

// The largest picture renderWmf draws, in either direction.
inline constexpr int kMaxWmfImageSide = 16384;

// True when the bytes start like a Windows Metafile.
bool isWmf(QByteArrayView head);

// The metafile's own frame in pixels at 96 dpi; an invalid size when the
// bytes are no readable metafile.
//
// A placeable metafile gives its bounding box and units per inch. A plain one
// has no physical size: its window (or, without one, the extent of what it
// draws) is taken in pixels when small and in twips (1440 per inch) when
// larger than 1024×1024 units.
QSize wmfFrameSize(QByteArrayView bytes);

// Draws the metafile so that its frame fills an image of the given size
// (stretched, aspect ratio not kept), on a transparent background. Returns a
// null image, with the reason in error, when the bytes cannot be drawn or the
// size is empty or larger than kMaxWmfImageSide. Drawing that takes longer
// than 30 seconds stops, and fails.
QImage renderWmf(QByteArrayView bytes, QSize size, QString *error = nullptr);

// The same, to be done by the deadline: drawing that has not finished by then
// stops, and a null image comes back with timedOut (when given) set to true;
// it is false after any other outcome. Reading the metafile's records before
// drawing is not cut short.
QImage renderWmf(QByteArrayView bytes, QSize size, QString *error, QDeadlineTimer deadline, bool *timedOut);

} // namespace sorvane
