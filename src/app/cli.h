#pragma once

#include <QString>
#include <QStringList>

// The headless command line: PDF export, printing, bulk import and sorting of
// an album file without opening the editor's window.
//
//   sorvane --export-pdf OUT.pdf|- [--page N] ALBUM.svd
//   sorvane --print ALBUM.svd [--printer NAME] [--copies N]
//   sorvane --import ALBUM.svd PHOTO|FOLDER...
//   sorvane --sort-by-date ALBUM.svd
//   sorvane --check ALBUM.svd
//   sorvane --help | --version
namespace sorvane {

// True when the arguments (argv[1..]) ask for a job of the command line; any
// other command line, a plain album path included, starts the editor. Decided
// on the raw arguments, before any application object exists.
bool isCommandLineJob(int argc, const char *const *argv);

struct CommandLine {
    enum Action { Help, Version, ExportPdf, Print, Import, SortByDate, Check };
    Action action = Help;
    QString albumPath;
    QString pdfPath;     // --export-pdf; "-" for standard output
    QString pageText;    // --page, as typed; empty for the whole album
    QString printerName; // --printer; empty for the system's default printer
    QString copiesText;  // --copies, as typed; empty for one copy
    QStringList photos;  // --import: the photos and folders to bring in
};

// Reads the arguments after the program name. Returns false, with a
// one-line reason, when they do not form one of the command lines above.
bool parseCommandLine(const QStringList &arguments, CommandLine *line, QString *error);

// The usage text, ending in a line break.
QString commandLineUsage();

// Exit statuses of a job (--check: kExitFailed when a photo is missing or
// cannot be read).
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Runs the job: makes its own (offscreen) application object, does the work
// and returns the process exit status. Messages go to stdout and stderr.
int runCommandLine(int argc, char **argv);

} // namespace sorvane
