#pragma once

#include "ParagraphPieces.h"

#include <QObject>
#include <vector>

class QTextDocument;

// The block numbers of a document's continuation pieces (ParagraphPieces), and of those among them
// whose separator stands for nothing, kept in step with every change: an edit costs the blocks it
// touched plus one pass over the lists, which hold a few entries per megabyte of very long
// paragraphs and none for ordinary text. Lets the editor turn Qt positions into the program's in
// O(log n) although some separators are not paragraph breaks.
class PieceIndex : public QObject {
    Q_OBJECT
public:
    // The document's index, made (by one pass over its blocks) on first call.
    static PieceIndex* install(QTextDocument* document);
    // The same for a document read only (never null): the index is a cache that follows the
    // document, registered with its DocumentWatchers.
    static const PieceIndex* of(const QTextDocument& document);

    // How many continuation pieces have a block number of at most blockNumber.
    int continuationsUpTo(int blockNumber) const { return upTo(numbers_, blockNumber); }
    // How many of them, joined by nothing, have a block number of at most blockNumber.
    int joinedByNothingUpTo(int blockNumber) const { return upTo(nothing_, blockNumber); }
    const std::vector<int>& blockNumbers() const { return numbers_; }
    const std::vector<int>& joinedByNothing() const { return nothing_; }

private:
    explicit PieceIndex(QTextDocument* document);
    static int upTo(const std::vector<int>& numbers, int blockNumber);
    void noteChange(int from, int removed, int added);
    // Appends the continuation pieces among blocks first..last to continuing, and those joined by
    // nothing also to nothing.
    void scan(int first, int last, std::vector<int>& continuing, std::vector<int>& nothing) const;
    // Replaces the entries for the old blocks first..lastOld of numbers by fresh, renumbering the
    // later ones by delta.
    static void splice(std::vector<int>& numbers, int first, int lastOld, int delta,
                       const std::vector<int>& fresh);

    QTextDocument* document_;
    std::vector<int> numbers_;
    std::vector<int> nothing_;
    int blockCount_ = 0;
    ParagraphPieces::Marks marks_;
};
