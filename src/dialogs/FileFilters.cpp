#include "FileFilters.h"

namespace {

QString translatePattern(QString pattern) {
    pattern = pattern.trimmed();
    if (pattern == QLatin1String("*.*")) {
        return QStringLiteral("*");
    }
    if (pattern.startsWith(QLatin1Char('.')) && !pattern.contains(QLatin1Char('*')) &&
        !pattern.contains(QLatin1Char('?'))) {
        return QLatin1Char('*') + pattern;
    }
    return pattern;
}

} // namespace

QStringList toNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns.append(translatePattern(p));
        }
        const QString joined = patterns.join(QLatin1Char(' '));
        const QString suffix = QStringLiteral(" (%1)").arg(parts[i + 1]);
        if (description.endsWith(suffix) && joined == parts[i + 1]) {
            result.append(description);
        } else {
            QString shown = description;
            if (shown.endsWith(suffix)) {
                shown.chop(suffix.size());
            }
            result.append(QStringLiteral("%1 (%2)").arg(shown, joined));
        }
    }
    return result;
}
