#pragma once

#include <QString>

namespace sorvane {

// This machine's name, as other programs sharing a folder see it.
QString thisHostName();

// Whether a Sorvane process with this id runs on this machine: the process
// exists and its program file is named like ours. A process id the system
// gave since to another program does not count.
bool isSorvaneRunning(qint64 pid);

} // namespace sorvane
