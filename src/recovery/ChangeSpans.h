#pragma once

#include <vector>

// What changed in a document since it was last recorded: a few disjoint stretches, in the
// document's current positions, each with the length it had in the recorded document. Outside
// them the two documents agree, shifted. Each change costs a pass over the stretches, which are
// few: past maxSpans the two closest merge (the text between them is then written again).
class ChangeSpans {
public:
    struct Span {
        int from;     // current position of the first changed character
        int to;       // current position after the last one
        int recorded; // length of the stretch in the recorded document
    };

    explicit ChangeSpans(int maxSpans = 8) : maxSpans_(maxSpans) {}

    // Lengths count the document's characters without the end of its last paragraph, which no
    // edit removes.

    // Nothing changed; the document is length characters long.
    void reset(int length);
    // Everything changed: the recorded document held recorded characters, the current one holds
    // length.
    void markAll(int recorded, int length);
    // A change as QTextDocument::contentsChange reports it. False, and nothing changed, when it
    // does not fit the document as it is known.
    bool change(int position, int removed, int added);

    bool empty() const { return spans_.empty(); }
    const Span& front() const { return spans_.front(); }
    const std::vector<Span>& spans() const { return spans_; }
    int length() const { return length_; }
    // Length of the recorded document.
    int recordedLength() const;
    // The front stretch's first n characters are recorded, replacing its whole recorded stretch:
    // what remains of it stands for nothing recorded yet.
    void recordFront(int n);
    // The stretches are sorted, apart from one another (merged once they touch), within the
    // document, and no length is negative. Asserted after every change.
    bool consistent() const;

private:
    void mergeClosest();

    std::vector<Span> spans_;
    int length_ = 0;
    int maxSpans_;
};
