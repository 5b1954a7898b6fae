#include "app/cli.h"
#include "platform/qt_services.h"
#include "ui/main/fonts.h"
#include "ui/main/form1.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    // PDF export and printing from the command line run without a window.
    if (sorvane::isCommandLineJob(argc, argv))
        return sorvane::runCommandLine(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Sorvane"));
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    sorvane::registerFontSubstitutions();

    sorvane::QtServices services;
    sorvane::Form1 form(services);
    form.startUp();
    form.show();
    return QApplication::exec();
}
