#include "HeightSettler.h"

#include "DocumentLayout.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace {

// The longest a slice of settling holds up the user's next event, in milliseconds.
constexpr int kSliceMs = 8;
// How long the document stays unchanged before settling starts, in milliseconds: while the user
// types, opens or replaces text, no slice runs between their keys.
constexpr int kQuietMs = 200;
// How far above and below the view paragraphs are measured, in pixels: a few screens, so that
// Page Up, the wheel and a short drag meet real heights, at a few tens of milliseconds of work.
constexpr qreal kReach = 4000;
// A document of at most this many characters is measured whole (about a quarter of a second of
// processor time): its scroll bar is then exact.
constexpr int kWholeDocument = 1 << 19;

} // namespace

HeightSettler::HeightSettler(DocumentLayout* layout) : QObject(layout), layout_(layout) {
    connect(&timer_, &QTimer::timeout, this, &HeightSettler::settleSlice);
}

void HeightSettler::restartFrom(int blockNumber) {
    const QTextDocument* doc = layout_->document();
    if (doc->characterCount() <= kWholeDocument) {
        const int from = !todo_.empty() && timer_.isActive()
                             ? std::min(todo_.front().first, blockNumber)
                             : blockNumber;
        todo_ = {{from, doc->blockCount() - 1}};
    } else {
        planAroundView();
    }
    timer_.start(kQuietMs);
}

void HeightSettler::viewShows(int first, int last) {
    shownFirst_ = first;
    shownLast_ = last;
    if (layout_->document()->characterCount() <= kWholeDocument ||
        (first >= reach_.first && last <= reach_.second)) {
        return;
    }
    planAroundView();
    if (!timer_.isActive()) {
        timer_.start(0);
    }
}

void HeightSettler::planAroundView() {
    const QTextDocument* doc = layout_->document();
    const int lastBlock = doc->blockCount() - 1;
    const int shownFirst = std::clamp(shownFirst_, 0, lastBlock);
    const int shownLast = std::clamp(shownLast_, shownFirst, lastBlock);
    const qreal top = layout_->blockTop(doc->findBlockByNumber(shownFirst));
    const QTextBlock last = doc->findBlockByNumber(shownLast);
    const qreal bottom = layout_->blockTop(last) + last.lineCount();
    const int above = layout_->blockAt(top - kReach).blockNumber();
    const int below = layout_->blockAt(bottom + kReach).blockNumber();
    // The view moves on to new ground once it comes within half the reach of the settled part's
    // edges (or of the document's ends, which it cannot pass).
    reach_ = {above == 0 ? 0 : layout_->blockAt(top - kReach / 2).blockNumber(),
              below == lastBlock ? lastBlock : layout_->blockAt(bottom + kReach / 2).blockNumber()};
    const int end = layout_->blockAt(layout_->documentSize().height() - kReach).blockNumber();
    // Below the view first, where Page Down and the wheel go most; then above it, each paragraph
    // measured there keeping the text on screen still; then the document's end.
    todo_ = {{shownFirst, below}, {above, shownFirst - 1}, {std::max(end, below + 1), lastBlock}};
}

void HeightSettler::settleSlice() {
    QElapsedTimer clock;
    clock.start();
    const QTextDocument* doc = layout_->document();
    while (!todo_.empty() && clock.elapsed() < kSliceMs) {
        Range& range = todo_.front();
        range.second = std::min(range.second, doc->blockCount() - 1);
        QTextBlock block = doc->findBlockByNumber(range.first);
        for (; block.isValid() && range.first <= range.second && clock.elapsed() < kSliceMs;
             block = block.next(), ++range.first) {
            measured_ += layout_->settle(block) ? 1 : 0;
        }
        if (range.first > range.second) {
            todo_.erase(todo_.begin());
        }
    }
    if (todo_.empty()) {
        timer_.stop();
    } else if (timer_.interval() != 0) {
        // The next slice as soon as the events that came meanwhile are handled.
        timer_.start(0);
    }
}
