#include "text/numbers.h"

#include <QTest>

#include <initializer_list>

namespace {

// Each row is written "text|expected".
void addRows(const char *group, std::initializer_list<const char *> rows)
{
    for (const char *row : rows) {
        const QString line = QString::fromUtf8(row);
        const qsizetype bar = line.lastIndexOf(u'|');
        const QString text = line.left(bar);
        QTest::addRow("%s \"%s\"", group, qPrintable(text)) << text << line.mid(bar + 1).toInt();
    }
}

} // namespace

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void wholeNumberFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        addRows("whole", {"|0", "0|0", "15|15", "007|7", " 15 |15", "\t 20|20", "-12|-12", "+12|12", "  -3|-3"});
        // Only the number at the start of the text counts.
        addRows("leading", {"12abc|12", "10mm|10", "3 4|3", "1.2.3|1", "7,9|7", "abc|0", "a12|0", "   |0", "-|0",
                            "-x5|0", ".|0", "--5|0", "- 5|0", "１２|0"});
        // Halves go to the even neighbour, other fractions to the nearest.
        addRows("rounding", {"7.5|8", "6.5|6", "0.5|0", "1.5|2", "-2.5|-2", "-3.5|-4", "-0.5|0", ".5|0", "2.5cm|2",
                             "7.49|7", "7.51|8", "-7.6|-8", "-7.4|-7", ".7|1", "9.|9"});
        // An exponent counts only with digits after its letter.
        addRows("exponent", {"1e3|1000", "2E2|200", "25e-1|2", "1.5e+1|15", "5e|5", "5e-x|5", "1e-400|0"});
        addRows("range", {"32767|32767", "32768|32767", "32767.5|32767", "-32768|-32768", "-32769|-32768",
                          "99999999999999999999999|32767", "-99999999999999999999999|-32768", "1e400|32767",
                          "-1e400|-32768", "3.2766e4|32766"});
    }

    void wholeNumberFromText()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(int(sorvane::wholeNumberFromText(text)), expected);
    }

    // The same rounding serves the INI file's check state, where the text is
    // a whole number already read.
    void roundHalfToEven()
    {
        const std::pair<double, double> cases[] = {{0.5, 0},   {1.5, 2},  {2.5, 2},  {-2.5, -2},
                                                   {-3.5, -4}, {2.49, 2}, {2.51, 3}, {1e300, 1e300}};
        for (const auto &[value, expected] : cases)
            QCOMPARE(sorvane::roundHalfToEven(value), expected);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
