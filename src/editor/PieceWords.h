#pragma once

class QKeyEvent;
class QTextCursor;

// Words in a paragraph held in pieces (ParagraphPieces), read across the separators between its
// pieces as the paragraph's text reads: a separator standing for a space is a space, one standing
// for nothing is no character. Qt finds words within one block only, so it would stop at every
// piece's end, and a word cut between two pieces would be two words.
namespace PieceWords {

// Ctrl+Left and Ctrl+Right (with Shift: extending the selection) in a paragraph in pieces: moves
// c to where Qt's word move would take it in the paragraph held whole. Returns whether it moved
// c; false for other keys, other paragraphs, and at a paragraph's start or end, where Qt's own
// move goes on into the next paragraph.
bool moveByWord(QTextCursor& c, const QKeyEvent& key);

// After a double click in a paragraph in pieces: the word Qt selected, cut at a separator that
// stands for nothing, is extended over the pieces it goes on in.
void selectWholeWord(QTextCursor& c);

} // namespace PieceWords
