// Finding moved photos again: the names compared, the file chosen among
// those of one name, and the path mapping that explains a move.
#include "model/photo_relink.h"

#include <QTest>

using namespace sorvane;

Q_DECLARE_METATYPE(RelinkOutcome)

namespace {

using Identities = QHash<QString, PhotoIdentity>;
using Pairs = QList<QPair<QString, QString>>;

const QDateTime kNoon(QDate(2026, 10, 5), QTime(12, 0));

} // namespace

class TestPhotoRelink : public QObject {
    Q_OBJECT

private slots:
    void namesAndTails_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("tail");
        QTest::newRow("share") << R"(\\nas01\share\写真\A.JPG)"
                               << "/mnt/x/写真/A.JPG"
                               << "A.JPG" << 2;
        QTest::newRow("case") << R"(C:\Genba\Photos\img_1.jpg)"
                              << "/home/u/genba/PHOTOS/IMG_1.JPG"
                              << "img_1.jpg" << 3;
        QTest::newRow("slashes mixed") << "C:/写真/2026\\B.jpg"
                                       << "/srv/写真/2026/b.jpg"
                                       << "B.jpg" << 3;
        QTest::newRow("other folder") << R"(D:\a\B.jpg)"
                                      << "/x/c/B.jpg"
                                      << "B.jpg" << 1;
        QTest::newRow("other name") << R"(D:\a\B.jpg)"
                                    << "/x/a/C.jpg"
                                    << "B.jpg" << 0;
        QTest::newRow("bare name") << "B.jpg"
                                   << "/x/b.JPG"
                                   << "B.jpg" << 1;
        QTest::newRow("trailing separator") << "C:\\写真\\"
                                            << "/x/写真"
                                            << "" << 1;
    }
    void namesAndTails()
    {
        QFETCH(QString, written);
        QFETCH(QString, file);
        QFETCH(QString, name);
        QFETCH(int, tail);
        QCOMPARE(photoFileName(written), name);
        QCOMPARE(sharedTail(written, file), tail);
    }

    void candidateChoice_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QStringList>("candidates");
        QTest::addColumn<Identities>("identities");
        QTest::addColumn<RelinkOutcome>("outcome");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("left");

        const QString written = R"(\\nas01\share\工事\2026\床掘\A.JPG)";
        QTest::newRow("none") << written << QStringList{} << Identities{} << RelinkOutcome::NotFound << ""
                              << QStringList{};
        QTest::newRow("other names only") << written << QStringList{"/m/工事/B.JPG"} << Identities{}
                                          << RelinkOutcome::NotFound << "" << QStringList{};
        QTest::newRow("one") << written << QStringList{"/m/x/a.jpg"} << Identities{} << RelinkOutcome::Found
                             << "/m/x/a.jpg" << QStringList{};
        // The candidate whose folders agree furthest up wins, wherever it
        // stands in the list.
        QTest::newRow("longest tail") << written << QStringList{"/m/床掘/A.JPG", "/m/2026/床掘/A.JPG", "/m/old/A.JPG"}
                                      << Identities{} << RelinkOutcome::Found << "/m/2026/床掘/A.JPG" << QStringList{};
        QTest::newRow("tail compared regardless of case")
            << R"(C:\Site\Day1\A.JPG)" << QStringList{"/m/day2/A.JPG", "/m/SITE/DAY1/a.jpg"} << Identities{}
            << RelinkOutcome::Found << "/m/SITE/DAY1/a.jpg" << QStringList{};
        // Tied: copies of one photo (same size and date) are one photo.
        QTest::newRow("copies of one photo")
            << written << QStringList{"/m/z/床掘/A.JPG", "/m/b/床掘/A.JPG"}
            << Identities{{"/m/z/床掘/A.JPG", {1000, kNoon}}, {"/m/b/床掘/A.JPG", {1000, kNoon}}}
            << RelinkOutcome::Found << "/m/b/床掘/A.JPG" << QStringList{};
        QTest::newRow("same size, other date")
            << written << QStringList{"/m/z/床掘/A.JPG", "/m/b/床掘/A.JPG"}
            << Identities{{"/m/z/床掘/A.JPG", {1000, kNoon}}, {"/m/b/床掘/A.JPG", {1000, kNoon.addSecs(1)}}}
            << RelinkOutcome::Ambiguous << "" << QStringList{"/m/b/床掘/A.JPG", "/m/z/床掘/A.JPG"};
        QTest::newRow("same date, other size")
            << written << QStringList{"/m/z/床掘/A.JPG", "/m/b/床掘/A.JPG"}
            << Identities{{"/m/z/床掘/A.JPG", {1000, kNoon}}, {"/m/b/床掘/A.JPG", {1001, kNoon}}}
            << RelinkOutcome::Ambiguous << "" << QStringList{"/m/b/床掘/A.JPG", "/m/z/床掘/A.JPG"};
        QTest::newRow("unreadable copies are no proof")
            << written << QStringList{"/m/z/A.JPG", "/m/b/A.JPG"}
            << Identities{{"/m/z/A.JPG", {-1, {}}}, {"/m/b/A.JPG", {-1, {}}}} << RelinkOutcome::Ambiguous << ""
            << QStringList{"/m/b/A.JPG", "/m/z/A.JPG"};
        // Only the tied ones are left to choose from; a shorter tail drops out.
        QTest::newRow("three, two tied") << written << QStringList{"/m/a/A.JPG", "/m/q/床掘/A.JPG", "/m/p/床掘/A.JPG"}
                                         << Identities{{"/m/q/床掘/A.JPG", {5, kNoon}}, {"/m/p/床掘/A.JPG", {6, kNoon}}}
                                         << RelinkOutcome::Ambiguous << ""
                                         << QStringList{"/m/p/床掘/A.JPG", "/m/q/床掘/A.JPG"};
    }
    void candidateChoice()
    {
        QFETCH(QString, written);
        QFETCH(QStringList, candidates);
        QFETCH(Identities, identities);
        QFETCH(RelinkOutcome, outcome);
        QFETCH(QString, file);
        QFETCH(QStringList, left);
        QStringList asked;
        const RelinkChoice choice = chooseRelinkCandidate(written, candidates, [&](const QString &f) {
            asked << f;
            return identities.value(f);
        });
        QCOMPARE(choice.outcome, outcome);
        QCOMPARE(choice.file, file);
        QCOMPARE(choice.candidates, left);
        // Identities (a read of each file) are asked for ties only.
        for (const QString &f : asked)
            QVERIFY2(identities.contains(f), qPrintable(f));
    }

    void mappingOfOneMove_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("prefix"); // "" for none
        QTest::addColumn<QString>("folder");
        QTest::newRow("share") << R"(\\nas01\share\写真\A.JPG)"
                               << "/mnt/x/写真/A.JPG"
                               << R"(\\nas01\share)"
                               << "/mnt/x";
        // The user's name agrees too, so it belongs to the tail.
        QTest::newRow("drive, names in other case") << R"(C:\Users\genba\Pictures\現場\IMG_1.JPG)"
                                                    << "/home/genba/pictures/現場/img_1.jpg"
                                                    << R"(C:\Users)"
                                                    << "/home";
        QTest::newRow("drive alone") << R"(C:\現場\IMG_1.JPG)"
                                     << "/media/usb/現場/IMG_1.JPG"
                                     << "C:"
                                     << "/media/usb";
        QTest::newRow("linux path") << "/home/old/写真/A.JPG"
                                    << "/srv/new/写真/A.JPG"
                                    << "/home/old"
                                    << "/srv/new";
        QTest::newRow("into the root") << R"(\\nas01\share\A.JPG)"
                                       << "/A.JPG"
                                       << R"(\\nas01\share)"
                                       << "/";
        QTest::newRow("relative path") << R"(写真\A.JPG)"
                                       << "/srv/写真/A.JPG"
                                       << ""
                                       << "";
        QTest::newRow("only the root left") << "/写真/A.JPG"
                                            << "/mnt/x/写真/A.JPG"
                                            << ""
                                            << "";
        QTest::newRow("another name") << R"(\\nas01\share\A.JPG)"
                                      << "/mnt/x/B.JPG"
                                      << ""
                                      << "";
        QTest::newRow("nothing moved") << "/srv/写真/A.JPG"
                                       << "/srv/写真/A.JPG"
                                       << ""
                                       << "";
    }
    void mappingOfOneMove()
    {
        QFETCH(QString, written);
        QFETCH(QString, file);
        QFETCH(QString, prefix);
        QFETCH(QString, folder);
        const std::optional<PathMapping> mapping = relinkMapping(written, file);
        QCOMPARE(mapping.has_value(), !prefix.isEmpty());
        if (!mapping)
            return;
        QCOMPARE(mapping->prefix, prefix);
        QCOMPARE(mapping->folder, folder);
        QVERIFY(mappingExplains(*mapping, written, file));
    }

    void mappingExplainsOnlyItsOwnPaths_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("explains");
        // The mapping \\nas01\share → /mnt/x.
        QTest::newRow("below it") << R"(\\nas01\share\写真\2026\B.JPG)"
                                  << "/mnt/x/写真/2026/B.JPG" << true;
        QTest::newRow("share name in other case") << R"(\\NAS01\Share\b.jpg)"
                                                  << "/mnt/x/b.jpg" << true;
        QTest::newRow("forward slashes") << "//nas01/share/b.jpg"
                                         << "/mnt/x/b.jpg" << true;
        QTest::newRow("another share") << R"(\\nas02\share\B.JPG)"
                                       << "/mnt/x/B.JPG" << false;
        QTest::newRow("a longer share name") << R"(\\nas01\shared\B.JPG)"
                                             << "/mnt/x/B.JPG" << false;
        QTest::newRow("not a share") << R"(\nas01\share\B.JPG)"
                                     << "/mnt/x/B.JPG" << false;
        QTest::newRow("found elsewhere") << R"(\\nas01\share\写真\B.JPG)"
                                         << "/mnt/x/other/B.JPG" << false;
        QTest::newRow("found deeper") << R"(\\nas01\share\B.JPG)"
                                      << "/mnt/x/sub/B.JPG" << false;
        QTest::newRow("the prefix itself") << R"(\\nas01\share)"
                                           << "/mnt/x" << false;
    }
    void mappingExplainsOnlyItsOwnPaths()
    {
        QFETCH(QString, written);
        QFETCH(QString, file);
        QFETCH(bool, explains);
        QCOMPARE(mappingExplains(PathMapping{R"(\\nas01\share)", "/mnt/x"}, written, file), explains);
    }

    void commonMappingOfSeveralMoves_data()
    {
        QTest::addColumn<Pairs>("relinked");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("folder");
        QTest::newRow("one share, folders of any depth")
            << Pairs{{R"(\\nas01\share\写真\A.JPG)", "/mnt/x/写真/A.JPG"},
                     {R"(\\nas01\share\B.JPG)", "/mnt/x/B.JPG"},
                     {R"(\\nas01\share\写真\2026\C.JPG)", "/mnt/x/写真/2026/C.JPG"}}
            << R"(\\nas01\share)"
            << "/mnt/x";
        // A folder inside named like the new folder changes nothing.
        QTest::newRow("a folder named like the new one")
            << Pairs{{R"(\\nas01\share\x\A.JPG)", "/mnt/x/x/A.JPG"}, {R"(\\nas01\share\B.JPG)", "/mnt/x/B.JPG"}}
            << R"(\\nas01\share)"
            << "/mnt/x";
        QTest::newRow("moved to two places") << Pairs{{R"(\\nas01\share\写真\A.JPG)", "/mnt/x/写真/A.JPG"},
                                                      {R"(\\nas01\share\写真\B.JPG)", "/home/u/B.JPG"}}
                                             << ""
                                             << "";
        QTest::newRow("from two shares") << Pairs{{R"(\\nas01\share\A.JPG)", "/mnt/x/A.JPG"},
                                                  {R"(\\nas02\share\B.JPG)", "/mnt/x/B.JPG"}}
                                         << ""
                                         << "";
        QTest::newRow("relative paths") << Pairs{{"写真/A.JPG", "/mnt/x/写真/A.JPG"}} << ""
                                        << "";
        QTest::newRow("nothing relinked") << Pairs{} << ""
                                          << "";
    }
    void commonMappingOfSeveralMoves()
    {
        QFETCH(Pairs, relinked);
        QFETCH(QString, prefix);
        QFETCH(QString, folder);
        const std::optional<PathMapping> mapping = commonRelinkMapping(relinked);
        QCOMPARE(mapping.has_value(), !prefix.isEmpty());
        if (mapping)
            QCOMPARE(*mapping, PathMapping(prefix, folder));
    }

    void mappingsReplaceOneOfTheSamePrefix()
    {
        const QList<PathMapping> kept{{R"(\\nas01\share)", "/mnt/old"}, {"C:", "/media/usb"}};
        // Windows prefixes compare regardless of case and separators.
        const QList<PathMapping> replaced{{"//NAS01/share/", "/mnt/x"}, {"C:", "/media/usb"}};
        QCOMPARE(withMapping(kept, {"//NAS01/share/", "/mnt/x"}), replaced);
        QCOMPARE(withMapping(kept, {R"(\\nas01\share\写真)", "/mnt/x"}),
                 kept + QList<PathMapping>({PathMapping{R"(\\nas01\share\写真)", "/mnt/x"}}));
        // Paths of this machine keep their case.
        const QList<PathMapping> both{{"/home/Old", "/a"}, {"/home/old", "/b"}};
        QCOMPARE(withMapping({{"/home/Old", "/a"}}, {"/home/old", "/b"}), both);
        QVERIFY(samePrefix("c:\\", "C:"));
        QVERIFY(!samePrefix(R"(\\nas01)", R"(\nas01)"));
    }
};

QTEST_GUILESS_MAIN(TestPhotoRelink)
#include "tst_photo_relink.moc"
