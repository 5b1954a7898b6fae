#pragma once

#include <QGuiApplication>

#include <cstdlib>

// The picture targets draw text in metafiles, which needs a QGuiApplication;
// it runs on the offscreen platform, so no display is needed.
inline void startFuzzApplication(int *argc, char ***argv)
{
    if (QGuiApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int count = 1;
    static char *arguments[] = {argc && *argc > 0 ? (*argv)[0] : const_cast<char *>("fuzz"), nullptr};
    new QGuiApplication(count, arguments); // lives as long as the process
}
