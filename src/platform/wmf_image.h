#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

// Windows Metafiles (WMF), placeable or plain.
namespace sorvane {

// True when the bytes start like a Windows Metafile.
bool isWmf(QByteArrayView head);

// The metafile's own frame in pixels at 96 dpi; an invalid size when the
// bytes are no readable metafile.
QSize wmfFrameSize(QByteArrayView bytes);

// Draws the metafile so that its frame fills an image of the given size
// (stretched, aspect ratio not kept), on a transparent background. Returns a
// null image, with the reason in error, when the bytes cannot be drawn.
QImage renderWmf(QByteArrayView bytes, QSize size, QString *error = nullptr);

} // namespace sorvane
