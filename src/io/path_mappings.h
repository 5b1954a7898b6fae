#pragma once

#include "model/photo_locator.h"

#include <QList>
#include <QString>

// The user's path mappings, kept in Sorvane's own settings file in the
// user's configuration folder (never in print.ini or corp.ini).
namespace sorvane {

inline constexpr auto kOwnSettingsName = "sorvane.ini";

// The mappings in <settingsDir>/sorvane.ini; none when the file is missing
// or unreadable. Pairs with an empty prefix or folder are left out.
QList<PathMapping> readPathMappings(const QString &settingsDir);

// Replaces the mappings in that file (creating the folder and the file when
// needed), leaving its other settings alone. False, with a reason in error,
// when it cannot be written.
bool writePathMappings(const QString &settingsDir, const QList<PathMapping> &mappings, QString *error = nullptr);

} // namespace sorvane
