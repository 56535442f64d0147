#pragma once

#include <QStringView>
#include <QTextCursor>
#include <memory>

class QString;
class QTextDocument;

// A plain-text document built away from any view, a piece at a time, for the editor to take
// whole (RichEdit::adopt). The editor's own document is not touched meanwhile: dropping the
// builder drops what was built. Text goes in as the file reader decodes it, without another copy.
class PlainTextBuilder {
public:
    // An empty document with model's default font, text option, margin and page size, laid out by
    // the editor's layout at that width from the start, so that the view finds every paragraph's
    // height already estimated when it takes it; no undo history is kept while building.
    explicit PlainTextBuilder(const QTextDocument& model);
    ~PlainTextBuilder();
    PlainTextBuilder(const PlainTextBuilder&) = delete;
    PlainTextBuilder& operator=(const PlainTextBuilder&) = delete;

    // Appends text in the default format: paragraphs separated by '\n', each character one that
    // Windows-1251 holds, no CR and no other break (as TextFile's decoding and
    // LineBreaks::toEditorText give it). A piece may end inside a paragraph.
    void append(const QString& text);

    // The finished document: with undo, not modified. The builder is empty afterwards.
    std::unique_ptr<QTextDocument> take();

private:
    // Notes whether text, appended after what came before, completes a paragraph too long to be
    // held whole (ParagraphPieces).
    void noteLongParagraph(QStringView text);

    std::unique_ptr<QTextDocument> doc_;
    QTextCursor cursor_;           // at the end of doc_; goes before it
    qsizetype paragraphSoFar_ = 0; // characters of the last paragraph appended so far
    bool hasLongParagraph_ = false;
};
