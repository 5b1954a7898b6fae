#include "print/cover_page.h"

#include "text/numbers.h"

namespace sorvane {

namespace {

const QString kGothic = QStringLiteral("ＭＳ ゴシック");
const QString kMincho = QStringLiteral("ＭＳ 明朝");

struct CoverFont {
    const QString &name;
    double points;
    bool bold;
};

const CoverFont kHeadingFont{kGothic, 28, true};
const CoverFont kLabelFont{kGothic, 16, true};
const CoverFont kValueFont{kMincho, 14, false};

// Every text of the cover sets its whole font anew, name, size, bold in
// this order.
void coverText(PrintSurface &surface, double x, double y, const CoverFont &font, const QString &text)
{
    surface.setFontName(font.name);
    surface.setFontSize(font.points);
    surface.setFontBold(font.bold);
    surface.drawText(x, y, text);
}

// Months and days below 10 (single figures, but also empty or non-numeric
// fields, which read 0) stand further right so that they end where two
// figures would. The number is read like a margin.
double shiftedX(const QString &field, double oneFigureX, double twoFiguresX)
{
    return wholeNumberFromText(field) < 10 ? oneFigureX : twoFiguresX;
}

} // namespace

void DrawCoverPage(PrintSurface &surface, const CoverData &cover, int topMargin, int leftMargin)
{
    surface.setMillimetres();
    surface.setOrigin(topMargin, leftMargin);

    surface.setLineWidth(4);
    surface.drawBox(38.0, 22.0, 192.0, 276.5);
    surface.setLineWidth(2);

    coverText(surface, 77.0, 50.0, kHeadingFont, QStringLiteral("工 事 写 真 帳"));

    coverText(surface, 54.0, 82.0, kLabelFont, QStringLiteral("工事番号"));
    coverText(surface, 87.5, 82.5, kValueFont, QStringLiteral("令和　") + cover.fiscalYear + QStringLiteral(" 年度"));
    coverText(surface, 147.0, 82.5, kValueFont,
              QStringLiteral("工第　") + cover.constructionNumber + QStringLiteral(" 号"));
    surface.drawLine(54.0, 90.0, 174.0, 90.0);

    coverText(surface, 54.0, 111.0, kLabelFont, QStringLiteral("工 事 名"));
    coverText(surface, 87.5, 111.5, kValueFont, cover.constructionName);
    surface.drawLine(54.0, 119.0, 174.0, 119.0);

    coverText(surface, 54.0, 140.0, kLabelFont, QStringLiteral("工事場所"));
    coverText(surface, 87.5, 140.5, kValueFont, cover.site);
    surface.drawLine(54.0, 148.0, 174.0, 148.0);

    // The construction period: start and completion rows share one layout;
    // their rules leave the label column open.
    coverText(surface, 54.0, 169.0, kLabelFont, QStringLiteral("工　　期"));
    const struct {
        QString mark;
        double y;
        double ruleY;
        const QString &year;
        const QString &month;
        const QString &day;
    } periodRows[] = {
        {QStringLiteral("着"), 169.5, 177.0, cover.startYear, cover.startMonth, cover.startDay},
        {QStringLiteral("竣"), 190.0, 198.0, cover.completionYear, cover.completionMonth, cover.completionDay},
    };
    for (const auto &row : periodRows) {
        const QString &year = row.year;
        const QString &month = row.month;
        const QString &day = row.day;
        coverText(surface, 83.0, row.y, kValueFont, row.mark);
        coverText(surface, 100.0, row.y, kValueFont, QStringLiteral("工"));
        coverText(surface, 113.0, row.y, kValueFont, QStringLiteral("令和"));
        coverText(surface, 126.5, row.y, kValueFont, year);
        coverText(surface, 133.5, row.y, kValueFont, QStringLiteral("年"));
        coverText(surface, shiftedX(month, 147.5, 144.0), row.y, kValueFont, month);
        coverText(surface, 151.0, row.y, kValueFont, QStringLiteral("月"));
        coverText(surface, shiftedX(day, 164.0, 160.5), row.y, kValueFont, day);
        coverText(surface, 167.0, row.y, kValueFont, QStringLiteral("日"));
        surface.drawLine(77.0, row.ruleY, 174.0, row.ruleY);
    }

    coverText(surface, 54.0, 247.0, kLabelFont, QStringLiteral("工事施工者"));
    coverText(surface, 87.5, 247.5, kValueFont, cover.contractor);
    surface.drawLine(54.0, 256.0, 174.0, 256.0);

    // The only label in the regular Mincho face.
    coverText(surface, 54.0, 258.5, kValueFont, QStringLiteral("提出年月日"));
    coverText(surface, 87.5, 258.5, kValueFont, QStringLiteral("令和"));
    coverText(surface, 102.0, 258.5, kValueFont, cover.submissionYear);
    coverText(surface, 109.5, 258.5, kValueFont, QStringLiteral("年"));
    coverText(surface, shiftedX(cover.submissionMonth, 123.0, 118.0), 258.5, kValueFont, cover.submissionMonth);
    coverText(surface, 127.0, 258.5, kValueFont, QStringLiteral("月"));
    coverText(surface, shiftedX(cover.submissionDay, 143.5, 140.0), 258.5, kValueFont, cover.submissionDay);
    coverText(surface, 147.0, 258.5, kValueFont, QStringLiteral("日"));

    surface.setLineWidth(1);
}

} // namespace sorvane
