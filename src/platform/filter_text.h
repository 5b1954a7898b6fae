#pragma once

#include <QString>
#include <QStringList>

namespace sorvane {

// "desc|pattern|desc|pattern" filter texts of the file dialogs, as name
// filters for Qt's file dialog ("desc (pattern)"; the description is kept as
// it stands when it already ends with its pattern in parentheses).
QStringList nameFiltersFromFilterText(const QString &filterText);

} // namespace sorvane
