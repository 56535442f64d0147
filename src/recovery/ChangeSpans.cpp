#include "ChangeSpans.h"

#include <QtGlobal>
#include <algorithm>
#include <climits>

void ChangeSpans::reset(int length) {
    spans_.clear();
    length_ = length;
}

void ChangeSpans::markAll(int recorded, int length) {
    spans_.assign(1, Span{0, length, recorded});
    length_ = length;
    Q_ASSERT(consistent());
}

bool ChangeSpans::consistent() const {
    int after = -1; // the end of the stretch before
    for (const Span& s : spans_) {
        if (s.from <= after || s.from > s.to || s.recorded < 0) {
            return false;
        }
        after = s.to;
    }
    return length_ >= 0 && after <= length_;
}

int ChangeSpans::recordedLength() const {
    int n = length_;
    for (const Span& s : spans_) {
        n += s.recorded - (s.to - s.from);
    }
    return n;
}

bool ChangeSpans::change(int position, int removed, int added) {
    // A change that reaches the last paragraph's end counts it as removed and added again.
    const int over = position + removed - length_;
    if (over > 0) {
        removed -= over;
        added -= over;
    }
    if (position < 0 || removed < 0 || added < 0) {
        return false;
    }
    const int end = position + removed;
    // Spans that overlap or touch [position, end] become one, with the change.
    auto first = std::find_if(spans_.begin(), spans_.end(),
                              [position](const Span& s) { return s.to >= position; });
    auto last = std::find_if(first, spans_.end(), [end](const Span& s) { return s.from > end; });
    Span merged{position, end, removed};
    if (first != last) {
        merged.from = std::min(position, first->from);
        merged.to = std::max(end, std::prev(last)->to);
        // Characters of the merged stretch outside every span were recorded as they are.
        merged.recorded = merged.to - merged.from;
        for (auto it = first; it != last; ++it) {
            merged.recorded += it->recorded - (it->to - it->from);
        }
    }
    const int delta = added - removed;
    merged.to += delta;
    for (auto it = last; it != spans_.end(); ++it) {
        it->from += delta;
        it->to += delta;
    }
    spans_.insert(spans_.erase(first, last), merged);
    length_ += delta;
    if (static_cast<int>(spans_.size()) > maxSpans_) {
        mergeClosest();
    }
    Q_ASSERT(consistent());
    return true;
}

void ChangeSpans::recordFront(int n) {
    Span& s = spans_.front();
    s.from += n;
    s.recorded = 0;
    if (s.from >= s.to) {
        spans_.erase(spans_.begin());
    }
    Q_ASSERT(consistent());
}

void ChangeSpans::mergeClosest() {
    size_t best = 0;
    int gap = INT_MAX;
    for (size_t i = 0; i + 1 < spans_.size(); ++i) {
        const int g = spans_[i + 1].from - spans_[i].to;
        if (g < gap) {
            gap = g;
            best = i;
        }
    }
    Span& a = spans_[best];
    const Span& b = spans_[best + 1];
    a.recorded += gap + b.recorded;
    a.to = b.to;
    spans_.erase(spans_.begin() + static_cast<long>(best) + 1);
}
