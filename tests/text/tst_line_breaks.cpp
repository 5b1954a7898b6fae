// Line breaks between the program's CR LF and the LF of widgets and desktop.
#include "text/line_breaks.h"

#include <QTest>

using namespace sorvane;

class TestLineBreaks : public QObject {
    Q_OBJECT
private slots:
    void conversions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lf");      // crLfToLf
        QTest::addColumn<QString>("shown");   // lineBreaksToLf
        QTest::addColumn<QString>("program"); // lfToCrLf
        QTest::newRow("clipboard form") << "T\r\nL1\r\nL2"
                                        << "T\nL1\nL2"
                                        << "T\nL1\nL2"
                                        << "T\r\nL1\r\nL2";
        QTest::newRow("desktop form") << "T\nL1\nL2\n"
                                      << "T\nL1\nL2\n"
                                      << "T\nL1\nL2\n"
                                      << "T\r\nL1\r\nL2\r\n";
        QTest::newRow("lone CR") << "a\rb\r\nc"
                                 << "a\rb\nc"
                                 << "a\nb\nc"
                                 << "a\rb\r\nc";
        QTest::newRow("separators") << QStringLiteral("a\u2028b\u2029c") << QStringLiteral("a\u2028b\u2029c")
                                    << "a\nb\nc" << QStringLiteral("a\u2028b\u2029c");
        QTest::newRow("CR before CR LF") << "a\r\r\nb"
                                         << "a\r\nb"
                                         << "a\n\nb"
                                         << "a\r\r\nb";
        QTest::newRow("empty") << ""
                               << ""
                               << ""
                               << "";
    }
    void conversions()
    {
        QFETCH(QString, text);
        QTEST(crLfToLf(text), "lf");
        QTEST(lineBreaksToLf(text), "shown");
        QTEST(lfToCrLf(text), "program");
    }
};

QTEST_GUILESS_MAIN(TestLineBreaks)
#include "tst_line_breaks.moc"
