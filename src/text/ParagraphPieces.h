#pragma once

#include <QList>
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
// characters would take seconds. Each piece after the first is marked as continuing the
// paragraph (kContinues), and the separator in front of it stands for one space of the
// paragraph's text: a piece ends where the paragraph had a space, so every line shown is a true
// stretch of the text and the text saved is the text read. Caret movement, selection, deletion
// and undo treat that separator as the space it stands for.
//
// Paragraphs up to kLongParagraph characters stay whole. Longer ones are cut at spaces into
// pieces of about kPieceLength characters; a paragraph without spaces stays whole.
namespace ParagraphPieces {

// Block property: this block continues the paragraph of the block before it.
constexpr int kContinues = QTextFormat::UserProperty + 16;
// Paragraphs longer than this (in characters) are held in pieces.
constexpr int kLongParagraph = 32768;
// The length a piece is cut to.
constexpr int kPieceLength = 2048;
// A piece of a paragraph in pieces is cut again once typing makes it longer than this.
constexpr int kLongPiece = 2 * kPieceLength;

bool continues(const QTextBlock& block);

// Whether any block format of document marks a continuing piece: one look at its formats.
bool anyContinues(const QTextDocument& document);

// Tells continuing pieces apart by their block format's index, each index asked for once (an
// index always names the same format): for passes over many paragraphs, where asking each block
// for its format would copy a format per paragraph.
class Marks {
public:
    bool continues(const QTextBlock& block) const;
    // Forgets what was asked, for a document that may have dropped its formats.
    void forget() { known_.clear(); }

private:
    enum Mark : signed char { Unknown, Starts, Continues };
    mutable std::vector<Mark> known_;
};

// The paragraph's first piece, and its last.
QTextBlock firstPiece(QTextBlock block);
QTextBlock lastPiece(QTextBlock block);

// Where to cut text (a paragraph, or one piece of it) into pieces: the indexes of the spaces
// that become piece separators, ascending. Empty when the text is short enough or has no space.
std::vector<qsizetype> cutPoints(QStringView text, bool inPieces);

// Cuts every block from block number firstBlock to lastBlock that is too long into pieces. An
// edit of the document: the caller holds an edit block, or the cut is an undo step of its own.
// Qt positions do not move: each cut space becomes a separator. Returns how many cuts it made.
int cut(QTextDocument& document, int firstBlock, int lastBlock);

// Whether an edit at c that adds up to added characters may leave a block to cut: a piece longer
// than kLongPiece or a paragraph longer than kLongParagraph.
bool mayCut(const QTextCursor& c, qsizetype added);
// After text was put in between Qt positions from and to (inside the caller's edit block):
// every paragraph break that came in with it starts a paragraph of its own, although the block
// it broke may have been a continuation piece, and paragraphs it made too long are cut.
void mend(QTextDocument& document, int from, int to);
// format for a block that starts a paragraph: without kContinues.
QTextBlockFormat startingFormat(QTextBlockFormat format);
// The selection of c with its piece separators turned back into spaces, so that it pastes, here
// or elsewhere, as the text it shows.
QTextDocumentFragment wholeFragment(const QTextCursor& c);

// Qt positions of the separators that stand for spaces, from Qt position from up to (not
// including) to, ascending. O(log n) per separator found, through the document's PieceIndex.
std::vector<int> softSeparators(const QTextDocument& document, int from = 0, int to = INT_MAX);
// Qt's document text (QTextDocument::toRawText) with the separators that stand for spaces
// turned back into spaces: paragraphs are separated by U+2029 alone.
QString rawText(const QTextDocument& document);
// The same for the stretch from Qt position from up to to. Reads the document's storage without
// a cursor, which would have Qt analyse the paragraph it is placed in: for short stretches (a
// selection is read faster by its cursor's selectedText and restoreSpaces).
QString text(const QTextDocument& document, int from, int to);
// Turns the separators in text, the document's text from Qt position from on, that stand for
// spaces back into spaces.
void restoreSpaces(const QTextDocument& document, int from, QString& text);

} // namespace ParagraphPieces
