#pragma once

#include <QObject>
#include <QTimer>
#include <utility>
#include <vector>

class DocumentLayout;

// Replaces the estimated heights of a document's paragraphs by their real ones while the program
// is idle, in slices of a few milliseconds between the user's events, where the user will look
// next: the paragraphs within a few screens of the view and the last screens of the document
// (where Ctrl+End and the scroll bar's end lead). A small document is measured whole, so that its
// scroll bar is exact. Once those are measured the settler stops, and the program is idle again;
// when the view moves away from what was measured, it measures around the new view.
//
// Work after an open is thus bounded by what the user sees, not by the size of the file.
class HeightSettler : public QObject {
    Q_OBJECT
public:
    explicit HeightSettler(DocumentLayout* layout);

    // Paragraphs from blockNumber on may have become estimates: settles what is near the view (in
    // a small document, everything from there on) once the document has not changed for a moment.
    void restartFrom(int blockNumber);
    // The paragraphs first to last were drawn: when they leave the part around the view that was
    // settled, settles around them.
    void viewShows(int first, int last);
    bool isSettled() const { return !timer_.isActive(); }
    // Paragraphs measured so far, for the tests that check the work stays near the view.
    int measuredCount() const { return measured_; }

private:
    using Range = std::pair<int, int>; // first and last paragraph number, inclusive
    // The ranges to settle: around the view, then the document's end.
    void planAroundView();
    void settleSlice();

    DocumentLayout* layout_;
    QTimer timer_;
    std::vector<Range> todo_; // ranges still to settle, the current one first
    int shownFirst_ = 0;      // the paragraphs last drawn
    int shownLast_ = 0;
    Range reach_{0, -1}; // the neighbourhood of the view that was last planned
    int measured_ = 0;
};
