#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Reading of settings (INI) files with the rules of the Windows profile
// reader: section and key names match without regard to case, blanks (space
// and tab) around names and values are trimmed, a value enclosed in matching
// single or double quotes loses them, lines starting with ';' are comments,
// the first section and the first key of a name win, and a value is cut to its
// first 1023 bytes in code page 932, never inside a character. The file is
// code page 932, or UTF-8 when it starts with a byte-order mark. Anything
// missing reads as "".
namespace sorvane {

inline constexpr int kMaxIniValueBytes = 1023;
// A settings file is a few lines; a larger file is not read at all.
inline constexpr qint64 kMaxIniFileBytes = 4 * 1024 * 1024;

// The value of key in section of an INI text that is already decoded.
QString iniValue(QStringView text, QStringView section, QStringView key);

// The value of key in section of the INI file's bytes.
QString iniValue(QByteArrayView fileBytes, QStringView section, QStringView key);

// The value of key in section of the file at iniFilePath; "" when the file,
// the section or the key does not exist. Opens and closes the file each time.
QString ReadIniValue(const QString &iniFilePath, const QString &section, const QString &key);

} // namespace sorvane
