#pragma once

#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>

// Geometry cut down to a rectangle before it reaches the painter: Qt's
// anti-aliasing rasteriser walks an edge along its whole length, even where
// nothing can be seen, and a damaged metafile can have edges millions of
// pixels long.
namespace sorvane::wmf {

// Sutherland-Hodgman: the polygon cut to the rectangle. Points inside keep
// their winding numbers, so either fill rule gives the same inside. Points
// that are not finite are left out.
QPolygonF clipPolygon(const QPolygonF &polygon, const QRectF &r);

// Liang-Barsky: the parts of a polyline inside the rectangle, added to out.
void clipPolyline(const QPolygonF &line, const QRectF &r, QPainterPath *out);

} // namespace sorvane::wmf
