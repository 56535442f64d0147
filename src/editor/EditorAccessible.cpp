#include "EditorAccessible.h"

#include "LineBreaks.h"
#include "ParagraphPieces.h"
#include "RichTextView.h"

#include <QAbstractTextDocumentLayout>
#include <QMap>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

namespace {

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("RichTextView")) {
        return new EditorAccessible(static_cast<RichTextView*>(object));
    }
    return nullptr;
}

// The character format at offset of block and the stretch of the block that has it. The
// paragraph's end has the format of its last run, as text typed there gets.
QTextCharFormat formatAt(const QTextBlock& block, int offset, int* from, int* to) {
    QTextCharFormat format = block.charFormat();
    *from = block.position();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        format = fragment.charFormat();
        if (fragment.contains(offset)) {
            *from = fragment.position();
            *to = fragment.position() + fragment.length();
            return format;
        }
        *from = fragment.position() + fragment.length();
    }
    *to = block.position() + block.length();
    return format;
}

QString rgb(const QColor& color) {
    return QStringLiteral("rgb(%1,%2,%3)").arg(color.red()).arg(color.green()).arg(color.blue());
}

// The text attributes of a format and its paragraph, as assistive technology names them.
QString attributeText(const QTextCharFormat& format, const QTextBlockFormat& paragraph) {
    QMap<QString, QString> attributes;
    const QFont font = format.font();
    QString family = font.family();
    for (const char* special : {"\\", ":", ",", "=", ";", "\""}) {
        family.replace(QLatin1String(special), QLatin1Char('\\') + QLatin1String(special));
    }
    attributes[QStringLiteral("font-family")] = QLatin1Char('"') + family + QLatin1Char('"');
    if (font.pointSizeF() > 0) {
        attributes[QStringLiteral("font-size")] = QString::number(font.pointSizeF()) + "pt";
    }
    attributes[QStringLiteral("font-weight")] = font.bold() ? "bold" : "normal";
    attributes[QStringLiteral("font-style")] = font.italic() ? "italic" : "normal";
    if (font.underline()) {
        attributes[QStringLiteral("text-underline-style")] = QStringLiteral("solid");
        attributes[QStringLiteral("text-underline-type")] = QStringLiteral("single");
    }
    if (font.strikeOut()) {
        attributes[QStringLiteral("text-line-through-type")] = QStringLiteral("single");
    }
    if (format.foreground().style() == Qt::SolidPattern) {
        attributes[QStringLiteral("color")] = rgb(format.foreground().color());
    }
    const Qt::Alignment align = paragraph.alignment();
    attributes[QStringLiteral("text-align")] = (align & Qt::AlignHCenter) ? "center"
                                               : (align & Qt::AlignRight) ? "right"
                                                                          : "left";
    QString text;
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it) {
        text += it.key() + QLatin1Char(':') + it.value() + QLatin1Char(';');
    }
    return text;
}

} // namespace

void EditorAccessible::install() {
    QAccessible::installFactory(&factory); // Qt keeps one of each factory
}

EditorAccessible::EditorAccessible(RichTextView* view)
    : QAccessibleWidget(view, QAccessible::EditableText) {}

RichTextView* EditorAccessible::view() const {
    return static_cast<RichTextView*>(widget());
}

QTextDocument* EditorAccessible::document() const {
    return view()->document();
}

QPoint EditorAccessible::scrollOffset() const {
    return {view()->horizontalScrollBar()->value(), view()->verticalScrollBar()->value()};
}

QString EditorAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value) {
        return LineBreaks::toLf(ParagraphPieces::rawText(*document(), true));
    }
    return QAccessibleWidget::text(t);
}

QAccessible::State EditorAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.selectableText = true;
    s.multiLine = true;
    s.editable = !view()->isReadOnly();
    s.readOnly = view()->isReadOnly();
    return s;
}

void* EditorAccessible::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    if (t == QAccessible::EditableTextInterface) {
        return static_cast<QAccessibleEditableTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(t);
}

// --- caret and selection -----------------------------------------------------------------------

void EditorAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    const QTextCursor c = view()->textCursor();
    const bool any = selectionIndex == 0 && c.hasSelection();
    *startOffset = any ? c.selectionStart() : 0;
    *endOffset = any ? c.selectionEnd() : 0;
}

int EditorAccessible::selectionCount() const {
    return view()->textCursor().hasSelection() ? 1 : 0;
}

void EditorAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void EditorAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0) {
        setCursorPosition(cursorPosition());
    }
}

void EditorAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0) {
        return;
    }
    const int count = characterCount();
    QTextCursor c(document());
    c.setPosition(std::clamp(startOffset, 0, count));
    c.setPosition(std::clamp(endOffset, 0, count), QTextCursor::KeepAnchor);
    view()->setTextCursor(c);
}

int EditorAccessible::cursorPosition() const {
    return view()->textCursor().position();
}

void EditorAccessible::setCursorPosition(int position) {
    setSelection(0, position, position);
}

// --- text --------------------------------------------------------------------------------------

int EditorAccessible::characterCount() const {
    return document()->characterCount() - 1;
}

QString EditorAccessible::text(int startOffset, int endOffset) const {
    const int count = characterCount();
    const int from = std::clamp(startOffset, 0, count);
    const int to = std::clamp(endOffset, from, count);
    return LineBreaks::toLf(ParagraphPieces::text(*document(), from, to, true));
}

std::pair<int, int> EditorAccessible::boundaries(int offset,
                                                 QAccessible::TextBoundaryType type) const {
    QTextCursor c(document());
    c.setPosition(std::clamp(offset, 0, characterCount()));
    if (type == QAccessible::ParagraphBoundary) {
        const QTextBlock first = ParagraphPieces::firstPiece(c.block());
        const QTextBlock last = ParagraphPieces::lastPiece(c.block());
        return {first.position(), last.position() + last.length() - 1};
    }
    const QPair<int, int> range = QAccessible::qAccessibleTextBoundaryHelper(c, type);
    return {range.first, range.second};
}

QString EditorAccessible::stretch(std::pair<int, int> range, int* startOffset,
                                  int* endOffset) const {
    *startOffset = range.first;
    *endOffset = range.second;
    return text(range.first, range.second);
}

QString EditorAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                       int* startOffset, int* endOffset) const {
    return stretch(boundaries(offset, boundaryType), startOffset, endOffset);
}

QString EditorAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int* startOffset, int* endOffset) const {
    const int start = boundaries(offset, boundaryType).first;
    if (start <= 0) {
        return stretch({0, 0}, startOffset, endOffset);
    }
    return stretch(boundaries(start - 1, boundaryType), startOffset, endOffset);
}

QString EditorAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int* startOffset, int* endOffset) const {
    const int end = boundaries(offset, boundaryType).second;
    const std::pair<int, int> next = boundaries(end, boundaryType);
    if (next.second <= end) {
        return stretch({characterCount(), characterCount()}, startOffset, endOffset);
    }
    return stretch(next, startOffset, endOffset);
}

// --- geometry ----------------------------------------------------------------------------------

QRect EditorAccessible::characterRect(int offset) const {
    const QTextBlock block = document()->findBlock(offset);
    if (!block.isValid() || offset >= characterCount()) {
        return {};
    }
    document()->documentLayout()->blockBoundingRect(block); // lays the paragraph out and places it
    const QTextLayout* layout = block.layout();
    const int inBlock = offset - block.position();
    const QTextLine line = layout->lineForTextPosition(inBlock);
    if (!line.isValid()) {
        return {};
    }
    int from = 0;
    int to = 0;
    const QFontMetricsF metrics(formatAt(block, offset, &from, &to).font());
    const qreal left = line.cursorToX(inBlock);
    qreal width = std::abs(line.cursorToX(inBlock + 1) - left);
    if (inBlock + 1 > line.textStart() + line.textLength()) { // the line's last character
        width = metrics.horizontalAdvance(text(offset, offset + 1));
    }
    const qreal top = line.y() + line.ascent() - metrics.ascent();
    const QPointF inDocument = layout->position() + QPointF(left, top);
    const QPoint inViewport = inDocument.toPoint() - scrollOffset();
    return {view()->viewport()->mapToGlobal(inViewport), QSizeF(width, metrics.height()).toSize()};
}

int EditorAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint inDocument = view()->viewport()->mapFromGlobal(point) + scrollOffset();
    return document()->documentLayout()->hitTest(inDocument, Qt::ExactHit);
}

void EditorAccessible::scrollToSubstring(int startIndex, int /*endIndex*/) {
    QTextCursor c(document());
    c.setPosition(std::clamp(startIndex, 0, characterCount()));
    const QRect start = view()->cursorRect(c);
    if (start.top() < 0 || start.bottom() > view()->viewport()->height()) {
        view()->verticalScrollBar()->setValue(scrollOffset().y() + start.top());
    }
}

QString EditorAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    const int count = characterCount();
    if (offset == -2) { // the caret's
        offset = cursorPosition();
    }
    if (offset == -1 || offset == count) { // asked at the end: the last character's
        offset = std::max(0, count - 1);
    }
    if (offset < 0 || offset > count) {
        *startOffset = -1;
        *endOffset = -1;
        return {};
    }
    const QTextBlock block = document()->findBlock(offset);
    const QTextCharFormat format = formatAt(block, offset, startOffset, endOffset);
    return attributeText(format, block.blockFormat());
}

// --- editing -----------------------------------------------------------------------------------

void EditorAccessible::deleteText(int startOffset, int endOffset) {
    replaceText(startOffset, endOffset, QString());
}

void EditorAccessible::insertText(int offset, const QString& text) {
    replaceText(offset, offset, text);
}

void EditorAccessible::replaceText(int startOffset, int endOffset, const QString& text) {
    if (view()->isReadOnly()) {
        return;
    }
    setSelection(0, startOffset, endOffset);
    view()->pasteText(text);
}
