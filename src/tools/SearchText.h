#pragma once

#include <QObject>
#include <QString>
#include <QStringView>

class QTextDocument;
class RichEdit;

// The editor's text as the search reads it: the document's own characters with one
// QChar::ParagraphSeparator per paragraph break, and the separators inside a paragraph held in
// pieces read as what they stand for (ParagraphPieces::rawText, indexed by TextIndex); and a
// case-folded copy of it. Both are built on first use and then kept in step with the document: an
// edit only records which stretch changed (O(1) per keystroke), and the next read splices that
// stretch in, so a search after an edit reads back only what changed instead of the whole text.
class SearchText : public QObject {
    Q_OBJECT
public:
    explicit SearchText(RichEdit& editor, QObject* parent = nullptr);

    const QString& text();
    const QString& folded();

    // Lower-cases every UTF-16 unit on its own, so the result has the length of the input and its
    // indexes are those of the input. Covers Cyrillic capitals.
    static QString foldCase(QStringView text);

private:
    void follow(QTextDocument* document);
    void drop();
    void noteChange(int from, int removed, int added);
    void update();
    qsizetype documentLength() const;

    RichEdit& editor_;
    QString text_;
    QString folded_;
    bool textValid_ = false;
    bool foldedValid_ = false;
    // Since the copies were last brought up to date, the first changedFrom_ and the last
    // unchangedTail_ characters of the text have not changed.
    bool changed_ = false;
    qsizetype changedFrom_ = 0;
    qsizetype unchangedTail_ = 0;
};
