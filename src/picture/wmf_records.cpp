#include "picture/wmf_records.h"

namespace sorvane::wmf {

bool isDrawingRecord(quint16 function)
{
    switch (function) {
    case fn::LineTo:
    case fn::Polyline:
    case fn::Polygon:
    case fn::PolyPolygon:
    case fn::Rectangle:
    case fn::RoundRect:
    case fn::Ellipse:
    case fn::Arc:
    case fn::Pie:
    case fn::Chord:
    case fn::TextOut:
    case fn::ExtTextOut:
    case fn::SetPixel:
    case fn::PatBlt:
    case fn::DibBitBlt:
    case fn::DibStretchBlt:
    case fn::StretchDib:
    case fn::SetDibToDev:
    case fn::FillRegion:
    case fn::FrameRegion:
    case fn::PaintRegion:
    case fn::InvertRegion:
    case fn::FloodFill:
    case fn::ExtFloodFill:
        return true;
    default:
        return false;
    }
}

quint32 minimumWords(quint16 function)
{
    switch (function) {
    case fn::SetBkMode:
    case fn::SetMapMode:
    case fn::SetRop2:
    case fn::SetPolyFillMode:
    case fn::SetTextCharExtra:
    case fn::SetTextAlign:
    case fn::SelectObject:
    case fn::DeleteObject:
    case fn::SelectClipRegion:
    case fn::InvertRegion:
    case fn::PaintRegion:
        return 1;
    case fn::SetBkColor:
    case fn::SetTextColor:
    case fn::SetTextJustification:
    case fn::SetWindowOrg:
    case fn::SetWindowExt:
    case fn::SetViewportOrg:
    case fn::SetViewportExt:
    case fn::OffsetWindowOrg:
    case fn::OffsetViewportOrg:
    case fn::LineTo:
    case fn::MoveTo:
    case fn::OffsetClipRgn:
    case fn::FillRegion:
        return 2;
    case fn::ScaleWindowExt:
    case fn::ScaleViewportExt:
    case fn::ExcludeClipRect:
    case fn::IntersectClipRect:
    case fn::Ellipse:
    case fn::Rectangle:
    case fn::SetPixel:
    case fn::FrameRegion:
        return 4;
    case fn::FloodFill:
    case fn::ExtFloodFill:
        return 5;
    case fn::RoundRect:
    case fn::PatBlt:
        return 6;
    case fn::Arc:
    case fn::Pie:
    case fn::Chord:
        return 8;
    // The DIB records: their fixed words, and at least a core bitmap header.
    case fn::DibBitBlt:
        return 8 + 6;
    case fn::DibStretchBlt:
        return 10 + 6;
    case fn::StretchDib:
        return 11 + 6;
    case fn::SetDibToDev:
        return 9 + 6;
    default:
        return 0;
    }
}

} // namespace sorvane::wmf
