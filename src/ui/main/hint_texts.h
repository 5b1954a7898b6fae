#pragma once

#include <QString>

// Status-bar hints: the command's name, "　：　" and what it does.
namespace sorvane::hints {

extern const QString kCopyFromPrevious; // the per-slot buttons
extern const QString kCopyText;         // the copy button
extern const QString kPasteText;        // the paste button
extern const QString kPageNumber;       // the page number box

// The hint for a pointer position over the toolbar, in twips from its
// top-left corner; empty over separators, outside the buttons and along the
// top 30 twips.
QString toolbar(int x, int y);

// The hint for a pointer position over the page spinner, in twips.
QString spinner(int x);

} // namespace sorvane::hints
