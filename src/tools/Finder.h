#pragma once

#include "FindText.h"
#include "Positions.h"
#include "Prompts.h"
#include "SearchText.h"

#include <QObject>
#include <QString>
#include <QStringView>

class RichEdit;

// The search behind "Найти...": a remembered start position, FindPos, and forward search steps
// over the document's own text. FindPos and the selection are program positions (every paragraph
// break counts as CR LF); the search itself runs over the text as the document holds it, one
// separator per break, and maps its result through the editor in O(log n).
//
// The searched text and its case-folded copy are kept between steps and follow the document's
// edits (SearchText), so a step costs one search, not a copy of the whole text.
class Finder : public QObject {
    Q_OBJECT
public:
    Finder(RichEdit& editor, Prompts& prompts);

    // Where the next search step begins, as a program position. May lie past the end of the text
    // (the text may shrink after it was set); a search from there finds nothing.
    Position FindPos = 0;

    // Starts a new search from the selection: FindPos := the selection start. Returns the selected
    // text cut to kMaxFindText characters, the preset of the find-what field.
    QString beginFind();

    // One search step: finds what (paragraph breaks in it as CR LF) from FindPos on, selects the
    // occurrence, scrolls it into view and moves FindPos to its end. With nothing found it says
    // "Текст не найден" and leaves the selection and FindPos as they were. Either way the editor
    // gets the keyboard focus back. Returns whether an occurrence was found.
    bool findNext(const QString& what, bool matchCase);

    // The searched text: the document's text with one QChar::ParagraphSeparator per paragraph
    // break (SearchText), or its case-folded copy.
    const QString& searchText(bool folded) { return folded ? text_.folded() : text_.text(); }

    // Index of the first occurrence of what in text at or after from; -1 when there is none, when
    // what is empty or when from is outside text.
    static qsizetype indexOf(QStringView text, QStringView what, qsizetype from);

private:
    RichEdit& editor_;
    Prompts& prompts_;
    SearchText text_;
};
