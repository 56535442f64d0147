#pragma once

#include <QObject>
#include <QTimer>

class DocumentLayout;

// Replaces the estimated heights of a document's paragraphs by their real ones while the program
// is idle: once the document has not changed for a moment, a slice of a few milliseconds at a
// time, from the first paragraph that may be estimated on, between the user's events. The scroll
// bar thus settles once the user has waited a moment; once every paragraph is measured the settler
// stops, and the program is idle again.
class HeightSettler : public QObject {
    Q_OBJECT
public:
    explicit HeightSettler(DocumentLayout* layout);

    // Paragraphs from blockNumber on may have become estimates: settles from there.
    void restartFrom(int blockNumber);
    bool isSettled() const { return !timer_.isActive(); }

private:
    void settleSlice();

    DocumentLayout* layout_;
    QTimer timer_;
    int next_ = 0; // the first paragraph not yet looked at
};
