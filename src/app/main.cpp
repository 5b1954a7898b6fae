#include "app/cli.h"
#include "platform/qt_services.h"
#include "text/font_faces.h"
#include "ui/main/form1.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // PDF export and printing from the command line run without a window.
    if (sorvane::isCommandLineJob(argc, argv))
        return sorvane::runCommandLine(argc, argv);

    QApplication app(argc, argv);
    // No display name: Qt would append it to every window's title on X11,
    // and the captions must read exactly as the program sets them.
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    // The program speaks Japanese whatever the locale, and so do Qt's own
    // dialogs (file, print, page set-up, message box buttons) when Qt's
    // translations are installed.
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    sorvane::registerFontSubstitutions();

    sorvane::QtServices services;
    sorvane::Form1 form(services);
    form.startUp();
    form.show();
    return QApplication::exec();
}
