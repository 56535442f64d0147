#pragma once

#include "ParagraphPieces.h"

#include <QObject>
#include <vector>

class QTextDocument;

// The block numbers of a document's continuation pieces (ParagraphPieces), kept in step with
// every change: an edit costs the blocks it touched plus one pass over the list, which holds a
// few entries per megabyte of very long paragraphs and none for ordinary text. Lets the editor
// turn Qt positions into the program's in O(log n) although some separators are not paragraph
// breaks.
class PieceIndex : public QObject {
    Q_OBJECT
public:
    // The document's index, made (by one pass over its blocks) on first call.
    static PieceIndex* install(QTextDocument* document);
    // The document's index, or null when none was installed.
    static const PieceIndex* of(const QTextDocument& document);

    // How many continuation pieces have a block number of at most blockNumber.
    int continuationsUpTo(int blockNumber) const;
    const std::vector<int>& blockNumbers() const { return numbers_; }

private:
    explicit PieceIndex(QTextDocument* document);
    void noteChange(int from, int removed, int added);
    // Appends the continuation pieces among blocks first..last to out.
    void scan(int first, int last, std::vector<int>& out) const;

    QTextDocument* document_;
    std::vector<int> numbers_;
    int blockCount_ = 0;
    ParagraphPieces::Marks marks_;
};
