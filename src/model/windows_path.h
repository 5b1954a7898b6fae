#pragma once

#include <QString>
#include <QStringList>

namespace sorvane {

// A photo path split into where it starts and the names below, read the
// way Windows reads it as well as the way this system does: backslashes
// and slashes both separate names, "C:\..." and "C:/..." start on a drive,
// "\\server\share\..." on a network share ("\\?\" and "\\?\UNC\" long-path
// forms included). Albums written on Windows hold such paths, and they must
// be understood on every platform.
struct WindowsPath {
    enum class Start {
        Relative, // below some folder (the album's)
        Root,     // "\..." or "/...": the root of this system, or of the current drive
        Drive,    // "C:\...", "C:/..." (and "C:..." the same way)
        Share,    // "\\server\...": names begin with the share
    };
    Start start = Start::Relative;
    // "C:" for a drive (the letter upper-cased), "\\server" for a share,
    // "" otherwise.
    QString root;
    // The names below, in order. "." is dropped and ".." takes back the name
    // before it; leading ".." stay in a relative path (they climb from its
    // folder) and are dropped from an absolute one.
    QStringList names;

    // Drive and share paths name no place on this system by themselves,
    // except on Windows.
    bool isWindowsAbsolute() const { return start == Start::Drive || start == Start::Share; }
    // Whether the path lies at or below `prefix`: the same start, and
    // prefix's names as its first names, all regardless of case.
    bool startsWith(const WindowsPath &prefix) const;
    // The start in a form compared regardless of case and separators.
    QString rootKey() const;
};

WindowsPath parseWindowsPath(const QString &path);

// A name as Windows compares names: regardless of case, and of how its
// characters are composed (names copied from a Mac come decomposed).
QString nameKey(const QString &name);

} // namespace sorvane
