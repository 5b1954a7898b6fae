#include "platform/filter_text.h"

namespace sorvane {

QStringList nameFiltersFromFilterText(const QString &filterText)
{
    const QStringList parts = filterText.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString pattern = parts[i + 1].trimmed();
        pattern.replace(u';', u' ');
        if (pattern.isEmpty())
            continue;
        const QString suffix = QStringLiteral("(%1)").arg(pattern);
        filters.append(description.endsWith(suffix) ? description : description + u' ' + suffix);
    }
    return filters;
}

} // namespace sorvane
