#pragma once

class QKeyEvent;
class QTextCursor;

// The caret and the keys in a paragraph held in pieces (ParagraphPieces), so that they act on the
// paragraph and its text rather than on Qt's blocks.
namespace PieceCaret {

// Before a key that moves the caret or deletes one character or word towards a separator that
// stands for nothing, right beside c: moves c over that separator (keeping the anchor where the
// key extends the selection), so that the key reaches the character beyond it and no key press
// goes to a separator that is no character of the text.
void stepOverJoint(QTextCursor& c, const QKeyEvent& key);

// Ctrl+Up and Ctrl+Down (with Shift: extending the selection): to the start of the paragraph, or
// of the one before when c is at a paragraph's start; to the start of the next paragraph, or the
// end of the text. Returns whether key was one of them.
bool moveByParagraph(QTextCursor& c, const QKeyEvent& key);

// Widens c's selection to whole paragraphs, all their pieces, keeping its direction: its start
// goes back to its paragraph's start, its end on to the next paragraph's start (the end of the
// text in the last one) unless it is there already. Qt's triple click and the drag or Shift+click
// after it select whole blocks; this makes them select whole paragraphs, as in a text field.
void selectWholeParagraphs(QTextCursor& c);

// Whether key at c may leave a piece of a paragraph in pieces without characters: a deletion, or
// text typed over a selection, inside such a paragraph.
bool mayEmptyPiece(const QTextCursor& c, const QKeyEvent& key);

} // namespace PieceCaret
