#include "PieceIndex.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

PieceIndex* PieceIndex::install(QTextDocument* document) {
    if (auto* own = document->findChild<PieceIndex*>(QString(), Qt::FindDirectChildrenOnly)) {
        return own;
    }
    return new PieceIndex(document);
}

const PieceIndex* PieceIndex::of(const QTextDocument& document) {
    return document.findChild<PieceIndex*>(QString(), Qt::FindDirectChildrenOnly);
}

PieceIndex::PieceIndex(QTextDocument* document)
    : QObject(document), document_(document), blockCount_(document->blockCount()) {
    // A document is walked only when one of its formats marks a continuing piece.
    if (ParagraphPieces::anyContinues(*document)) {
        scan(0, blockCount_ - 1, numbers_);
    }
    connect(document, &QTextDocument::contentsChange, this, &PieceIndex::noteChange);
}

int PieceIndex::continuationsUpTo(int blockNumber) const {
    return static_cast<int>(std::upper_bound(numbers_.begin(), numbers_.end(), blockNumber) -
                            numbers_.begin());
}

void PieceIndex::scan(int first, int last, std::vector<int>& out) const {
    QTextBlock block = document_->findBlockByNumber(first);
    for (int n = first; n <= last && block.isValid(); ++n, block = block.next()) {
        if (marks_.continues(block)) {
            out.push_back(n);
        }
    }
}

void PieceIndex::noteChange(int from, int /*removed*/, int added) {
    // The signal comes after the change. Blocks before the one holding from are as they were;
    // those after the one holding the end of the added text are the old ones, renumbered.
    const int count = document_->blockCount();
    const int delta = count - blockCount_;
    blockCount_ = count;
    const int last = document_->characterCount() - 1;
    const int first = document_->findBlock(std::clamp(from, 0, last)).blockNumber();
    const int lastNew = document_->findBlock(std::clamp(from + added, 0, last)).blockNumber();
    const int lastOld = lastNew - delta;
    if (first == 0 && lastNew == count - 1) {
        // The whole text changed: also what a format index names, should the document have
        // dropped its formats.
        marks_.forget();
    }

    auto begin = std::lower_bound(numbers_.begin(), numbers_.end(), first);
    auto end = std::upper_bound(begin, numbers_.end(), lastOld);
    std::vector<int> middle;
    scan(first, lastNew, middle);
    std::for_each(end, numbers_.end(), [delta](int& n) { n += delta; });
    const auto at = numbers_.erase(begin, end);
    numbers_.insert(at, middle.begin(), middle.end());
}
