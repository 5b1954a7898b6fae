#include "text/font_faces.h"

#include <QFont>
#include <QFontDatabase>
#include <QTest>

#include <algorithm>

using namespace sorvane;

namespace {

const QStringList kIpaFamilies{"IPAMincho", "IPAPMincho", "IPAGothic", "IPAPGothic"};

} // namespace

class TestFontFaces : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        for (const QString &family : kIpaFamilies)
            QVERIFY2(QFontDatabase::hasFamily(family),
                     qPrintable(family + " is not installed (fonts-ipafont-gothic, fonts-ipafont-mincho)"));
    }

    // The layouts' faces get their IPA stand-ins, once however often this
    // runs; no other face gets a substitute.
    void substitutesTheLayoutFaces()
    {
        QVERIFY(QFont::substitutes(QStringLiteral("ＭＳ 明朝")).isEmpty());
        registerFontSubstitutions();
        registerFontSubstitutions();
        const QList<std::pair<QString, QString>> expected{
            {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
            {QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho")},
            {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")},
        };
        for (const auto &[face, family] : expected) {
            const QStringList substitutes = QFont::substitutes(face);
            QCOMPARE(substitutes.size(), 1);
            QCOMPARE(substitutes.first().toLower(), family.toLower());
        }
        QCOMPARE(QFont::substitutions().size(), expected.size());
        QVERIFY(QFont::substitutes(QStringLiteral("ＭＳ Ｐ明朝")).isEmpty());
    }

    // A face named in a layout is drawn in the same font when a metafile
    // names it.
    void layoutFacesAndMetafilesAgree()
    {
        registerFontSubstitutions();
        for (const QString &face :
             {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("ＭＳ 明朝"), QStringLiteral("ＭＳ ゴシック")})
            QCOMPARE(chooseFace(face).family.toLower(), QFont::substitute(face).toLower());
    }

    void choosesFaces_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("hint");
        QTest::addColumn<bool>("japanese");
        const int serif = QFont::Serif, sans = QFont::SansSerif, any = QFont::AnyStyle;
        QTest::newRow("ＭＳ Ｐゴシック") << QStringLiteral("ＭＳ Ｐゴシック") << "IPAPGothic" << sans << true;
        QTest::newRow("ＭＳ ゴシック") << QStringLiteral("ＭＳ ゴシック") << "IPAGothic" << sans << true;
        QTest::newRow("ＭＳ 明朝") << QStringLiteral("ＭＳ 明朝") << "IPAMincho" << serif << true;
        QTest::newRow("ＭＳ Ｐ明朝") << QStringLiteral("ＭＳ Ｐ明朝") << "IPAPMincho" << serif << true;
        QTest::newRow("MS PGothic") << QStringLiteral("MS PGothic") << "IPAPGothic" << sans << true;
        QTest::newRow("MS Mincho") << QStringLiteral("MS Mincho") << "IPAMincho" << serif << true;
        QTest::newRow("half-width katakana") << QStringLiteral("ｺﾞｼｯｸ") << "IPAGothic" << sans << true;
        QTest::newRow("another Gothic") << QStringLiteral("HG丸ｺﾞｼｯｸM-PRO") << "IPAGothic" << sans << true;
        QTest::newRow("Latin Gothic") << QStringLiteral("Century Gothic") << "IPAGothic" << sans << true;
        QTest::newRow("Mincho before Gothic") << QStringLiteral("PGothic Mincho") << "IPAPMincho" << serif << true;
        QTest::newRow("IPA family itself") << QStringLiteral("IPAPGothic") << "IPAPGothic" << sans << true;
        QTest::newRow("Japanese, not installed") << QStringLiteral("存在しない書体") << "" << any << true;
        QTest::newRow("Latin, not installed") << QStringLiteral("No Such Face 1234") << "" << any << false;
        QTest::newRow("empty") << QString() << "" << any << false;
        const QStringList installed = QFontDatabase::families();
        const auto other = std::find_if(installed.cbegin(), installed.cend(), [](const QString &family) {
            const QString name = family.toLower();
            return !name.contains(u"gothic") && !name.contains(u"mincho") &&
                   std::all_of(family.cbegin(), family.cend(), [](QChar c) { return c.unicode() < 0x80; });
        });
        if (other != installed.cend())
            QTest::newRow("installed Latin face") << *other << *other << any << false;
    }
    void choosesFaces()
    {
        QFETCH(QString, face);
        QFETCH(QString, family);
        QFETCH(int, hint);
        QFETCH(bool, japanese);
        const FaceChoice choice = chooseFace(face);
        QCOMPARE(choice.family, family);
        QCOMPARE(int(choice.hint), hint);
        QCOMPARE(choice.japanese, japanese);
    }
};

QTEST_MAIN(TestFontFaces)
#include "tst_font_faces.moc"
