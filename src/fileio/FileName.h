#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// File names as the system gives them: bytes, as a rule UTF-8 text. A name that is not UTF-8 (a
// Windows-1251 or KOI8-R name from an old archive) keeps each byte that is not part of a UTF-8
// character as the character U+DC80 to U+DCFF, a lone low surrogate no valid name decodes to, so
// that encode(decode(bytes)) gives the same bytes back and the name never turns into another
// file's name. The file layer reaches the system through encode(); Qt's own file classes would
// spell such a character differently and must not be handed a decoded name.
namespace FileName {

QString decode(QByteArrayView bytes);
QByteArray encode(const QString& name);

// The name for the user's eyes: each byte kept as a character shown as Windows-1251 reads it.
QString display(const QString& name);

// The path without its folder.
QString shortName(const QString& path);

// name made absolute against the current folder (whose own name may not be UTF-8 either), with
// "." and ".." parts and doubled slashes taken out.
QString absolute(const QString& name);

// The longest start of name that has at most room bytes and does not end inside a UTF-8
// character, for names made from a file's name that must stay within the folder's limit.
QByteArray cut(QByteArrayView name, qsizetype room);

// The most bytes a name in folder may have (255 on common file systems).
qsizetype maxLength(const QByteArray& folder);

} // namespace FileName
