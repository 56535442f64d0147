#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QTextCursor>
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
    // Puts text in place of the selection, as pasting it as plain text does.
    void pasteText(const QString& text);
    // Cut: the selection goes to the clipboard and out of the text, with a piece of a paragraph
    // in pieces that it empties joined in the same undo step.
    void cutSelection();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // At the scroll bar's end, lays out the last screenful and keeps the position at the end.
    void keepEndInView(int value);
    // Ctrl+Up, Ctrl+Down and Enter, which act on whole paragraphs, and Ctrl+Left and Ctrl+Right
    // in a paragraph in pieces, which read it whole. Returns whether event was one.
    bool handleParagraphKey(const QKeyEvent& event);
    // Enter: a paragraph break in place of the selection.
    void insertParagraphBreak();
    // Widens the selection to whole paragraphs, all their pieces (PieceCaret).
    void selectWholeParagraphs();
    bool keepingStill_ = false;
    QElapsedTimer tripleClickTimer_; // since the last double click
    QPoint tripleClickAt_;
    int tripleClickScroll_ = 0; // the vertical scroll position Qt saw the double click at
    // The paragraphs the last triple click selected, while the selection follows the mouse by
    // whole paragraphs: until the next plain click or double click. Null otherwise.
    QTextCursor tripleClicked_;
};
