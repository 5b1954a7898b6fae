#include "print/cover_page.h"
#include "print/photo_page.h"
#include "recording_surface.h"

#include <QImage>
#include <QTest>

#include <array>

using sorvane::CoverData;
using sorvane::PhotoSlot;
using PageSlots = std::array<PhotoSlot, 3>;

namespace {

const QString kGothic = QStringLiteral("ＭＳ ゴシック");
const QString kMincho = QStringLiteral("ＭＳ 明朝");

// The four calls of one cover text: font name, size, bold, then the text.
QStringList gothic16(const char *x, const char *y, const QString &text)
{
    return {QStringLiteral("font name ") + kGothic, QStringLiteral("font size 16.00"), QStringLiteral("bold on"),
            QStringLiteral("text %1 %2 %3").arg(QLatin1String(x), QLatin1String(y), text)};
}

QStringList mincho14(const char *x, const char *y, const QString &text)
{
    return {QStringLiteral("font name ") + kMincho, QStringLiteral("font size 14.00"), QStringLiteral("bold off"),
            QStringLiteral("text %1 %2 %3").arg(QLatin1String(x), QLatin1String(y), text)};
}

// Where the month and day fields of the cover stand, as written in the
// element table: start month and day, completion month and day, submission
// month and day.
struct DateXs {
    const char *startMonth;
    const char *startDay;
    const char *endMonth;
    const char *endDay;
    const char *submitMonth;
    const char *submitDay;
};

// The whole cover, call by call, written from the element table.
QStringList expectedCover(const CoverData &c, const DateXs &xs, const char *origin)
{
    QStringList log{QStringLiteral("millimetres"), QString::fromLatin1(origin), QStringLiteral("line width 4"),
                    QStringLiteral("box 38.00 22.00 192.00 276.50"), QStringLiteral("line width 2")};
    log << QStringLiteral("font name ") + kGothic << QStringLiteral("font size 28.00") << QStringLiteral("bold on")
        << QStringLiteral("text 77.00 50.00 工 事 写 真 帳");
    log << gothic16("54.00", "82.00", QStringLiteral("工事番号"));
    log << mincho14("87.50", "82.50", QStringLiteral("令和　") + c[0] + QStringLiteral(" 年度"));
    log << mincho14("147.00", "82.50", QStringLiteral("工第　") + c[1] + QStringLiteral(" 号"));
    log << QStringLiteral("line 54.00 90.00 174.00 90.00");
    log << gothic16("54.00", "111.00", QStringLiteral("工 事 名"));
    log << mincho14("87.50", "111.50", c[2]);
    log << QStringLiteral("line 54.00 119.00 174.00 119.00");
    log << gothic16("54.00", "140.00", QStringLiteral("工事場所"));
    log << mincho14("87.50", "140.50", c[3]);
    log << QStringLiteral("line 54.00 148.00 174.00 148.00");
    log << gothic16("54.00", "169.00", QStringLiteral("工　　期"));
    log << mincho14("83.00", "169.50", QStringLiteral("着"));
    log << mincho14("100.00", "169.50", QStringLiteral("工"));
    log << mincho14("113.00", "169.50", QStringLiteral("令和"));
    log << mincho14("126.50", "169.50", c[4]);
    log << mincho14("133.50", "169.50", QStringLiteral("年"));
    log << mincho14(xs.startMonth, "169.50", c[5]);
    log << mincho14("151.00", "169.50", QStringLiteral("月"));
    log << mincho14(xs.startDay, "169.50", c[6]);
    log << mincho14("167.00", "169.50", QStringLiteral("日"));
    log << QStringLiteral("line 77.00 177.00 174.00 177.00");
    log << mincho14("83.00", "190.00", QStringLiteral("竣"));
    log << mincho14("100.00", "190.00", QStringLiteral("工"));
    log << mincho14("113.00", "190.00", QStringLiteral("令和"));
    log << mincho14("126.50", "190.00", c[7]);
    log << mincho14("133.50", "190.00", QStringLiteral("年"));
    log << mincho14(xs.endMonth, "190.00", c[8]);
    log << mincho14("151.00", "190.00", QStringLiteral("月"));
    log << mincho14(xs.endDay, "190.00", c[9]);
    log << mincho14("167.00", "190.00", QStringLiteral("日"));
    log << QStringLiteral("line 77.00 198.00 174.00 198.00");
    log << gothic16("54.00", "247.00", QStringLiteral("工事施工者"));
    log << mincho14("87.50", "247.50", c[10]);
    log << QStringLiteral("line 54.00 256.00 174.00 256.00");
    log << mincho14("54.00", "258.50", QStringLiteral("提出年月日"));
    log << mincho14("87.50", "258.50", QStringLiteral("令和"));
    log << mincho14("102.00", "258.50", c[11]);
    log << mincho14("109.50", "258.50", QStringLiteral("年"));
    log << mincho14(xs.submitMonth, "258.50", c[12]);
    log << mincho14("127.00", "258.50", QStringLiteral("月"));
    log << mincho14(xs.submitDay, "258.50", c[13]);
    log << mincho14("147.00", "258.50", QStringLiteral("日"));
    log << QStringLiteral("line width 1");
    return log;
}

CoverData coverOf(std::initializer_list<const char *> fields)
{
    CoverData cover;
    int i = 0;
    for (const char *field : fields)
        cover[i++] = QString::fromUtf8(field);
    return cover;
}

const CoverData kFilledCover = coverOf(
    {"5", "123", "県道改良工事", "北区1丁目", "5", "9", "5", "6", "3", "31", "山田建設株式会社", "6", "4", "10"});

QStringList drawCover(const CoverData &cover, int top, int left)
{
    RecordingSurface surface;
    sorvane::DrawCoverPage(surface, cover, top, left);
    return surface.calls;
}

// Reports the first differing call, which reads better than a whole-list diff.
void compareLogs(const QStringList &actual, const QStringList &expected)
{
    for (qsizetype i = 0; i < qMin(actual.size(), expected.size()); ++i) {
        if (actual[i] != expected[i])
            QFAIL(
                qPrintable(QStringLiteral("call %1: got \"%2\", expected \"%3\"").arg(i).arg(actual[i], expected[i])));
    }
    QCOMPARE(actual.size(), expected.size());
}

// Positions of one photo slot, from the slot table.
struct SlotYs {
    const char *shortRule;
    const char *number;
    const char *numberRule;
    const char *title;
    const char *titleRule;
    const char *frameTop;
    const char *frameBottom;
    const char *photo;
};

const SlotYs kSlotYs[3] = {
    {"13.00", "15.00", "20.50", "23.00", "29.00", "10.00", "99.00", "11.00"},
    {"105.00", "107.00", "112.50", "115.00", "121.00", "102.00", "191.00", "103.00"},
    {"197.00", "198.00", "204.50", "206.00", "212.00", "193.00", "282.00", "194.00"},
};

// One slot's calls. comments holds the comment lines as "y text";
// picture is the picture's log name, or nullptr for none.
QStringList expectedSlot(int s, const QString &label, const QString &title, const QStringList &comments,
                         const char *picture)
{
    const SlotYs &y = kSlotYs[s];
    QStringList log;
    log << QStringLiteral("line 143.50 %1 158.00 %1").arg(QLatin1String(y.shortRule));
    if (!label.isNull())
        log << QStringLiteral("font size 11.00")
            << QStringLiteral("text 143.50 %1 ").arg(QLatin1String(y.number)) + label;
    log << QStringLiteral("line 143.50 %1 190.00 %1").arg(QLatin1String(y.numberRule));
    log << QStringLiteral("font size 11.00") << QStringLiteral("text 143.50 %1 ").arg(QLatin1String(y.title)) + title;
    log << QStringLiteral("line 143.50 %1 190.00 %1").arg(QLatin1String(y.titleRule));
    log << QStringLiteral("font size 10.00");
    for (const QString &comment : comments)
        log << QStringLiteral("text 143.50 ") + comment;
    log << QStringLiteral("line width 1");
    log << QStringLiteral("box 18.50 %1 140.50 %2").arg(QLatin1String(y.frameTop), QLatin1String(y.frameBottom));
    if (picture)
        log << QStringLiteral("picture %1 19.50 %2 120.00 87.00").arg(QLatin1String(picture), QLatin1String(y.photo));
    return log;
}

QStringList photoPageStart(const char *origin)
{
    return {QStringLiteral("millimetres"), QString::fromLatin1(origin), QStringLiteral("font name ") + kMincho};
}

QImage filled(int w, int h, Qt::GlobalColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

PageSlots sampleSlots()
{
    PageSlots pageSlots;
    pageSlots[0] = {QStringLiteral("No. 1"), QStringLiteral("床掘状況"), QStringLiteral("掘削深さ\r\nH=1.2m"),
                    filled(40, 30, Qt::red), true};
    // A portrait photo: it is still stretched to the landscape area.
    pageSlots[1] = {QStringLiteral("No. 2"), QStringLiteral("基礎砕石"), QStringLiteral("t=100"),
                    filled(30, 40, Qt::blue), true};
    pageSlots[2] = {QStringLiteral("No. 3"), QStringLiteral("埋戻し"), QString(), filled(20, 20, Qt::green), true};
    return pageSlots;
}

QStringList drawPhotos(const PageSlots &pageSlots, int top, int left, bool numbers)
{
    RecordingSurface surface;
    sorvane::DrawPhotoPage(surface, pageSlots, top, left, numbers);
    return surface.calls;
}

} // namespace

Q_DECLARE_METATYPE(CoverData)

class TestPrintLayouts : public QObject {
    Q_OBJECT
private slots:
    // The whole cover, element by element, with its fonts, positions, rules
    // and the state it leaves behind.
    void coverPage_data()
    {
        QTest::addColumn<CoverData>("cover");
        QTest::addColumn<QStringList>("expected");
        // Start month 9 and day 5, completion month 3: one figure, shifted
        // right; completion day 31 and submission day 10: two figures.
        QTest::newRow("filled") << kFilledCover
                                << expectedCover(kFilledCover,
                                                 {"147.50", "164.00", "147.50", "160.50", "123.00", "140.00"},
                                                 "origin 0.00 0.00");
        const CoverData twoFigures = coverOf(
            {"10", "7", "市道12号線舗装工事", "南町", "12", "10", "25", "13", "11", "30", "佐藤組", "7", "11", "25"});
        QTest::newRow("two figures") << twoFigures
                                     << expectedCover(twoFigures,
                                                      {"144.00", "160.50", "144.00", "160.50", "118.00", "140.00"},
                                                      "origin 0.00 0.00");
        // Empty fields print nothing where they stand, but every label, rule
        // and fixed part is there; empty months and days read 0 and so take
        // the one-figure position.
        const CoverData empty;
        QTest::newRow("empty") << empty
                               << expectedCover(empty, {"147.50", "164.00", "147.50", "164.00", "123.00", "143.50"},
                                                "origin 0.00 0.00");
        const CoverData longName = coverOf(
            {"5", "1", QString(200, QChar(u'長')).toUtf8().constData(), "", "", "", "", "", "", "", "", "", "", ""});
        QTest::newRow("long name not cut")
            << longName
            << expectedCover(longName, {"147.50", "164.00", "147.50", "164.00", "123.00", "143.50"},
                             "origin 0.00 0.00");
    }

    void coverPage()
    {
        QFETCH(CoverData, cover);
        QFETCH(QStringList, expected);
        compareLogs(drawCover(cover, 0, 0), expected);
    }

    // Month and day fields stand further right when their number is below
    // 10; year fields never move.
    void coverDateShifts_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expectedCall");
        struct Field {
            int index;
            const char *name;
            const char *y;
            const char *oneFigure;
            const char *twoFigures;
        };
        const Field fields[] = {
            {5, "start month", "169.50", "147.50", "144.00"},   {6, "start day", "169.50", "164.00", "160.50"},
            {8, "end month", "190.00", "147.50", "144.00"},     {9, "end day", "190.00", "164.00", "160.50"},
            {12, "submit month", "258.50", "123.00", "118.00"}, {13, "submit day", "258.50", "143.50", "140.00"},
            {4, "start year", "169.50", "126.50", "126.50"},    {7, "end year", "190.00", "126.50", "126.50"},
            {11, "submit year", "258.50", "102.00", "102.00"},
        };
        // Each text with whether it reads below 10.
        const struct {
            const char *text;
            bool below10;
        } texts[] = {
            {"9", true},
            {"10", false},
            {"1", true},
            {"12", false},
            {"", true},
            {"abc", true},
            {"0", true},
            {"09", true},
            {" 7", true},
            {"-1", true},
            {"12月", false},
            {"9日", true},
            {"9.4", true},
            {"10.2", false},
            {"１２", true},
            {"99", false},
            // Read like a margin, 9.6 rounds to 10.
            {"9.6", false},
        };
        for (const Field &f : fields) {
            for (const auto &t : texts) {
                const QString text = QString::fromUtf8(t.text);
                QTest::addRow("%s \"%s\"", f.name, t.text)
                    << f.index << text
                    << QStringLiteral("text %1 %2 %3")
                           .arg(QLatin1String(t.below10 ? f.oneFigure : f.twoFigures), QLatin1String(f.y), text);
            }
        }
    }

    void coverDateShifts()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, expectedCall);
        CoverData cover = kFilledCover;
        cover[field] = QStringLiteral("%%%") + text; // a mark to find the call by
        CoverData plain = kFilledCover;
        plain[field] = text;
        // The call carrying the field, found by content in a run with a marked
        // copy, must sit at the same place as expectedCall in the plain run.
        const QStringList marked = drawCover(cover, 0, 0);
        qsizetype at = -1;
        for (qsizetype i = 0; i < marked.size(); ++i) {
            if (marked[i].startsWith(QStringLiteral("text ")) && marked[i].contains(QStringLiteral("%%%")))
                at = i;
        }
        QVERIFY(at >= 0);
        QCOMPARE(drawCover(plain, 0, 0).at(at), expectedCall);
    }

    // The top margin moves the cover across, the left margin down; nothing
    // else of the cover changes.
    void coverMargins_data()
    {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("origin");
        QTest::newRow("none") << 0 << 0 << QStringLiteral("origin 0.00 0.00");
        QTest::newRow("top 5 right") << 5 << 0 << QStringLiteral("origin 5.00 0.00");
        QTest::newRow("left 5 down") << 0 << 5 << QStringLiteral("origin 0.00 5.00");
        QTest::newRow("top -5 left") << -5 << 0 << QStringLiteral("origin -5.00 0.00");
        QTest::newRow("left -5 up") << 0 << -5 << QStringLiteral("origin 0.00 -5.00");
        QTest::newRow("both") << 12 << -3 << QStringLiteral("origin 12.00 -3.00");
    }

    void coverMargins()
    {
        QFETCH(int, top);
        QFETCH(int, left);
        QFETCH(QString, origin);
        compareLogs(drawCover(kFilledCover, top, left),
                    expectedCover(kFilledCover, {"147.50", "164.00", "147.50", "160.50", "123.00", "140.00"},
                                  origin.toLatin1().constData()));
    }

    // Every slot of a photo page, call by call.
    void photoPage_data()
    {
        QTest::addColumn<PageSlots>("pageSlots");
        QTest::addColumn<bool>("numbers");
        QTest::addColumn<QStringList>("expected");

        const PageSlots sample = sampleSlots();
        QStringList full = photoPageStart("origin 13.50 2.00");
        full << expectedSlot(0, QStringLiteral("No. 1"), QStringLiteral("床掘状況"),
                             {QStringLiteral("31.00 掘削深さ"), QStringLiteral("37.00 H=1.2m")}, "40x30 #ff0000")
             << expectedSlot(1, QStringLiteral("No. 2"), QStringLiteral("基礎砕石"), {QStringLiteral("123.00 t=100")},
                             "30x40 #0000ff")
             << expectedSlot(2, QStringLiteral("No. 3"), QStringLiteral("埋戻し"), {}, "20x20 #00ff00");
        QTest::newRow("numbers on") << sample << true << full;

        // Without numbers only the labels go; the rules stay.
        QStringList noNumbers = photoPageStart("origin 13.50 2.00");
        noNumbers << expectedSlot(0, QString(), QStringLiteral("床掘状況"),
                                  {QStringLiteral("31.00 掘削深さ"), QStringLiteral("37.00 H=1.2m")}, "40x30 #ff0000")
                  << expectedSlot(1, QString(), QStringLiteral("基礎砕石"), {QStringLiteral("123.00 t=100")},
                                  "30x40 #0000ff")
                  << expectedSlot(2, QString(), QStringLiteral("埋戻し"), {}, "20x20 #00ff00");
        QTest::newRow("numbers off") << sample << false << noNumbers;

        // The photo path decides, not the picture: a slot without a path
        // draws no picture even when one is at hand, and a slot with a path
        // whose picture could not be had still draws it (empty).
        PageSlots mixed = sample;
        mixed[0].hasPhoto = false;
        mixed[1].picture = QImage();
        mixed[2].hasPhoto = false;
        mixed[2].picture = QImage();
        QStringList mixedLog = photoPageStart("origin 13.50 2.00");
        mixedLog << expectedSlot(0, QStringLiteral("No. 1"), QStringLiteral("床掘状況"),
                                 {QStringLiteral("31.00 掘削深さ"), QStringLiteral("37.00 H=1.2m")}, nullptr)
                 << expectedSlot(1, QStringLiteral("No. 2"), QStringLiteral("基礎砕石"),
                                 {QStringLiteral("123.00 t=100")}, "null")
                 << expectedSlot(2, QStringLiteral("No. 3"), QStringLiteral("埋戻し"), {}, nullptr);
        QTest::newRow("photo flag decides") << mixed << true << mixedLog;

        // Empty pageSlots keep their rules, frames and labels.
        PageSlots empty;
        empty[0].numberLabel = QStringLiteral("No. 4");
        empty[1].numberLabel = QStringLiteral("No. 5");
        empty[2].numberLabel = QStringLiteral("No. 6");
        QStringList emptyLog = photoPageStart("origin 13.50 2.00");
        emptyLog << expectedSlot(0, QStringLiteral("No. 4"), QString(), {}, nullptr)
                 << expectedSlot(1, QStringLiteral("No. 5"), QString(), {}, nullptr)
                 << expectedSlot(2, QStringLiteral("No. 6"), QString(), {}, nullptr);
        QTest::newRow("empty pageSlots") << empty << true << emptyLog;

        // Comments go through the 24-byte wrapping: a line of 13 full-width
        // characters breaks after 12; a lone LF is no break; empty lines and
        // a trailing break are kept. The title is never wrapped.
        PageSlots wrapped = sample;
        wrapped[0].comment = QStringLiteral("あいうえおかきくけこさしす");
        wrapped[1].comment = QStringLiteral("a\nb\r\n\r\nABCDEFGHIJKLMNOPQRSTUVWXYZ");
        wrapped[2].comment = QStringLiteral("最終行\r\n");
        wrapped[2].title = QStringLiteral("とても長いタイトルは折り返さずに一行で印刷します");
        QStringList wrappedLog = photoPageStart("origin 13.50 2.00");
        wrappedLog << expectedSlot(0, QStringLiteral("No. 1"), QStringLiteral("床掘状況"),
                                   {QStringLiteral("31.00 あいうえおかきくけこさし"), QStringLiteral("37.00 す")},
                                   "40x30 #ff0000")
                   << expectedSlot(1, QStringLiteral("No. 2"), QStringLiteral("基礎砕石"),
                                   {QStringLiteral("123.00 a\nb"), QStringLiteral("129.00 "),
                                    QStringLiteral("135.00 ABCDEFGHIJKLMNOPQRSTUVWX"), QStringLiteral("141.00 YZ")},
                                   "30x40 #0000ff")
                   << expectedSlot(2, QStringLiteral("No. 3"),
                                   QStringLiteral("とても長いタイトルは折り返さずに一行で印刷します"),
                                   {QStringLiteral("214.00 最終行"), QStringLiteral("220.00 ")}, "20x20 #00ff00");
        QTest::newRow("wrapped comments") << wrapped << true << wrappedLog;
    }

    void photoPage()
    {
        QFETCH(PageSlots, pageSlots);
        QFETCH(bool, numbers);
        QFETCH(QStringList, expected);
        compareLogs(drawPhotos(pageSlots, 0, 0, numbers), expected);
    }

    // A long comment runs on at 6 mm pitch past the slot below and past the
    // frame of the last slot: there is no cap on the number of lines.
    void commentOverflow_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QStringList>("expectedYs");
        QTest::newRow("slot 0") << 0
                                << QStringList{"31.00",  "37.00",  "43.00",  "49.00",  "55.00",  "61.00",  "67.00",
                                               "73.00",  "79.00",  "85.00",  "91.00",  "97.00",  "103.00", "109.00",
                                               "115.00", "121.00", "127.00", "133.00", "139.00", "145.00"};
        QTest::newRow("slot 1") << 1
                                << QStringList{"123.00", "129.00", "135.00", "141.00", "147.00", "153.00", "159.00",
                                               "165.00", "171.00", "177.00", "183.00", "189.00", "195.00", "201.00",
                                               "207.00", "213.00", "219.00", "225.00", "231.00", "237.00"};
        QTest::newRow("slot 2") << 2
                                << QStringList{"214.00", "220.00", "226.00", "232.00", "238.00", "244.00", "250.00",
                                               "256.00", "262.00", "268.00", "274.00", "280.00", "286.00", "292.00",
                                               "298.00", "304.00", "310.00", "316.00", "322.00", "328.00"};
    }

    void commentOverflow()
    {
        QFETCH(int, slot);
        QFETCH(QStringList, expectedYs);
        // Eighteen typed lines, the last of which wraps into three.
        QStringList typed;
        for (int i = 1; i <= 17; ++i)
            typed << QStringLiteral("行%1").arg(i);
        typed << QString(30, QChar(u'漢'));
        PageSlots pageSlots = sampleSlots();
        for (PhotoSlot &s : pageSlots)
            s.comment.clear();
        pageSlots[slot].comment = typed.join(QStringLiteral("\r\n"));

        QStringList expectedTexts;
        for (int i = 0; i < 17; ++i)
            expectedTexts << QStringLiteral("text 143.50 %1 行%2").arg(expectedYs[i]).arg(i + 1);
        expectedTexts << QStringLiteral("text 143.50 %1 ").arg(expectedYs[17]) + QString(12, QChar(u'漢'))
                      << QStringLiteral("text 143.50 %1 ").arg(expectedYs[18]) + QString(12, QChar(u'漢'))
                      << QStringLiteral("text 143.50 %1 ").arg(expectedYs[19]) + QString(6, QChar(u'漢'));

        const QStringList calls = drawPhotos(pageSlots, 0, 0, true);
        QStringList commentTexts;
        for (const QString &call : calls) {
            if (call.contains(u'行') || call.contains(u'漢'))
                commentTexts << call;
        }
        QCOMPARE(commentTexts, expectedTexts);
        // All of them between the slot's title rule and its frame box.
        const qsizetype titleRule =
            calls.indexOf(QStringLiteral("line 143.50 %1 190.00 %1").arg(QLatin1String(kSlotYs[slot].titleRule)));
        const qsizetype frame =
            calls.indexOf(QStringLiteral("box 18.50 %1 140.50 %2")
                              .arg(QLatin1String(kSlotYs[slot].frameTop), QLatin1String(kSlotYs[slot].frameBottom)));
        QVERIFY(titleRule >= 0 && frame >= 0);
        QCOMPARE(calls.indexOf(expectedTexts.first()), titleRule + 2);
        QCOMPARE(calls.indexOf(expectedTexts.last()), frame - 2);
    }

    // The top margin moves the page across and the left margin down, on top
    // of the page's own 13.5 and 2 mm; every coordinate stays as it is.
    void photoMargins_data()
    {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("origin");
        QTest::newRow("none") << 0 << 0 << QStringLiteral("origin 13.50 2.00");
        QTest::newRow("top 10 right") << 10 << 0 << QStringLiteral("origin 23.50 2.00");
        QTest::newRow("left 10 down") << 0 << 10 << QStringLiteral("origin 13.50 12.00");
        QTest::newRow("top -10 left") << -10 << 0 << QStringLiteral("origin 3.50 2.00");
        QTest::newRow("left -10 up") << 0 << -10 << QStringLiteral("origin 13.50 -8.00");
        QTest::newRow("top -20 past the edge") << -20 << 0 << QStringLiteral("origin -6.50 2.00");
        QTest::newRow("both") << 7 << -5 << QStringLiteral("origin 20.50 -3.00");
    }

    void photoMargins()
    {
        QFETCH(int, top);
        QFETCH(int, left);
        QFETCH(QString, origin);
        QStringList expected = photoPageStart(origin.toLatin1().constData());
        expected << expectedSlot(0, QStringLiteral("No. 1"), QStringLiteral("床掘状況"),
                                 {QStringLiteral("31.00 掘削深さ"), QStringLiteral("37.00 H=1.2m")}, "40x30 #ff0000")
                 << expectedSlot(1, QStringLiteral("No. 2"), QStringLiteral("基礎砕石"),
                                 {QStringLiteral("123.00 t=100")}, "30x40 #0000ff")
                 << expectedSlot(2, QStringLiteral("No. 3"), QStringLiteral("埋戻し"), {}, "20x20 #00ff00");
        compareLogs(drawPhotos(sampleSlots(), top, left, true), expected);
    }

    // Neither layout turns a page or ends the document; the print that
    // calls them does.
    void noPageBreaks()
    {
        const QStringList calls = drawCover(kFilledCover, 0, 0) + drawPhotos(sampleSlots(), 0, 0, true);
        QVERIFY(!calls.contains(QStringLiteral("new page")));
        QVERIFY(!calls.contains(QStringLiteral("end document")));
    }
};

QTEST_GUILESS_MAIN(TestPrintLayouts)
#include "tst_print_layouts.moc"
