#include "PieceIndex.h"

#include "DocumentWatchers.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

PieceIndex* PieceIndex::install(QTextDocument* document) {
    DocumentWatchers& watchers = DocumentWatchers::of(*document);
    if (auto* own = watchers.get<PieceIndex>()) {
        return own;
    }
    auto* index = new PieceIndex(document);
    watchers.add(index);
    return index;
}

const PieceIndex* PieceIndex::of(const QTextDocument& document) {
    if (const auto* own = DocumentWatchers::get<PieceIndex>(document)) {
        return own;
    }
    // The index is a cache that follows the document's changes: a document only read gets one
    // too, so that every reader takes the same O(log n) way.
    return install(const_cast<QTextDocument*>(&document));
}

PieceIndex::PieceIndex(QTextDocument* document)
    : QObject(document), document_(document), blockCount_(document->blockCount()) {
    // A document is walked only when one of its formats marks a continuing piece.
    if (ParagraphPieces::anyContinues(*document)) {
        scan(0, blockCount_ - 1, numbers_);
    }
    connect(document, &QTextDocument::contentsChange, this, &PieceIndex::noteChange);
    // A document tells where it changed (contentsChange) only once it has a layout. Every
    // document the editor holds has one; another, read by itself, gets Qt's own here.
    document->documentLayout();
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
    const auto inserted = numbers_.insert(at, middle.begin(), middle.end());
    checkSeams(inserted - numbers_.begin(), static_cast<qsizetype>(middle.size()));
}

void PieceIndex::checkSeams(qsizetype at, qsizetype count) const {
    // Where the rescanned entries meet the kept ones, the list stays ascending, and the first
    // kept entry after them, renumbered, still names a continuing piece: a wrong renumbering shows
    // there. Constant work per edit beside the look-up of one block (none in release builds).
    const auto size = static_cast<qsizetype>(numbers_.size());
    const qsizetype after = at + count;
    Q_ASSERT(at == 0 || at >= size || numbers_[at - 1] < numbers_[at]);
    Q_ASSERT(after == 0 || after >= size || numbers_[after - 1] < numbers_[after]);
    Q_ASSERT(after >= size || marks_.continues(document_->findBlockByNumber(numbers_[after])));
    Q_ASSERT(size == 0 || numbers_.back() < blockCount_);
}
