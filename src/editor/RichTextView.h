#pragma once

#include <QTextEdit>

// The editing widget behind RichEdit. Keeps the document storable in Windows-1251: typed, pasted
// and dropped characters outside the code page become '?' as they enter; images and other
// objects are not taken from the clipboard.
class RichTextView : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextView(QWidget* parent = nullptr);

    // A paragraph that ended at oldBottom changed its height by delta (its estimated height was
    // replaced by the real one): when it lies wholly above the view, the scroll position moves
    // along so that the text on screen stays still.
    void keepTextStill(qreal oldBottom, qreal delta);
    // Scrolls the caret into view, with the paragraphs shown above it laid out first.
    void showCaret();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Enter: a paragraph break in place of the selection.
    void insertParagraphBreak();
    // Cuts the caret's paragraph piece when an edit made it too long (ParagraphPieces).
    void cutLongPiece();

    bool keepingStill_ = false;
};
