#include "print/photo_page.h"

#include "print/wrap_comment.h"
#include "text/line_breaks.h"

#include <QStringList>

namespace sorvane {

namespace {

// Vertical positions of one slot, in millimetres. Slot 2 stands a millimetre
// higher than a regular 92 mm step would put it, except for its top two rules.
struct SlotRows {
    double shortRule;
    double number;
    double numberRule;
    double title;
    double titleRule;
    double firstComment;
    double frameTop;
    double frameBottom;
    double photo;
};

constexpr SlotRows kSlotRows[3] = {
    {13.0, 15.0, 20.5, 23.0, 29.0, 31.0, 10.0, 99.0, 11.0},
    {105.0, 107.0, 112.5, 115.0, 121.0, 123.0, 102.0, 191.0, 103.0},
    {197.0, 198.0, 204.5, 206.0, 212.0, 214.0, 193.0, 282.0, 194.0},
};

constexpr double kTextX = 143.5;
constexpr double kShortRuleEndX = 158.0;
constexpr double kRuleEndX = 190.0;
constexpr double kFrameLeft = 18.5;
constexpr double kFrameRight = 140.5;
constexpr double kPhotoX = 19.5;
constexpr double kPhotoWidth = 120.0;
constexpr double kPhotoHeight = 87.0;
constexpr double kCommentPitch = 6.0;

} // namespace

void DrawPhotoPage(PrintSurface &surface, const std::array<PhotoSlot, 3> &pageSlots, int topMargin, int leftMargin,
                   bool printNumbers)
{
    surface.setMillimetres();
    surface.setOrigin(topMargin + 13.5, leftMargin + 2.0);
    // Regular weight throughout: the cover leaves bold off and nothing here
    // turns it on.
    surface.setFontName(QStringLiteral("ＭＳ 明朝"));

    for (int s = 0; s < 3; ++s) {
        const PhotoSlot &slot = pageSlots[s];
        const SlotRows &rows = kSlotRows[s];

        surface.drawLine(kTextX, rows.shortRule, kShortRuleEndX, rows.shortRule);
        if (printNumbers) {
            surface.setFontSize(11);
            surface.drawText(kTextX, rows.number, slot.numberLabel);
        }
        surface.drawLine(kTextX, rows.numberRule, kRuleEndX, rows.numberRule);
        surface.setFontSize(11);
        surface.drawText(kTextX, rows.title, slot.title);
        surface.drawLine(kTextX, rows.titleRule, kRuleEndX, rows.titleRule);

        // No cap: a long comment runs on down into the slot below.
        surface.setFontSize(10);
        // An empty comment prints no line at all; a trailing line break still
        // gives an (empty) last line.
        const QString wrapped = WrapComment(slot.comment);
        const QStringList lines = wrapped.isEmpty() ? QStringList() : wrapped.split(kCrLf);
        for (qsizetype k = 0; k < lines.size(); ++k)
            surface.drawText(kTextX, rows.firstComment + kCommentPitch * double(k), lines[k]);

        surface.setLineWidth(1);
        surface.drawBox(kFrameLeft, rows.frameTop, kFrameRight, rows.frameBottom);
        if (slot.hasPhoto)
            surface.drawPicture(slot.picture, kPhotoX, rows.photo, kPhotoWidth, kPhotoHeight);
    }
}

} // namespace sorvane
