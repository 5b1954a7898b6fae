#include "app/cli.h"

#include "io/album_file.h"
#include "io/album_lock.h"
#include "io/album_versions.h"
#include "io/fresh_cover.h"
#include "io/path_mappings.h"
#include "io/settings_files.h"
#include "model/album_document.h"
#include "picture/album_dates.h"
#include "picture/job_pictures.h"
#include "picture/photo_import.h"
#include "platform/app_paths.h"
#include "platform/qt_services.h"
#include "print/album_print.h"
#include "print/painter_print_surface.h"
#include "print/pdf_export.h"
#include "print/print_session.h"
#include "text/font_faces.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace sorvane {

namespace {

constexpr int kMaxCopies = 99;

// Options that take a value, and those that stand alone.
constexpr const char *kValueOptions[] = {"--export-pdf", "--page", "--printer", "--copies"};
constexpr const char *kFlagOptions[] = {"--print", "--help", "--version", "--import", "--sort-by-date", "--check"};

void writeTo(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

void fail(const QString &message)
{
    writeTo(stderr, QStringLiteral("sorvane: ") + message + QLatin1Char('\n'));
}

QString versionText()
{
    return QStringLiteral("Sorvane %1.%2.%3")
        .arg(SORVANE_VERSION_MAJOR)
        .arg(SORVANE_VERSION_MINOR)
        .arg(SORVANE_VERSION_PATCH);
}

bool isValueOption(const QString &name)
{
    for (const char *option : kValueOptions)
        if (name == QLatin1String(option))
            return true;
    return false;
}

bool isFlagOption(const QString &name)
{
    for (const char *option : kFlagOptions)
        if (name == QLatin1String(option))
            return true;
    return false;
}

// The print settings the editor starts with: print.ini from the program's
// directory, else from the user's configuration directory.
PrintSettings printSettingsFromIni()
{
    PrintSession session;
    session.loadIni(readPrintIni(
        locateSettingsFile(programDirectory(), userConfigDirectory(), QString::fromLatin1(kPrintIniName))));
    return session.settingsForJob();
}

// Photos are found as in the editor: through the user's path mappings in
// the same settings folder the editor keeps them in.
std::shared_ptr<PhotoLocator> userPhotoLocator()
{
    return std::make_shared<PhotoLocator>(readPathMappings(userConfigDirectory()));
}

bool loadAlbum(const QString &path, AlbumDocument *album)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        fail(QStringLiteral("album file not found: %1").arg(path));
        return false;
    }
    if (info.isDir()) {
        fail(QStringLiteral("%1 is a folder, not an album file").arg(path));
        return false;
    }
    AlbumReadResult result = readAlbumFile(path);
    if (result.error.isError()) {
        fail(QStringLiteral("cannot read the album %1: %2").arg(path, result.error.message()));
        return false;
    }
    album->setPhotoLocator(userPhotoLocator());
    album->replace(std::move(result.album), path);
    return true;
}

// Loads photos for print, a relative path taken from the album file's folder,
// and keeps the reason for each photo that could not be loaded.
class PhotoLoader {
public:
    explicit PhotoLoader(const AlbumDocument &album) : m_album(album) {}

    PrintPictureLoader loader() { return jobPictureLoader(m_album, &m_reasons); }

    void listMissing(const PrintReport &report) const
    {
        QStringList missing = report.missingPhotos;
        missing.removeDuplicates();
        for (const QString &path : missing) {
            const QString why = m_reasons.value(path);
            fail(why.isEmpty() ? QStringLiteral("photo not printed: %1").arg(path)
                               : QStringLiteral("photo not printed: %1 (%2)").arg(path, why));
        }
    }

private:
    const AlbumDocument &m_album;
    QHash<QString, QString> m_reasons;
};

int exportPdf(const CommandLine &line)
{
    AlbumDocument album;
    if (!loadAlbum(line.albumPath, &album))
        return kExitFailed;
    const int pages = album.pageCount();
    int page = 0;
    if (!line.pageText.isNull()) {
        bool ok = false;
        page = line.pageText.trimmed().toInt(&ok);
        if (!ok) {
            fail(QStringLiteral("--page: \"%1\" is not a page number").arg(line.pageText));
            return kExitFailed;
        }
        if (page < 1 || page > pages) {
            fail(QStringLiteral("--page: page %1 is outside 1..%2").arg(page).arg(pages));
            return kExitFailed;
        }
    }

    registerFontSubstitutions();
    const PrintSettings settings = printSettingsFromIni();
    PhotoLoader photos(album);
    // "-" sends the PDF down standard output, as it is made, for a pipe.
    QFile standardOutput;
    const bool toStandardOutput = line.pdfPath == QLatin1String("-");
    if (toStandardOutput) {
        if (::isatty(STDOUT_FILENO)) {
            fail(QStringLiteral("--export-pdf -: standard output is a terminal (send it to a file or a pipe)"));
            return kExitFailed;
        }
        if (!standardOutput.open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
            fail(QStringLiteral("cannot write to standard output: %1").arg(standardOutput.errorString()));
            return kExitFailed;
        }
    }
    const PdfOutput output = toStandardOutput ? PdfOutput(&standardOutput) : PdfOutput(line.pdfPath);
    PrintReport report;
    QString error;
    const bool written = page > 0 ? exportPagePdf(output, album, page, settings, photos.loader(), &report, &error)
                                  : exportAlbumPdf(output, album, settings, photos.loader(), &report, &error);
    if (!written) {
        fail(QStringLiteral("cannot write %1: %2")
                 .arg(toStandardOutput ? QStringLiteral("to standard output") : line.pdfPath, error));
        return kExitFailed;
    }
    photos.listMissing(report);
    return kExitOk;
}

int printAlbum(const CommandLine &line)
{
    int copies = 1;
    if (!line.copiesText.isNull()) {
        bool ok = false;
        copies = line.copiesText.trimmed().toInt(&ok);
        if (!ok || copies < 1 || copies > kMaxCopies) {
            fail(QStringLiteral("--copies: \"%1\" is not a number of copies from 1 to %2")
                     .arg(line.copiesText)
                     .arg(kMaxCopies));
            return kExitFailed;
        }
    }
    AlbumDocument album;
    if (!loadAlbum(line.albumPath, &album))
        return kExitFailed;

    const QString printerName = line.printerName.isEmpty() ? QPrinterInfo::defaultPrinterName() : line.printerName;
    if (printerName.isEmpty()) {
        fail(QStringLiteral("no printer: the system has no default printer (name one with --printer)"));
        return kExitFailed;
    }
    if (!QPrinterInfo::availablePrinterNames().contains(printerName)) {
        fail(QStringLiteral("printer not found: %1").arg(printerName));
        return kExitFailed;
    }
    if (!printerAcceptsJobs(printerName)) {
        fail(QStringLiteral("printer not accepting jobs: %1").arg(printerName));
        return kExitFailed;
    }

    registerFontSubstitutions();
    const PrintSettings settings = printSettingsFromIni();
    PhotoLoader photos(album);
    PrintReport report;
    // Each copy is a document of its own, so that the copies come out collated
    // whatever the printer does with a copy count.
    for (int copy = 0; copy < copies; ++copy) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(printerName);
        printer.setDocName(QFileInfo(line.albumPath).completeBaseName());
        {
            QPainterPrintSurface surface(printer);
            report = PrintAlbum(surface, album, settings, photos.loader());
        }
        if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted) {
            fail(QStringLiteral("printing on %1 failed").arg(printerName));
            return kExitFailed;
        }
    }
    photos.listMissing(report);
    return kExitOk;
}

// Takes the album's lock for a change; false, saying why, when another
// Sorvane has the album open.
bool lockForChange(const QString &albumPath, AlbumLock *lock)
{
    if (lock->take(albumPath) != AlbumLock::Result::HeldByOther)
        return true;
    fail(QStringLiteral("the album %1 is open in Sorvane (%2 on %3): close it there first")
             .arg(albumPath, lock->owner().user, lock->owner().host));
    return false;
}

// Saves a changed album as the editor does: the previous file (when there is
// one) kept as a version, then written atomically.
bool saveChangedAlbum(const QString &albumPath, const AlbumDocument &album)
{
    const bool existed = QFileInfo::exists(albumPath);
    QString versionError;
    const bool kept =
        !existed || keepPreviousVersion(albumPath, albumVersionsDirectory(userStateDirectory()), &versionError);
    const AlbumFileError error = writeAlbumFile(albumPath, album, kept ? InPlaceWrite::Allowed : InPlaceWrite::Refused);
    if (error.isError()) {
        fail(QStringLiteral("cannot save the album %1: %2").arg(albumPath, error.message()));
        return false;
    }
    if (!kept)
        fail(QStringLiteral("the album was saved, but its previous contents could not be kept: %1").arg(versionError));
    return true;
}

// Adds photos to the end of an album (made afresh when the file does not
// exist) and saves it under its lock.
int importPhotos(const CommandLine &line)
{
    AlbumDocument album;
    const QFileInfo info(line.albumPath);
    AlbumLock lock;
    if (!lockForChange(line.albumPath, &lock))
        return kExitFailed;
    if (info.exists()) {
        if (!loadAlbum(line.albumPath, &album))
            return kExitFailed;
    } else {
        album.startNew(
            freshCover(QDate::currentDate(), readCorpIni(locateSettingsFile(programDirectory(), userConfigDirectory(),
                                                                            QString::fromLatin1(kCorpIniName)))));
    }
    const PhotoImport found = collectPhotos(line.photos);
    for (const auto &[path, reason] : found.skipped)
        fail(QStringLiteral("skipped: %1 (%2)").arg(path, reason));
    if (found.photos.isEmpty()) {
        fail(QStringLiteral("no photo to import"));
        return kExitFailed;
    }
    int row = album.rowCount();
    while (row > 0 && album.entry(row).isEmpty())
        --row;
    if (!album.importPhotos(row + 1, found.photos, {})) {
        fail(QStringLiteral("the album cannot hold %1 more photos").arg(found.photos.size()));
        return kExitFailed;
    }
    if (!saveChangedAlbum(line.albumPath, album))
        return kExitFailed;
    writeTo(stdout, QStringLiteral("%1 photos imported\n").arg(found.photos.size()));
    return kExitOk;
}

// Sorts an album's entries by the shooting dates of their photos and saves
// it under its lock; an album already in order is left untouched.
int sortAlbumByDate(const CommandLine &line)
{
    AlbumDocument album;
    AlbumLock lock;
    if (!lockForChange(line.albumPath, &lock) || !loadAlbum(line.albumPath, &album))
        return kExitFailed;
    if (!sortByShootingDate(album, {})) {
        writeTo(stdout, QStringLiteral("already in shooting order\n"));
        return kExitOk;
    }
    if (!saveChangedAlbum(line.albumPath, album))
        return kExitFailed;
    writeTo(stdout, QStringLiteral("sorted by shooting date\n"));
    return kExitOk;
}

// One line for each photo that is missing or cannot be read, and for each
// found elsewhere than its path says: page, number, path as written, what
// was found. The album is only read.
int checkAlbum(const CommandLine &line)
{
    AlbumDocument album;
    if (!loadAlbum(line.albumPath, &album))
        return kExitFailed;
    bool allThere = true;
    QString report;
    for (int row = 1; row <= album.rowCount(); ++row) {
        const PhotoEntry &entry = album.entry(row);
        if (entry.photoPath.isEmpty())
            continue;
        const PhotoLocation location = album.locatePhoto(entry.photoPath);
        QString what;
        if (!location.isFound()) {
            what = foundHowText(location);
        } else {
            const QString problem = importProblem(location.file);
            const QString elsewhere = QStringLiteral("found as %1 (%2)").arg(location.file, foundHowText(location));
            if (!problem.isEmpty())
                what = location.found == PhotoFound::AsWritten ? problem : problem + QStringLiteral(", ") + elsewhere;
            else if (location.found != PhotoFound::AsWritten)
                what = elsewhere;
            allThere = allThere && problem.isEmpty();
        }
        allThere = allThere && location.isFound();
        if (what.isEmpty())
            continue;
        const QString number = entry.number.startsWith(u' ') ? entry.number.mid(1) : entry.number;
        report += QStringLiteral("%1\t%2\t%3\t%4\n")
                      .arg(QString::number((row - 1) / AlbumTable::kSlotsPerPage + 1), number, entry.photoPath, what);
    }
    writeTo(stdout, report);
    return allThere ? kExitOk : kExitFailed;
}

} // namespace

bool isCommandLineJob(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--"))
            break;
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        if (isFlagOption(argument) || isValueOption(name))
            return true;
    }
    return false;
}

bool parseCommandLine(const QStringList &arguments, CommandLine *line, QString *error)
{
    auto refuse = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    bool help = false;
    bool version = false;
    bool print = false;
    bool import = false;
    bool sortByDate = false;
    bool check = false;
    QString exportPdf; // null while not given
    CommandLine parsed;
    QStringList albums;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            albums.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (isFlagOption(argument)) {
            bool &flag = argument == QLatin1String("--help")           ? help
                         : argument == QLatin1String("--version")      ? version
                         : argument == QLatin1String("--import")       ? import
                         : argument == QLatin1String("--sort-by-date") ? sortByDate
                         : argument == QLatin1String("--check")        ? check
                                                                       : print;
            if (flag)
                return refuse(QStringLiteral("%1 is given twice").arg(argument));
            flag = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (!isValueOption(name))
            return refuse(QStringLiteral("unknown option %1").arg(argument));
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else {
            if (i + 1 >= arguments.size())
                return refuse(QStringLiteral("%1 needs a value").arg(name));
            value = arguments.at(++i);
        }
        if (value.isEmpty())
            return refuse(QStringLiteral("%1 needs a value").arg(name));
        QString &slot = name == QLatin1String("--export-pdf") ? exportPdf
                        : name == QLatin1String("--page")     ? parsed.pageText
                        : name == QLatin1String("--printer")  ? parsed.printerName
                                                              : parsed.copiesText;
        if (!slot.isNull())
            return refuse(QStringLiteral("%1 is given twice").arg(name));
        slot = value;
    }

    const bool otherOptions = print || !exportPdf.isNull() || !parsed.pageText.isNull() ||
                              !parsed.printerName.isNull() || !parsed.copiesText.isNull();
    if (help) {
        parsed.action = CommandLine::Help;
    } else if (version) {
        parsed.action = CommandLine::Version;
    } else if (check) {
        if (sortByDate || import || otherOptions)
            return refuse(QStringLiteral("--check goes with no other option"));
        if (albums.size() != 1)
            return refuse(QStringLiteral("--check needs exactly one album file"));
        parsed.action = CommandLine::Check;
        parsed.albumPath = albums.first();
    } else if (sortByDate) {
        if (import || otherOptions)
            return refuse(QStringLiteral("--sort-by-date goes with no other option"));
        if (albums.size() != 1)
            return refuse(QStringLiteral("--sort-by-date needs exactly one album file"));
        parsed.action = CommandLine::SortByDate;
        parsed.albumPath = albums.first();
    } else if (import) {
        if (otherOptions)
            return refuse(QStringLiteral("--import goes with no other option"));
        if (albums.size() < 2)
            return refuse(QStringLiteral("--import needs an album file and at least one photo or folder"));
        parsed.action = CommandLine::Import;
        parsed.albumPath = albums.takeFirst();
        parsed.photos = albums;
    } else {
        if (!exportPdf.isNull() && print)
            return refuse(QStringLiteral("--export-pdf and --print cannot be used together"));
        if (exportPdf.isNull() && !print)
            return refuse(QStringLiteral("nothing to do: give --export-pdf or --print"));
        if (print && !parsed.pageText.isNull())
            return refuse(QStringLiteral("--page goes with --export-pdf only"));
        if (!print && (!parsed.printerName.isNull() || !parsed.copiesText.isNull()))
            return refuse(QStringLiteral("--printer and --copies go with --print only"));
        if (albums.isEmpty())
            return refuse(QStringLiteral("no album file given"));
        if (albums.size() > 1)
            return refuse(QStringLiteral("more than one album file given"));
        parsed.action = print ? CommandLine::Print : CommandLine::ExportPdf;
        parsed.pdfPath = exportPdf;
        parsed.albumPath = albums.first();
    }
    *line = parsed;
    return true;
}

QString commandLineUsage()
{
    return QStringLiteral(
        "Usage: sorvane [ALBUM.svd]\n"
        "       sorvane --export-pdf OUT.pdf|- [--page N] ALBUM.svd\n"
        "       sorvane --print ALBUM.svd [--printer NAME] [--copies N]\n"
        "       sorvane --import ALBUM.svd PHOTO|FOLDER...\n"
        "       sorvane --sort-by-date ALBUM.svd\n"
        "       sorvane --check ALBUM.svd\n"
        "       sorvane --help | --version\n"
        "\n"
        "Without these options the editor opens, with the album when one is named.\n"
        "\n"
        "  --export-pdf OUT.pdf  write the whole album, cover first, as a PDF file; never over\n"
        "                        a folder, a device, a named pipe or the album file itself\n"
        "  --export-pdf -        write the PDF to standard output (for a pipe)\n"
        "  --page N              with --export-pdf: page N alone, as the page print draws it\n"
        "  --print               print the whole album, cover first\n"
        "  --printer NAME        with --print: the printer (default: the system's default printer)\n"
        "  --copies N            with --print: N copies, each a document of its own (1 to 99, default 1)\n"
        "  --import              add the photos (folders with their subfolders) to the end of\n"
        "                        the album in shooting order, making the album when it does\n"
        "                        not exist; files that are no photos are listed and left out\n"
        "  --sort-by-date        sort the album's entries by the shooting dates of their\n"
        "                        photos (texts without a photo stay behind the photo before\n"
        "                        them, empty entries go to the end) and save it\n"
        "  --check               list the photos that are missing or cannot be read, and\n"
        "                        those found elsewhere than their paths say, one line each:\n"
        "                        page, number, path, what was found (tab-separated);\n"
        "                        exit 1 when a photo is missing or cannot be read\n"
        "  --help                show this text\n"
        "  --version             show the version\n"
        "\n"
        "Margins and number printing are read from print.ini, as the editor does.\n"
        "Photos are found as the editor finds them: Windows paths (C:\\..., \\\\server\\share\\...),\n"
        "the path mappings of sorvane.ini, and the album's own folder.\n"
        "No display is needed.\n"
        "\n"
        "Exit status: 0 done (photos that could not be loaded are listed but do not\n"
        "stop the job), 1 the job failed (--check: a photo is missing or cannot be\n"
        "read), 2 the command line is wrong.\n");
}

// Standard error carries this program's own messages only, one line each,
// so scripts can read them: Qt's notes (no XDG_RUNTIME_DIR, a picture
// library's warnings) are dropped unless QT_LOGGING_RULES asks for them.
static void keepQtNotesOffStandardError(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        writeTo(stderr, text + QLatin1Char('\n'));
}

int runCommandLine(int argc, char **argv)
{
    // No window opens: a job runs on machines without a display as well.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qInstallMessageHandler(keepQtNotesOffStandardError);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvane"));

    CommandLine line;
    QString error;
    if (!parseCommandLine(QCoreApplication::arguments().mid(1), &line, &error)) {
        fail(error);
        writeTo(stderr, commandLineUsage());
        return kExitUsage;
    }
    switch (line.action) {
    case CommandLine::Help:
        writeTo(stdout, commandLineUsage());
        return kExitOk;
    case CommandLine::Version:
        writeTo(stdout, versionText() + QLatin1Char('\n'));
        return kExitOk;
    case CommandLine::ExportPdf:
        return exportPdf(line);
    case CommandLine::Print:
        return printAlbum(line);
    case CommandLine::Import:
        return importPhotos(line);
    case CommandLine::SortByDate:
        return sortAlbumByDate(line);
    case CommandLine::Check:
        return checkAlbum(line);
    }
    return kExitUsage;
}

} // namespace sorvane
