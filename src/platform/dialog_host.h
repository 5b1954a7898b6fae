#pragma once

class QObject;

namespace sorvane {

// Runs the program's own dialogs modally. A dialog is handed over as the
// object it is, so this interface names no widget class; the Qt side runs it
// as the dialog it is, a test double answers it at once.
class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Shows the dialog modally and returns when it is hidden or closed.
    virtual void runModal(QObject &dialog) = 0;
};

} // namespace sorvane
