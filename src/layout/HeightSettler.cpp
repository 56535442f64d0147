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

} // namespace

HeightSettler::HeightSettler(DocumentLayout* layout) : QObject(layout), layout_(layout) {
    connect(&timer_, &QTimer::timeout, this, &HeightSettler::settleSlice);
}

void HeightSettler::restartFrom(int blockNumber) {
    next_ = timer_.isActive() ? std::min(next_, blockNumber) : blockNumber;
    timer_.start(kQuietMs);
}

void HeightSettler::settleSlice() {
    QElapsedTimer clock;
    clock.start();
    QTextBlock block = layout_->document()->findBlockByNumber(next_);
    while (block.isValid() && clock.elapsed() < kSliceMs) {
        layout_->settle(block);
        block = block.next();
    }
    if (!block.isValid()) {
        timer_.stop();
        return;
    }
    next_ = block.blockNumber();
    if (timer_.interval() != 0) {
        // The next slice as soon as the events that came meanwhile are handled.
        timer_.start(0);
    }
}
