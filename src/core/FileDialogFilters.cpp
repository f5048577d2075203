#include "core/FileDialogFilters.h"

#include "core/StringTable.h"

QStringList CFileDialogFilters::fromString(int stringId)
{
    // Qt takes the patterns from the parentheses at the end of each name, so a name that already
    // carries them loses its own copy.
    const QStringList parts = CStringTable::get(stringId).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts.at(i).trimmed();
        if (name.isEmpty())
            break;
        const qsizetype open = name.lastIndexOf(QLatin1String(" ("));
        if (open > 0 && name.endsWith(u')'))
            name.truncate(open);
        QStringList patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            pattern = pattern.trimmed();
            // "*.*" means every file on the resource's platform, but only dotted names here.
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        filters.append(name + QLatin1String(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}
