#include "FontFamilies.h"

#include <QFontDatabase>
#include <algorithm>

namespace FontFamilies {

QString realName(const QString& listed) {
    if (!listed.endsWith(QLatin1Char(']'))) {
        return listed;
    }
    const qsizetype open = listed.lastIndexOf(QLatin1String(" ["));
    return open > 0 ? listed.left(open) : listed;
}

QStringList unique(const QStringList& listed) {
    QStringList families;
    families.reserve(listed.size());
    for (const QString& family : listed) {
        families.append(realName(family));
    }
    std::sort(families.begin(), families.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    families.erase(std::unique(families.begin(), families.end()), families.end());
    return families;
}

QStringList screen() {
    return unique(QFontDatabase::families());
}

} // namespace FontFamilies
