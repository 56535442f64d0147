#pragma once

#include "Positions.h"

#include <QList>
#include <QStringView>
#include <vector>

class QTextDocument;

// Removal of extra spaces: every run of two or more spaces (U+0020 only; tabs, no-break spaces and
// paragraph breaks end a run) is shortened to its first space.
namespace ExtraSpaces {

// A stretch of spaces to delete: the second to the last space of one run.
struct Span {
    qsizetype start;
    qsizetype length;
    friend bool operator==(const Span&, const Span&) = default;
};

// The stretches to delete from text, in ascending order. One pass. spaceBefore and spaceAfter
// say that a space stands right before or after text (around one piece of a paragraph held in
// pieces): a run of spaces that touches it is then deleted whole.
std::vector<Span> find(QStringView text, bool spaceBefore = false, bool spaceAfter = false);

// text without its extra spaces.
QString squeezed(QStringView text);

// Deletes the extra spaces of document as one undo step. Every remaining character keeps its
// format and every paragraph its format; with nothing to delete the document is not touched at
// all. The paragraphs holding one of keepPositions (document positions, such as the caret and
// the anchor of a view's selection) are edited space by space, so that cursors there stay beside
// the same characters. Returns the number of spaces deleted.
qsizetype remove(QTextDocument& document, const QList<QtPosition>& keepPositions = {});

} // namespace ExtraSpaces
