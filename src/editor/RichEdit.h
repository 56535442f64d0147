#pragma once

#include "Positions.h"
#include "TextFormat.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTextCursor>
#include <memory>

class PieceIndex;
class QTextBlock;
class QTextDocument;
class QTextEdit;
class QWidget;
class RichTextView;

// The editor as the rest of the program sees it. Wraps the QTextEdit and speaks the program's
// units: a position counts every paragraph break as two characters (CR LF), sizes and indents are
// twips. Nothing outside this class (and the layout code of the main window) touches the QTextEdit.
class RichEdit : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RichEdit)
public:
    explicit RichEdit(QWidget* parent = nullptr);
    ~RichEdit() override;

    QTextEdit* widget() const;
    QTextDocument* document() const;

    // --- positions ---------------------------------------------------------------------------
    // Program position of a Qt position, and back. O(log n) in the number of paragraphs. A
    // program position inside a paragraph break maps to the end of that paragraph.
    Position toPosition(QtPosition qtPosition) const;
    QtPosition toQtPosition(Position position) const;
    // The first Qt position at or after position: a position inside a paragraph break (between CR
    // and LF) gives the start of the next paragraph, one past the end of the text the end + 1.
    QtPosition qtPositionAtOrAfter(Position position) const;
    // Length of the whole text in program positions.
    int textLength() const;

    // --- text --------------------------------------------------------------------------------
    // The whole text, paragraph breaks as CR LF.
    QString text() const;
    // Replaces the whole text with plain text (CR LF, LF or a lone CR break paragraphs) as one undo
    // step; the new text takes the format at the start of the old one.
    void setText(const QString& text);
    // Replaces the whole document with plain paragraphs separated by '\n', for a freshly opened
    // file: default character and paragraph format, no undo history, modified flag clear, caret at
    // the start, scrolled to the top. Built away from the view, so it costs one pass over the text.
    void loadPlainText(const QString& paragraphs);
    // Replaces the whole document with doc, built away from the view (PlainTextBuilder): caret at
    // the start, scrolled to the top. The previous document is deleted.
    void adopt(std::unique_ptr<QTextDocument> doc);
    // Empties the text as one undo step and clears the modified flag.
    void clear();

    // --- selection ---------------------------------------------------------------------------
    QString selectedText() const; // breaks as CR LF
    // Replaces the selection with plain text as one undo step; characters outside Windows-1251
    // become '?'.
    void replaceSelection(const QString& text);
    Position selStart() const;
    // Puts the caret at position with nothing selected.
    void setSelStart(Position position);
    int selLength() const;
    // Selects length characters from the selection start and scrolls the caret into view.
    void setSelLength(int length);
    void select(Position start, int length);
    // Both ends of the selection, as Qt positions.
    QList<QtPosition> qtSelectionEnds() const;
    // Selects from from to to, Qt positions (a found occurrence of the document's own text).
    void select(QtPosition from, QtPosition to);
    void selectAll();

    // --- editing commands ---------------------------------------------------------------------
    bool modified() const;
    void setModified(bool modified);
    void undo();
    void cut();
    void copy();
    void paste();
    void scrollToTop();
    void setFocus();

    // --- character attributes of the selection (of the text typed next when none) ------------
    // Reads report the first selected character (the caret's format when nothing is selected).
    FontStyles selStyles() const;
    void setSelStyles(FontStyles styles);
    QString selFaceName() const;
    void setSelFaceName(const QString& face); // only the first 31 characters are kept
    int selSizeTwips() const;
    void setSelSizeTwips(int twips);
    QColor selColor() const; // invalid: the automatic colour
    void setSelColor(const QColor& color);
    int selCharset() const;
    void setSelCharset(int charset);

    // --- paragraph attributes of every paragraph the selection touches -----------------------
    // Reads report the first touched paragraph. Indents are twips, read back exactly as written.
    ParaAlignment paraAlignment() const;
    void setParaAlignment(ParaAlignment alignment);
    ParaNumbering paraNumbering() const;
    void setParaNumbering(ParaNumbering numbering);
    int paraStartIndent() const;
    void setParaStartIndent(int twips);
    int paraOffset() const;
    void setParaOffset(int twips);
    int paraRightIndent() const;
    void setParaRightIndent(int twips);

    // --- view --------------------------------------------------------------------------------
    // Tab stops in pixels from the start of each line; past them, one every half inch.
    void setTabStops(const QList<qreal>& pixels);
    // Pixels per twip on the editor's screen.
    qreal pixelsPerTwip() const;

signals:
    // The editor's document object was replaced (loadPlainText, adopt): holders of document()
    // re-read it.
    void documentReplaced();

private:
    QTextCursor cursor() const;
    void applyCursor(const QTextCursor& c);
    void mergeCharFormat(const QTextCharFormat& format);
    QTextCharFormat selCharFormat() const;
    QTextBlockFormat firstBlockFormat() const;
    // The first and the last paragraph the selection touches, whole: first and last block.
    QList<QTextBlock> touchedParagraphs() const;
    // Sets one twips property on every touched paragraph and redraws their geometry.
    void setParaProperty(int property, int twips);
    void installDocument(QTextDocument* document);
    // Paragraph breaks before block number blockNumber.
    int breaksBefore(int blockNumber) const;

    RichTextView* view_;
    const PieceIndex* pieces_ = nullptr;
};
