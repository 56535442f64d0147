#include "PieceIndex.h"

#include "ParagraphPieces.h"

#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace {

// Ranges of more blocks than this are first checked against the document's formats.
constexpr int kShortRange = 64;

} // namespace

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
    scan(0, blockCount_ - 1, numbers_);
    connect(document, &QTextDocument::contentsChange, this, &PieceIndex::noteChange);
}

int PieceIndex::continuationsUpTo(int blockNumber) const {
    return static_cast<int>(std::upper_bound(numbers_.begin(), numbers_.end(), blockNumber) -
                            numbers_.begin());
}

void PieceIndex::scan(int first, int last, std::vector<int>& out) const {
    // A document without a continuing piece, the common case, is not walked at all when the
    // range is long: its few formats say so.
    if (last - first > kShortRange) {
        const QList<QTextFormat> formats = document_->allFormats();
        if (std::none_of(formats.begin(), formats.end(), [](const QTextFormat& f) {
                return f.isBlockFormat() && f.boolProperty(ParagraphPieces::kContinues);
            })) {
            return;
        }
    }
    // Blocks share a handful of formats: each format is asked once.
    QHash<int, bool> continuing;
    QTextBlock block = document_->findBlockByNumber(first);
    for (int n = first; n <= last && block.isValid(); ++n, block = block.next()) {
        const int index = block.blockFormatIndex();
        auto it = continuing.find(index);
        if (it == continuing.end()) {
            it = continuing.insert(index, ParagraphPieces::continues(block));
        }
        if (*it) {
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

    auto begin = std::lower_bound(numbers_.begin(), numbers_.end(), first);
    auto end = std::upper_bound(begin, numbers_.end(), lastOld);
    std::vector<int> middle;
    scan(first, lastNew, middle);
    std::for_each(end, numbers_.end(), [delta](int& n) { n += delta; });
    const auto at = numbers_.erase(begin, end);
    numbers_.insert(at, middle.begin(), middle.end());
}
