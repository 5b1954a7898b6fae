#include "print/wrap_comment.h"
#include "text/cp932.h"

#include <QTest>

using namespace sorvane;

namespace {

QString lines(const QStringList &list)
{
    return list.join(QStringLiteral("\r\n"));
}

} // namespace

class TestWrapComment : public QObject {
    Q_OBJECT

private slots:
    void wraps_data()
    {
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("wrapped");
        const QString kanji12 = QString(12, u'工');
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("12 full-width stay one line") << kanji12 << kanji12;
        QTest::newRow("13 full-width give 12 and 1") << kanji12 + u'事' << lines({kanji12, QStringLiteral("事")});
        QTest::newRow("60 half-width give 24, 24, 12")
            << QString(60, u'a') << lines({QString(24, u'a'), QString(24, u'a'), QString(12, u'a')});
        QTest::newRow("24 half-width stay") << QString(24, u'ｱ') << QString(24, u'ｱ');
        QTest::newRow("23 half-width then full-width")
            << QString(23, u'a') + u'写' << lines({QString(23, u'a'), QStringLiteral("写")});
        QTest::newRow("2 half-width then 12 full-width")
            << QStringLiteral("ab") + kanji12
            << lines({QStringLiteral("ab") + QString(11, u'工'), QStringLiteral("工")});
        QTest::newRow("empty middle line")
            << QStringLiteral("工事写\r\n\r\n真帳") << QStringLiteral("工事写\r\n\r\n真帳");
        QTest::newRow("trailing line break kept") << QStringLiteral("abc\r\n") << QStringLiteral("abc\r\n");
        QTest::newRow("only line breaks") << QStringLiteral("\r\n\r\n") << QStringLiteral("\r\n\r\n");
        QTest::newRow("each user line wrapped on its own")
            << QString(30, u'a') + QStringLiteral("\r\n") + QString(30, u'b')
            << lines({QString(24, u'a'), QString(6, u'a'), QString(24, u'b'), QString(6, u'b')});
        QTest::newRow("lone LF counts one byte")
            << QString(12, u'a') + u'\n' + QString(12, u'b')
            << lines({QString(12, u'a') + u'\n' + QString(11, u'b'), QStringLiteral("b")});
        QTest::newRow("lone CR stays in its line") << QStringLiteral("a\rb") << QStringLiteral("a\rb");
        QTest::newRow("spaces are not moved")
            << QString(24, u'a') + QStringLiteral(" b") << lines({QString(24, u'a'), QStringLiteral(" b")});
        QTest::newRow("unmappable counts one")
            << QString(24, u'é') + u'x' << lines({QString(24, u'é'), QStringLiteral("x")});
    }
    void wraps()
    {
        QFETCH(QString, comment);
        QFETCH(QString, wrapped);
        QCOMPARE(WrapComment(comment), wrapped);
    }

    void neverSplitsASurrogatePair()
    {
        // 23 bytes, then a camera emoji (one '?' byte): the pair fits whole.
        const QString camera = QStringLiteral("📷");
        QCOMPARE(WrapComment(QString(23, u'a') + camera + u'b'),
                 lines({QString(23, u'a') + camera, QStringLiteral("b")}));
        const QString many = camera.repeated(30);
        const QStringList out = WrapComment(many).split(QStringLiteral("\r\n"));
        QCOMPARE(out, QStringList({camera.repeated(24), camera.repeated(6)}));
    }

    void longCommentsHaveNoLimit()
    {
        // Far beyond 32,767 characters in one line and 32,767 lines.
        const QString comment = QString(100000, u'写');
        const QStringList out = WrapComment(comment).split(QStringLiteral("\r\n"));
        QCOMPARE(out.size(), 100000 / 12 + 1);
        for (const QString &line : out)
            QVERIFY(cp932::width(line) <= kCommentLineBytes);
        QCOMPARE(out.join(QString()), comment);
    }
};

QTEST_GUILESS_MAIN(TestWrapComment)
#include "tst_wrap_comment.moc"
