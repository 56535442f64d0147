#pragma once

#include <QString>
#include <QStringList>

// The filters of a file dialog, written "description|pattern|description|pattern...", as Qt's
// file dialog takes them: "description (patterns)". "*.*" lists every file ("*"); a pattern that
// is a bare extension such as ".rtf" lists the files with that extension ("*.rtf"); a
// description that already ends in its patterns in parentheses is kept as it is.
QStringList toNameFilters(const QString& filter);
