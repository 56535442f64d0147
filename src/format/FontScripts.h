#pragma once

#include <QList>
#include <QString>

// The scripts (character sets) a font family offers, as the font dialog lists them.
namespace FontScripts {

// Character set numbers of the scripts family covers, in the order they are listed. A family the
// screen lacks offers those of the face drawn in its place; one that names no script offers the
// Western one.
QList<int> charsetsOf(const QString& family);

// The shown name of a character set; empty for one not listed.
QString name(int charset);

} // namespace FontScripts
