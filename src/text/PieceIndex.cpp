#include "PieceIndex.h"

#include "DocumentWatchers.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

using ParagraphPieces::Joint;

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
        scan(0, blockCount_ - 1, numbers_, nothing_);
    }
    connect(document, &QTextDocument::contentsChange, this, &PieceIndex::noteChange);
    // A document tells where it changed (contentsChange) only once it has a layout. Every
    // document the editor holds has one; another, read by itself, gets Qt's own here.
    document->documentLayout();
}

int PieceIndex::upTo(const std::vector<int>& numbers, int blockNumber) {
    return static_cast<int>(std::upper_bound(numbers.begin(), numbers.end(), blockNumber) -
                            numbers.begin());
}

void PieceIndex::scan(int first, int last, std::vector<int>& continuing,
                      std::vector<int>& nothing) const {
    QTextBlock block = document_->findBlockByNumber(first);
    for (int n = first; n <= last && block.isValid(); ++n, block = block.next()) {
        const Joint joint = marks_.jointBefore(block);
        if (joint != Joint::Break) {
            continuing.push_back(n);
        }
        if (joint == Joint::Nothing) {
            nothing.push_back(n);
        }
    }
}

void PieceIndex::splice(std::vector<int>& numbers, int first, int lastOld, int delta,
                        const std::vector<int>& fresh) {
    auto begin = std::lower_bound(numbers.begin(), numbers.end(), first);
    auto end = std::upper_bound(begin, numbers.end(), lastOld);
    std::for_each(end, numbers.end(), [delta](int& n) { n += delta; });
    const auto at = numbers.erase(begin, end);
    const auto inserted = numbers.insert(at, fresh.begin(), fresh.end());
    // Where the fresh entries meet the kept ones the list stays ascending: a wrong renumbering
    // shows there. Constant work per edit (none in release builds).
    [[maybe_unused]] const auto after = inserted + static_cast<std::ptrdiff_t>(fresh.size());
    Q_ASSERT(inserted == numbers.begin() || inserted == numbers.end() ||
             *(inserted - 1) < *inserted);
    Q_ASSERT(after == numbers.begin() || after == numbers.end() || *(after - 1) < *after);
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
    if (first == 0 && lastNew == count - 1) {
        // The whole text changed: also what a format index names, should the document have
        // dropped its formats.
        marks_.forget();
    }
    std::vector<int> continuing;
    std::vector<int> nothing;
    scan(first, lastNew, continuing, nothing);
    splice(numbers_, first, lastNew - delta, delta, continuing);
    splice(nothing_, first, lastNew - delta, delta, nothing);
    Q_ASSERT(numbers_.empty() || numbers_.back() < blockCount_);
    Q_ASSERT(nothing_.size() <= numbers_.size());
}
