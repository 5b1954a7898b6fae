// Where a new file (a PDF) may not be written: what is no regular file, and
// the album file itself however its path is spelled.
#include "io/output_path.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace sorvane;

class TestOutputPath : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void refusals()
    {
        const QString album = path("site.svd");
        QFile f(album);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString fifo = path("pipe");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString socketPath = path("sock");
        const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof address.sun_path);
        QCOMPARE(::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        QVERIFY(QFile::link(album, path("link.pdf")));
        QVERIFY(QFile::link("/dev/null", path("null.pdf")));
        QVERIFY(QFile::link(path("gone.pdf"), path("dangling.pdf")));
        QVERIFY(::link(QFile::encodeName(album).constData(), QFile::encodeName(path("hard.pdf")).constData()) == 0);
        QFile other(path("other.pdf"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();

        const QList<std::pair<QString, OutputRefusal>> cases = {
            {path("new.pdf"), OutputRefusal::None},
            {path("other.pdf"), OutputRefusal::None},
            {path("dangling.pdf"), OutputRefusal::None},
            {dir.path(), OutputRefusal::Folder},
            {"/dev/null", OutputRefusal::Device},
            {path("null.pdf"), OutputRefusal::Device},
            {fifo, OutputRefusal::NamedPipe},
            {socketPath, OutputRefusal::Socket},
            {album, OutputRefusal::AlbumItself},
            {path("./sub/../site.svd"), OutputRefusal::AlbumItself},
            {path("link.pdf"), OutputRefusal::AlbumItself},
            {path("hard.pdf"), OutputRefusal::AlbumItself},
        };
        QVERIFY(QDir().mkpath(path("sub")));
        for (const auto &[output, refusal] : cases)
            QVERIFY2(refuseOutputPath(output, album) == refusal, qPrintable(output));
        // Without an album file only the kind of file counts.
        QCOMPARE(refuseOutputPath(album, QString()), OutputRefusal::None);
        QCOMPARE(outputRefusalText(OutputRefusal::AlbumItself), QStringLiteral("it is the album file itself"));
        ::close(sock);
    }
};

QTEST_GUILESS_MAIN(TestOutputPath)
#include "tst_output_path.moc"
