// The cover and photo page layouts, compared call by call with logs written
// from the layout tables.
#include "print/cover_page.h"
#include "print/photo_page.h"
#include "recording_surface.h"

#include <QTest>

#include <array>

using sorvane::CoverData;
using sorvane::PhotoSlot;
using PageSlots = std::array<PhotoSlot, 3>;

namespace {

// The cover's three text styles, as the calls that set them.
const QStringList kHeading{"font name ＭＳ ゴシック", "font size 28.00", "bold on"};
const QStringList kLabel{"font name ＭＳ ゴシック", "font size 16.00", "bold on"};
const QStringList kValue{"font name ＭＳ 明朝", "font size 14.00", "bold off"};

QString origin(double x, double y)
{
    return QStringLiteral("origin %1 %2").arg(RecordingSurface::mm(x), RecordingSurface::mm(y));
}

// The whole cover. figures[k] is '1' or '2': whether month or day field k
// (start month, start day, completion month and day, submission month and
// day) stands at its one-figure or its two-figure place.
QStringList expectedCover(const CoverData &c, const char *figures, int top = 0, int left = 0)
{
    static const char *const kDateX[6][2] = {{"147.50", "144.00"}, {"164.00", "160.50"}, {"147.50", "144.00"},
                                             {"164.00", "160.50"}, {"123.00", "118.00"}, {"143.50", "140.00"}};
    const auto dateX = [figures](int k) { return QString::fromLatin1(kDateX[k][figures[k] - '1']); };
    QStringList log{"millimetres", origin(top, left), "line width 4", "box 38.00 22.00 192.00 276.50", "line width 2"};
    const auto text = [&log](const QStringList &font, const QString &x, const QString &y, const QString &s) {
        log << font << QStringLiteral("text %1 %2 %3").arg(x, y, s);
    };
    text(kHeading, "77.00", "50.00", "工 事 写 真 帳");
    text(kLabel, "54.00", "82.00", "工事番号");
    text(kValue, "87.50", "82.50", "令和　" + c.field(1) + " 年度");
    text(kValue, "147.00", "82.50", "工第　" + c.field(2) + " 号");
    log << "line 54.00 90.00 174.00 90.00";
    text(kLabel, "54.00", "111.00", "工 事 名");
    text(kValue, "87.50", "111.50", c.field(3));
    log << "line 54.00 119.00 174.00 119.00";
    text(kLabel, "54.00", "140.00", "工事場所");
    text(kValue, "87.50", "140.50", c.field(4));
    log << "line 54.00 148.00 174.00 148.00";
    text(kLabel, "54.00", "169.00", "工　　期");
    for (int row = 0; row < 2; ++row) {
        const QString y = row == 0 ? "169.50" : "190.00";
        const int f = row == 0 ? 4 : 7;
        text(kValue, "83.00", y, row == 0 ? "着" : "竣");
        text(kValue, "100.00", y, "工");
        text(kValue, "113.00", y, "令和");
        text(kValue, "126.50", y, c.field(f + 1));
        text(kValue, "133.50", y, "年");
        text(kValue, dateX(2 * row), y, c.field(f + 2));
        text(kValue, "151.00", y, "月");
        text(kValue, dateX(2 * row + 1), y, c.field(f + 3));
        text(kValue, "167.00", y, "日");
        log << (row == 0 ? "line 77.00 177.00 174.00 177.00" : "line 77.00 198.00 174.00 198.00");
    }
    text(kLabel, "54.00", "247.00", "工事施工者");
    text(kValue, "87.50", "247.50", c.field(11));
    log << "line 54.00 256.00 174.00 256.00";
    text(kValue, "54.00", "258.50", "提出年月日");
    text(kValue, "87.50", "258.50", "令和");
    text(kValue, "102.00", "258.50", c.field(12));
    text(kValue, "109.50", "258.50", "年");
    text(kValue, dateX(4), "258.50", c.field(13));
    text(kValue, "127.00", "258.50", "月");
    text(kValue, dateX(5), "258.50", c.field(14));
    text(kValue, "147.00", "258.50", "日");
    return log << "line width 1";
}

// Month and day figures chosen so that neighbouring fields differ.
const CoverData kFilledCover{"5",  "123", "県道改良工事",     "北区1丁目", "5", "9", "25", "6",
                             "12", "3",   "山田建設株式会社", "6",         "4", "10"};
const char *const kFilledFigures = "122112";

QStringList drawCover(const CoverData &cover, int top = 0, int left = 0)
{
    RecordingSurface surface;
    sorvane::DrawCoverPage(surface, cover, top, left);
    return surface.calls;
}

// Empty when the logs are equal, else the first difference.
QString logDiff(const QStringList &actual, const QStringList &expected)
{
    for (qsizetype i = 0; i < qMin(actual.size(), expected.size()); ++i) {
        if (actual[i] != expected[i])
            return QStringLiteral("call %1: got \"%2\", expected \"%3\"").arg(i).arg(actual[i], expected[i]);
    }
    if (actual.size() != expected.size())
        return QStringLiteral("%1 calls, expected %2").arg(actual.size()).arg(expected.size());
    return {};
}

// Per slot: short rule, number, number rule, title, title rule, frame top and
// bottom, photo, first comment line.
const double kSlotYs[3][9] = {{13, 15, 20.5, 23, 29, 10, 99, 11, 31},
                              {105, 107, 112.5, 115, 121, 102, 191, 103, 123},
                              {197, 198, 204.5, 206, 212, 193, 282, 194, 214}};

// One slot's calls: label null when numbers are off; comment lines from the
// slot's first comment line on, 6 mm apart; picture as logged, or none.
QStringList expectedSlot(int s, const QString &label, const QString &title, const QStringList &comments,
                         const char *picture)
{
    const auto y = [s](int k) { return RecordingSurface::mm(kSlotYs[s][k]); };
    QStringList log{QStringLiteral("line 143.50 %1 158.00 %1").arg(y(0))};
    if (!label.isNull())
        log << "font size 11.00" << QStringLiteral("text 143.50 %1 ").arg(y(1)) + label;
    log << QStringLiteral("line 143.50 %1 190.00 %1").arg(y(2)) << "font size 11.00"
        << QStringLiteral("text 143.50 %1 ").arg(y(3)) + title << QStringLiteral("line 143.50 %1 190.00 %1").arg(y(4))
        << "font size 10.00";
    for (qsizetype k = 0; k < comments.size(); ++k)
        log << QStringLiteral("text 143.50 %1 ").arg(RecordingSurface::mm(kSlotYs[s][8] + 6.0 * k)) + comments[k];
    log << "line width 1" << QStringLiteral("box 18.50 %1 140.50 %2").arg(y(5), y(6));
    if (picture)
        log << QStringLiteral("picture %1 19.50 %2 120.00 87.00").arg(QLatin1String(picture), y(7));
    return log;
}

QImage filled(int w, int h, Qt::GlobalColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The second photo is portrait: it is still stretched to the landscape box.
const PageSlots kSample{PhotoSlot{"No. 1", "床掘状況", "掘削深さ\r\nH=1.2m", filled(40, 30, Qt::red), true},
                        PhotoSlot{"No. 2", "基礎砕石", "t=100", filled(30, 40, Qt::blue), true},
                        PhotoSlot{"No. 3", "埋戻し", "", filled(20, 20, Qt::green), true}};

QStringList sampleLog(const QString &originCall, bool numbers)
{
    const auto label = [numbers](const char *text) { return numbers ? QString(text) : QString(); };
    return QStringList{"millimetres", originCall, "font name ＭＳ 明朝"}
           << expectedSlot(0, label("No. 1"), "床掘状況", {"掘削深さ", "H=1.2m"}, "40x30 #ff0000")
           << expectedSlot(1, label("No. 2"), "基礎砕石", {"t=100"}, "30x40 #0000ff")
           << expectedSlot(2, label("No. 3"), "埋戻し", {}, "20x20 #00ff00");
}

} // namespace

Q_DECLARE_METATYPE(CoverData)

class TestPrintLayouts : public QObject {
    Q_OBJECT
private slots:
    // The top margin moves the cover across and the left margin down; nothing
    // else changes.
    void coverPage_data()
    {
        QTest::addColumn<CoverData>("cover");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("filled") << kFilledCover << 0 << 0 << expectedCover(kFilledCover, kFilledFigures);
        QTest::newRow("margins") << kFilledCover << 12 << -3 << expectedCover(kFilledCover, kFilledFigures, 12, -3);
        const CoverData twoFigures{
            "10", "7", "市道12号線舗装工事", "南町", "12", "10", "25", "13", "11", "30", "佐藤組", "7", "11", "25"};
        QTest::newRow("two figures, negative top")
            << twoFigures << -5 << 7 << expectedCover(twoFigures, "222222", -5, 7);
        // Empty fields still leave every label, rule and fixed part; empty
        // months and days read 0.
        QTest::newRow("empty") << CoverData{} << 0 << 0 << expectedCover(CoverData{}, "111111");
        CoverData longName;
        longName.constructionName = QString(200, u'長');
        QTest::newRow("long name not cut") << longName << 0 << 0 << expectedCover(longName, "111111");
    }

    void coverPage()
    {
        QFETCH(CoverData, cover);
        QFETCH(int, top);
        QFETCH(int, left);
        QFETCH(QStringList, expected);
        const QString diff = logDiff(drawCover(cover, top, left), expected);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    // Each date field in turn takes the text: a month or day reading below 10
    // (read like a margin) moves right, a year never moves.
    void coverDateShifts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("below10");
        for (const char *text : {"9", "", "abc", "09", "-12"})
            QTest::addRow("\"%s\"", text) << QString::fromUtf8(text) << true;
        for (const char *text : {"10", "12月", "9.6"})
            QTest::addRow("\"%s\"", text) << QString::fromUtf8(text) << false;
    }

    void coverDateShifts()
    {
        QFETCH(QString, text);
        QFETCH(bool, below10);
        // Field index and its place in the figures pattern (-1 for years).
        for (const auto &[field, k] :
             {std::pair{4, -1}, {5, 0}, {6, 1}, {7, -1}, {8, 2}, {9, 3}, {11, -1}, {12, 4}, {13, 5}}) {
            CoverData cover = kFilledCover;
            cover.field(field + 1) = text;
            QByteArray figures(kFilledFigures);
            if (k >= 0)
                figures[k] = below10 ? '1' : '2';
            const QString diff = logDiff(drawCover(cover), expectedCover(cover, figures.constData()));
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("field %1: ").arg(field) + diff));
        }
    }

    // Every slot of a photo page, call by call. The margins move the page's
    // own origin (13.5 mm across, 2 mm down): top across, left down.
    void photoPage_data()
    {
        QTest::addColumn<PageSlots>("pageSlots");
        QTest::addColumn<bool>("numbers");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("numbers on") << kSample << true << 0 << 0 << sampleLog("origin 13.50 2.00", true);
        // Without numbers only the labels go; the rules stay.
        QTest::newRow("numbers off, margins") << kSample << false << 7 << -5 << sampleLog("origin 20.50 -3.00", false);
        QTest::newRow("past the edge") << kSample << true << -20 << 10 << sampleLog("origin -6.50 12.00", true);

        // The photo path decides, not the picture: no path draws no picture
        // even with one at hand; a path whose picture failed draws it (null).
        PageSlots mixed = kSample;
        mixed[0].hasPhoto = false;
        mixed[1].picture = QImage();
        mixed[2] = {"No. 3", "埋戻し", "", QImage(), false};
        QTest::newRow("photo flag decides") << mixed << true << 0 << 0
                                            << (QStringList{"millimetres", "origin 13.50 2.00", "font name ＭＳ 明朝"}
                                                << expectedSlot(0, "No. 1", "床掘状況", {"掘削深さ", "H=1.2m"}, nullptr)
                                                << expectedSlot(1, "No. 2", "基礎砕石", {"t=100"}, "null")
                                                << expectedSlot(2, "No. 3", "埋戻し", {}, nullptr));

        PageSlots empty;
        empty[0].numberLabel = "No. 4";
        empty[1].numberLabel = "No. 5";
        empty[2].numberLabel = "No. 6";
        QTest::newRow("empty slots") << empty << true << 0 << 0
                                     << (QStringList{"millimetres", "origin 13.50 2.00", "font name ＭＳ 明朝"}
                                         << expectedSlot(0, "No. 4", "", {}, nullptr)
                                         << expectedSlot(1, "No. 5", "", {}, nullptr)
                                         << expectedSlot(2, "No. 6", "", {}, nullptr));

        // Comments wrap at 24 bytes (13 full-width characters break after
        // 12); a lone LF is no break; empty lines and a trailing break are
        // kept; the title is never wrapped.
        const QString longTitle = "とても長いタイトルは折り返さずに一行で印刷します";
        PageSlots wrapped = kSample;
        wrapped[0].comment = "あいうえおかきくけこさしす";
        wrapped[1].comment = "a\nb\r\n\r\nABCDEFGHIJKLMNOPQRSTUVWXYZ";
        wrapped[2].comment = "最終行\r\n";
        wrapped[2].title = longTitle;
        QTest::newRow("wrapped comments")
            << wrapped << true << 0 << 0
            << (QStringList{"millimetres", "origin 13.50 2.00", "font name ＭＳ 明朝"}
                << expectedSlot(0, "No. 1", "床掘状況", {"あいうえおかきくけこさし", "す"}, "40x30 #ff0000")
                << expectedSlot(1, "No. 2", "基礎砕石", {"a\nb", "", "ABCDEFGHIJKLMNOPQRSTUVWX", "YZ"}, "30x40 #0000ff")
                << expectedSlot(2, "No. 3", longTitle, {"最終行", ""}, "20x20 #00ff00"));

        // No cap on comment lines: eighteen typed lines, the last wrapping into
        // three, run on past the slot below and past the bottom of the sheet.
        QStringList typed, printed;
        for (int i = 1; i <= 17; ++i)
            typed << QStringLiteral("行%1").arg(i);
        printed = typed;
        typed << QString(30, u'漢');
        printed << QString(12, u'漢') << QString(12, u'漢') << QString(6, u'漢');
        PageSlots overflow = kSample;
        overflow[0].comment = overflow[2].comment = typed.join("\r\n");
        QTest::newRow("comments uncapped") << overflow << true << 0 << 0
                                           << (QStringList{"millimetres", "origin 13.50 2.00", "font name ＭＳ 明朝"}
                                               << expectedSlot(0, "No. 1", "床掘状況", printed, "40x30 #ff0000")
                                               << expectedSlot(1, "No. 2", "基礎砕石", {"t=100"}, "30x40 #0000ff")
                                               << expectedSlot(2, "No. 3", "埋戻し", printed, "20x20 #00ff00"));
    }

    void photoPage()
    {
        QFETCH(PageSlots, pageSlots);
        QFETCH(bool, numbers);
        QFETCH(int, top);
        QFETCH(int, left);
        QFETCH(QStringList, expected);
        RecordingSurface surface;
        sorvane::DrawPhotoPage(surface, pageSlots, top, left, numbers);
        const QString diff = logDiff(surface.calls, expected);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }
};

QTEST_GUILESS_MAIN(TestPrintLayouts)
#include "tst_print_layouts.moc"
