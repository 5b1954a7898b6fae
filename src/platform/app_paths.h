#pragma once

#include <QString>

namespace sorvane {

// The directory of the program file, without a trailing separator.
QString programDirectory();

// The user's own settings directory for Sorvane: $XDG_CONFIG_HOME/sorvane,
// normally ~/.config/sorvane.
QString userConfigDirectory();

// The user's own state directory for Sorvane: $XDG_STATE_HOME/sorvane
// (taken only when it is an absolute path), normally ~/.local/state/sorvane.
QString userStateDirectory();

} // namespace sorvane
