#pragma once

#include <QAccessibleWidget>
#include <utility>

class QTextDocument;
class RichTextView;

// What assistive technology reads of the editing widget: its text, caret, selection, character
// boxes and formats, with offsets in Qt's positions (one character per paragraph break). A
// paragraph held in pieces (ParagraphPieces) reads as the one paragraph it is: the separator at
// each cut reads as the space it stands for, and a paragraph boundary spans all its pieces.
// Text put in by assistive technology enters as a paste does.
class EditorAccessible : public QAccessibleWidget,
                         public QAccessibleTextInterface,
                         public QAccessibleEditableTextInterface {
public:
    explicit EditorAccessible(RichTextView* view);

    // Makes Qt build this interface for RichTextView; Qt keeps the factory once.
    static void install();

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    RichTextView* view() const;
    QTextDocument* document() const;
    // The stretch of the given kind around offset, as Qt positions from and to.
    std::pair<int, int> boundaries(int offset, QAccessible::TextBoundaryType type) const;
    // The text of a stretch, with its length.
    QString stretch(std::pair<int, int> range, int* startOffset, int* endOffset) const;
    // The document's position of the viewport's top left corner.
    QPoint scrollOffset() const;
};
