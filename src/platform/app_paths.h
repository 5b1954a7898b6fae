#pragma once

#include <QString>

namespace sorvane {

// The directory of the program file, without a trailing separator.
QString programDirectory();

// The user's own settings directory for Sorvane: $XDG_CONFIG_HOME/sorvane,
// normally ~/.config/sorvane.
QString userConfigDirectory();

} // namespace sorvane
