#pragma once

class QTextBlock;
class QTextLayout;
class QTextOption;

// How one paragraph is broken into lines: alignment, indents, first-line indent, tab stops and
// wrapping at the page width, as Qt's stock layout does it.
namespace ParagraphLines {

// Lays block's text out into layout (the block's own, or a scratch one holding the same text and
// formats) for a page pageWidth wide (negative: no wrapping) with margin on each side, starting
// from the document's defaultOption. Returns the paragraph's height in whole pixels (at least 1).
int layOut(QTextLayout& layout, const QTextBlock& block, const QTextOption& defaultOption,
           double pageWidth, double margin);

} // namespace ParagraphLines
