#include "RichTextView.h"

#include "BusyCursor.h"
#include "Cp1251.h"
#include "DocumentLayout.h"
#include "LineBreaks.h"
#include "ParagraphPieces.h"
#include "PastedText.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <algorithm>
#include <optional>

namespace {

// Paragraphs (in characters) in which a key shows the busy cursor while it is handled.
constexpr int kLongParagraph = 100000;

} // namespace

RichTextView::RichTextView(QWidget* parent) : QTextEdit(parent) {}

void RichTextView::keepTextStill(qreal oldBottom, qreal delta) {
    QScrollBar* bar = verticalScrollBar();
    if (oldBottom > bar->value() || delta == 0) {
        return;
    }
    keepingStill_ = true;
    // The range follows the document's new size only after this: widen it for now where the
    // paragraph grew, so that the position is not cut short.
    const int value = bar->value() + static_cast<int>(delta);
    bar->setMaximum(std::max(bar->maximum(), value));
    bar->setValue(value);
    keepingStill_ = false;
}

void RichTextView::scrollContentsBy(int dx, int dy) {
    if (keepingStill_) {
        // The content moved by as much as the scroll position: nothing on screen moves, but what
        // is drawn must be drawn again from the new coordinates.
        viewport()->update();
        return;
    }
    QTextEdit::scrollContentsBy(dx, dy);
}

void RichTextView::keyPressEvent(QKeyEvent* event) {
    // Qt lays a paragraph out whole after each change to it: in a very long one a key takes long.
    std::optional<BusyCursor> busy;
    if (textCursor().block().length() > kLongParagraph) {
        busy.emplace();
    }
    // Enter, also with Shift (which would insert a line separator inside the paragraph, something
    // no file can hold), breaks the paragraph.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0 &&
        !isReadOnly()) {
        insertParagraphBreak();
        event->accept();
        return;
    }
    // A key that may make a piece of a long paragraph too long is one undo step with the cut that
    // follows (ParagraphPieces); undo and redo bring pieces back as they were.
    const bool mayLengthen = !isReadOnly() && !event->matches(QKeySequence::Undo) &&
                             !event->matches(QKeySequence::Redo) &&
                             ParagraphPieces::mayCut(textCursor(), event->text().size());
    QTextCursor step = textCursor();
    const int anchor = step.anchor();
    const int position = step.position();
    if (mayLengthen) {
        step.beginEditBlock();
    }
    QString text = event->text();
    if (!text.isEmpty() && Cp1251::sanitize(text) > 0) {
        QKeyEvent replaced(event->type(), event->key(), event->modifiers(), text,
                           event->isAutoRepeat(), event->count());
        QTextEdit::keyPressEvent(&replaced);
        event->setAccepted(replaced.isAccepted());
    } else {
        QTextEdit::keyPressEvent(event);
    }
    if (mayLengthen) {
        cutLongPiece();
        step.endEditBlock();
    }
    if (textCursor().anchor() != anchor || textCursor().position() != position) {
        showCaret();
    }
}

void RichTextView::showCaret() {
    // Paragraphs above the caret that were only estimated get their real heights as they are
    // drawn, which would push the caret down out of view: lay out a screenful above it first.
    auto* layout = qobject_cast<DocumentLayout*>(document()->documentLayout());
    if (layout != nullptr && isVisible()) {
        const QTextCursor c = textCursor();
        const QTextBlock caret = c.block();
        // Asking for a paragraph's rectangle lays it out.
        layout->blockBoundingRect(caret);
        const QTextLine line = caret.layout()->lineForTextPosition(c.positionInBlock());
        const qreal lineBottom = line.isValid() ? line.rect().bottom() : 0;
        for (QTextBlock b = caret.previous(); b.isValid(); b = b.previous()) {
            const qreal top = layout->blockBoundingRect(b).top();
            if (layout->blockBoundingRect(caret).top() + lineBottom - top > viewport()->height()) {
                break;
            }
        }
    }
    ensureCursorVisible();
}

void RichTextView::cutLongPiece() {
    QTextCursor c = textCursor();
    const int number = c.blockNumber();
    // The cut replaces spaces by separators, so the caret's and anchor's Qt positions stay.
    const int anchor = c.anchor();
    const int position = c.position();
    if (ParagraphPieces::cut(*document(), number, number) > 0) {
        c.setPosition(anchor);
        c.setPosition(position, QTextCursor::KeepAnchor);
        setTextCursor(c);
    }
}

void RichTextView::insertParagraphBreak() {
    // The new paragraph keeps the paragraph's format, bullet included. Qt's own Enter takes an
    // empty paragraph out of its bullet list instead; here a bullet ends only when the program
    // says so.
    QTextCursor c = textCursor();
    // The break starts a paragraph, also inside a continuation piece.
    c.insertBlock(ParagraphPieces::startingFormat(c.blockFormat()));
    setTextCursor(c);
    showCaret();
}

void RichTextView::inputMethodEvent(QInputMethodEvent* event) {
    QString commit = event->commitString();
    if (!commit.isEmpty() && Cp1251::sanitize(commit) > 0) {
        event->setCommitString(commit, event->replacementStart(), event->replacementLength());
    }
    QTextEdit::inputMethodEvent(event);
}

QMimeData* RichTextView::createMimeDataFromSelection() const {
    return new FragmentMimeData(ParagraphPieces::wholeFragment(textCursor()));
}

bool RichTextView::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText() || source->hasHtml();
}

void RichTextView::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || source == nullptr) {
        return;
    }
    QTextCursor c = textCursor();
    c.beginEditBlock();
    const int from = c.selectionStart();
    if (const auto* own = qobject_cast<const FragmentMimeData*>(source)) {
        // Copied from this program: taken exactly, with the indents kept in twips.
        c.insertFragment(own->fragment());
    } else if (source->hasHtml() && acceptRichText()) {
        QTextDocument flat;
        PastedText::fromHtml(source->html(), flat);
        c.insertFragment(QTextDocumentFragment(&flat));
    } else if (source->hasText()) {
        c.insertText(LineBreaks::toEditorText(source->text()));
    }
    ParagraphPieces::mend(*document(), from, c.position());
    c.endEditBlock();
    setTextCursor(c);
    showCaret();
}
