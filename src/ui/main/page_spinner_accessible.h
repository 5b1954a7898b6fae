#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace sorvane {

// Makes the page spinner's two halves known to assistive technology as two
// buttons, "前ページ" and "次ページ", each with a press action. Installed once
// per application.
void installPageSpinnerAccessibility();

// The factory behind it, for the tests.
QAccessibleInterface *pageSpinnerAccessible(const QString &className, QObject *object);

} // namespace sorvane
