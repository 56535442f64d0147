#pragma once

#include "PieceText.h"
#include "SizeLimits.h"

#include <QStringView>
#include <QTextDocumentFragment>
#include <QTextFormat>
#include <vector>

class QTextCursor;
class QTextDocument;

// A very long paragraph is held as several of Qt's blocks, its pieces, because Qt analyses and
// lays out a block whole after every change to it: a keystroke in a paragraph of millions of
// characters would take seconds. How the pieces read is in PieceText.h; this is how they are made
// and kept: the text and editor layers use it, whatever only reads a document does not.
//
// Paragraphs up to SizeLimits::kPiecedParagraph characters stay whole. Longer ones are cut into
// pieces of about kPieceLength characters, at a space where there is one near that length (every
// line shown is then a true stretch of the text) and between two characters where there is none
// (a word, base64, minified data). Caret movement, selection, deletion and undo treat a separator
// as what it stands for.
namespace ParagraphPieces {

// A place to cut a text into pieces: the index of a space that becomes the separator, or, joined
// by nothing, the index of the character the next piece starts with.
struct Cut {
    qsizetype at;
    Joint joint;
    friend bool operator==(const Cut&, const Cut&) = default;
};

// Where to cut text (a paragraph, or one piece of it) into pieces, ascending. Empty when the text
// is short enough. No piece is longer than kLongPiece.
std::vector<Cut> cutPoints(QStringView text, bool inPieces);

// Cuts every block from block number firstBlock to lastBlock that is too long into pieces. An
// edit of the document: the caller holds an edit block, or the cut is an undo step of its own.
// Cursors stay beside the characters they were beside (one at a cut between two characters goes
// to the start of the next piece). Returns how many cuts it made.
int cut(QTextDocument& document, int firstBlock, int lastBlock);

// Joins every piece that holds no character among blocks firstBlock to lastBlock to the piece
// after it, or where it is the paragraph's last to the one before: an empty piece would show as
// an empty line. The separator given up becomes what it stood for. Returns how many it joined.
int joinEmptyPieces(QTextDocument& document, int firstBlock, int lastBlock);

// Whether an edit at c that adds up to added characters may leave a block to cut: a piece longer
// than kLongPiece or a paragraph longer than kPiecedParagraph.
bool mayCut(const QTextCursor& c, qsizetype added);
// After text was put in between Qt positions from and to (inside the caller's edit block):
// every paragraph break that came in with it starts a paragraph of its own, although the block
// it broke may have been a continuation piece, paragraphs it made too long are cut and pieces it
// left empty are joined.
void mend(QTextDocument& document, int from, int to);
// format for a block that starts a paragraph: without kContinues and kJoinsWithNothing.
QTextBlockFormat startingFormat(QTextBlockFormat format);
// The selection of c with its piece separators turned back into what they stand for, so that it
// pastes, here or elsewhere, as the text it shows.
QTextDocumentFragment wholeFragment(const QTextCursor& c);

} // namespace ParagraphPieces
