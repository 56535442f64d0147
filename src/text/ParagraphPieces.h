#pragma once

#include "Positions.h"
#include "SizeLimits.h"

#include <QString>
#include <QStringView>
#include <QTextDocumentFragment>
#include <QTextFormat>
#include <climits>
#include <vector>

class QTextBlock;
class QTextCursor;
class QTextDocument;

// A very long paragraph is held as several of Qt's blocks, its pieces, because Qt analyses and
// lays out a block whole after every change to it: a keystroke in a paragraph of millions of
// characters would take seconds.
//
// Each piece after the first is marked as continuing the paragraph (kContinues), and the block
// separator in front of it stands either for one space of the paragraph's text, where the
// paragraph was cut at a space, or for nothing, where it was cut between two characters
// (kJoinsWithNothing). Every other separator is a paragraph break. Qt positions count every
// separator as one character; the paragraph's text (the program's positions, the saved files, the
// search text) has a space, nothing or a break there.
//
// Paragraphs up to SizeLimits::kPiecedParagraph characters stay whole. Longer ones are cut into
// pieces of about kPieceLength characters, at a space where there is one near that length (every
// line shown is then a true stretch of the text) and between two characters where there is none
// (a word, base64, minified data). Caret movement, selection, deletion and undo treat a separator
// as what it stands for.
//
// The first part below reads a document held in pieces (PieceText.cpp): whatever only reads a
// document needs no more. The second makes and keeps the pieces (ParagraphPieces.cpp): the text
// and editor layers use it.
namespace ParagraphPieces {

// ---- Reading the pieces

// Block property: this block continues the paragraph of the block before it.
constexpr int kContinues = QTextFormat::UserProperty + 16;
// Block property, beside kContinues: the separator before this block stands for nothing.
constexpr int kJoinsWithNothing = QTextFormat::UserProperty + 17;

// What the separator before a block stands for in the paragraph's text.
enum class Joint : unsigned char {
    Break,   // a paragraph break: the block starts a paragraph (so does the document's first)
    Space,   // one space: the paragraph was cut at a space
    Nothing, // nothing: the paragraph was cut between two characters
};

// What the separator before block stands for. One look at the block's format.
Joint jointBefore(const QTextBlock& block);
// The text a joint inside a paragraph stands for: a space or nothing.
QString jointText(Joint joint);
// Whether block continues the paragraph of the block before it (its joint is not a break).
bool continues(const QTextBlock& block);

// Whether any block format of document marks a continuing piece: one look at its formats.
bool anyContinues(const QTextDocument& document);

// Tells joints apart by the block format's index, each index asked for once (an index always
// names the same format): for passes over many paragraphs, where asking each block for its format
// would copy a format per paragraph.
class Marks {
public:
    Joint jointBefore(const QTextBlock& block) const;
    bool continues(const QTextBlock& block) const { return jointBefore(block) != Joint::Break; }
    // Forgets what was asked, for a document that may have dropped its formats.
    void forget() { known_.clear(); }

private:
    enum Mark : signed char { Unknown = -1 };
    mutable std::vector<signed char> known_;
};

// The paragraph's first piece, and its last.
QTextBlock firstPiece(QTextBlock block);
QTextBlock lastPiece(QTextBlock block);

// A separator inside a paragraph in pieces: its Qt position and what it stands for.
struct Separator {
    int position;
    Joint joint;
    friend bool operator==(const Separator&, const Separator&) = default;
};
// The separators inside paragraphs from Qt position from up to (not including) to, ascending.
// O(log n) per separator found, through the document's PieceIndex.
std::vector<Separator> softSeparators(const QTextDocument& document, int from = 0,
                                      int to = INT_MAX);

// How text that counts in Qt positions (assistive technology's offsets) shows a separator that
// stands for nothing: a zero-width space, which screen readers pass over.
inline constexpr QChar kNothingStandIn{0x200B};

// Qt's document text (QTextDocument::toRawText) with every separator inside a paragraph turned
// back into what it stands for: paragraphs are separated by U+2029 alone. With onePerPosition, a
// separator standing for nothing reads as kNothingStandIn, so that the text keeps one character
// per Qt position.
QString rawText(const QTextDocument& document, bool onePerPosition = false);
// The same for the stretch from Qt position from up to to. Reads the document's storage without
// a cursor, which would have Qt analyse the paragraph it is placed in: for short stretches (a
// selection is read faster by its cursor's selectedText and restore).
QString text(const QTextDocument& document, int from, int to, bool onePerPosition = false);
// Turns the separators inside paragraphs in text, the document's text from Qt position from on,
// into what they stand for: a space, or nothing.
void restore(const QTextDocument& document, int from, QString& text, bool onePerPosition = false);

// The index in rawText of a Qt position: the position less the separators standing for nothing
// before it. Both directions cost O(log n).
TextIndex textIndex(const QTextDocument& document, QtPosition position);
// The Qt position of index in rawText. Where a separator standing for nothing lies at index, the
// position before it (the end of a piece), or with afterJoint the one after it (the next piece's
// start).
QtPosition qtPosition(const QTextDocument& document, TextIndex index, bool afterJoint);

// ---- Making and keeping the pieces
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
