#pragma once

#include <QString>
#include <QStringList>

// The font families of the screen as the user picks them. Qt lists a family installed from more
// than one foundry once per foundry, as "P052 [UKWN]" and "P052 [urw]"; no other program knows a
// font by such a name, so each family is listed once, under its own name.
namespace FontFamilies {

// The family name of a listed one: without the " [foundry]" that Qt appends.
QString realName(const QString& listed);
// Each family of listed once under its real name, sorted by name without regard to case.
QStringList unique(const QStringList& listed);
// The screen's families so.
QStringList screen();

} // namespace FontFamilies
