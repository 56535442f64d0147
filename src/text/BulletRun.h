#pragma once

class QTextBlock;
class QTextList;

// Puts consecutive paragraphs into bullet lists: disc bullets, list indent 0. Qt adds and removes
// a list's paragraphs in time linear in the list's size, so one list over many paragraphs would
// cost quadratic time; a run is split into lists of at most kParagraphsPerList paragraphs.
// Bullets carry no number, so nothing shows the seams.
class BulletRun {
public:
    static constexpr int kParagraphsPerList = 64;

    // Adds block to the run's current list, or starts a new list with it.
    void add(const QTextBlock& block);
    // Ends the run: the next paragraph added starts a new list.
    void end() { list_ = nullptr; }

private:
    QTextList* list_ = nullptr;
    int inList_ = 0;
};
