#include "RichTextView.h"

#include "BusyCursor.h"
#include "Cp1251.h"
#include "DocumentLayout.h"
#include "EditorAccessible.h"
#include "KeptJoint.h"
#include "LineBreaks.h"
#include "ParagraphPieces.h"
#include "PastedText.h"
#include "PieceCaret.h"
#include "PieceEdit.h"
#include "PieceWords.h"
#include "SizeLimits.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <algorithm>
#include <optional>

namespace {

// QTextCursor's comparisons look at the position only.
bool sameSelection(const QTextCursor& a, const QTextCursor& b) {
    return a.anchor() == b.anchor() && a.position() == b.position();
}

} // namespace

RichTextView::RichTextView(QWidget* parent) : QTextEdit(parent) {
    EditorAccessible::install();
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &RichTextView::keepEndInView);
}

void RichTextView::pasteText(const QString& text) {
    QMimeData data;
    data.setText(text);
    insertFromMimeData(&data);
}

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

void RichTextView::keepEndInView(int value) {
    QScrollBar* bar = verticalScrollBar();
    auto* layout = qobject_cast<DocumentLayout*>(document()->documentLayout());
    if (keepingStill_ || value == 0 || value != bar->maximum() || layout == nullptr ||
        !isVisible()) {
        return;
    }
    // Scrolled to the end (the scroll bar dragged there, Ctrl+End): the last screenful of
    // paragraphs gets its real heights before it is drawn, and the position follows the range
    // they give, so that the last line shows at the bottom and nothing moves afterwards.
    for (QTextBlock b = document()->lastBlock(); b.isValid(); b = b.previous()) {
        // Asking for a paragraph's rectangle lays it out.
        const qreal top = layout->blockBoundingRect(b).top();
        if (layout->documentSize().height() - top > viewport()->height()) {
            break;
        }
    }
    bar->setValue(bar->maximum());
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
    // Alt with a character key is a command (a menu's access key), never text: one that nothing
    // took is refused with a beep, as a menu bar refuses an access key it does not have. AltGr,
    // which types characters, comes with Ctrl on Windows and without Alt elsewhere.
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) &&
        !event->text().isEmpty() && event->text().front().isPrint()) {
        QApplication::beep();
        event->accept();
        return;
    }
    // Qt lays a paragraph out whole after each change to it: in a very long one a key takes long.
    std::optional<BusyCursor> busy;
    if (textCursor().block().length() > SizeLimits::kBusyParagraph) {
        busy.emplace();
    }
    if (handleParagraphKey(*event)) {
        event->accept();
        return;
    }
    QTextCursor caret = textCursor();
    PieceCaret::stepOverJoint(caret, *event);
    if (!sameSelection(caret, textCursor())) {
        setTextCursor(caret);
    }
    // A key that may make a piece of a long paragraph too long, or leave one empty, is one undo
    // step with the cut or the join that follows (ParagraphPieces); undo and redo bring pieces
    // back as they were. Other keys stay out of any edit block, so that typing merges into one
    // undo step as in any paragraph.
    const bool tidies = !isReadOnly() && !event->matches(QKeySequence::Undo) &&
                        !event->matches(QKeySequence::Redo) &&
                        (ParagraphPieces::mayCut(caret, event->text().size()) ||
                         PieceCaret::mayEmptyPiece(caret, *event));
    const int anchor = caret.anchor();
    const int position = caret.position();
    std::optional<PieceEdit> step;
    if (tidies) {
        step.emplace(*this);
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
    step.reset();
    if (textCursor().anchor() != anchor || textCursor().position() != position) {
        showCaret();
    }
}

bool RichTextView::handleParagraphKey(const QKeyEvent& event) {
    QTextCursor caret = textCursor();
    if (PieceCaret::moveByParagraph(caret, event) || PieceWords::moveByWord(caret, event)) {
        setTextCursor(caret);
        showCaret();
        return true;
    }
    // Enter, also with Shift (which would insert a line separator inside the paragraph, something
    // no file can hold), breaks the paragraph.
    const bool enter = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
    if (enter && (event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0 &&
        !isReadOnly()) {
        insertParagraphBreak();
        return true;
    }
    return false;
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

void RichTextView::insertParagraphBreak() {
    // The new paragraph keeps the paragraph's format, bullet included. Qt's own Enter takes an
    // empty paragraph out of its bullet list instead; here a bullet ends only when the program
    // says so.
    QTextCursor c = textCursor();
    PieceEdit step(*this);
    // The break starts a paragraph, also inside a continuation piece; a piece it leaves empty
    // is joined.
    c.insertBlock(ParagraphPieces::startingFormat(c.blockFormat()));
    step.finish();
    setTextCursor(c);
    showCaret();
}

void RichTextView::inputMethodEvent(QInputMethodEvent* event) {
    QString commit = event->commitString();
    if (commit.isEmpty() || isReadOnly()) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    Cp1251::sanitize(commit);
    // The committed text goes in as one undo step with the cut or join of the pieces it touched;
    // the composition that may follow it is shown only afterwards, in the piece that then holds
    // the caret.
    QInputMethodEvent committed;
    committed.setCommitString(commit, event->replacementStart(), event->replacementLength());
    {
        PieceEdit step(*this);
        QTextEdit::inputMethodEvent(&committed);
    }
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QTextEdit::inputMethodEvent(&composing);
    event->accept();
}

void RichTextView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTextEdit::mouseDoubleClickEvent(event);
    tripleClickScroll_ = verticalScrollBar()->value();
    // A word that goes on in other pieces is selected whole, with the text under the pointer
    // left where it is, as Qt leaves it after a double click: the press of a triple click must
    // land on the same text.
    QTextCursor word = textCursor();
    PieceWords::selectWholeWord(word);
    if (!sameSelection(word, textCursor())) {
        const QTextCursor under = cursorForPosition(event->position().toPoint());
        const int top = cursorRect(under).top();
        setTextCursor(word);
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(bar->value() + cursorRect(under).top() - top);
    }
    tripleClickTimer_.start();
    tripleClickAt_ = event->position().toPoint();
    tripleClicked_ = QTextCursor();
}

void RichTextView::mousePressEvent(QMouseEvent* event) {
    // A press soon after a double click, near it, is a triple click: Qt selects the block the
    // double click was in with its separator, here the whole paragraph with its break, all its
    // pieces. Until the next plain click, a drag or a Shift+click then extends the selection by
    // whole paragraphs, as Qt extends it by blocks.
    const bool triple = event->button() == Qt::LeftButton && tripleClickTimer_.isValid() &&
                        tripleClickTimer_.elapsed() < QApplication::doubleClickInterval() &&
                        (event->position().toPoint() - tripleClickAt_).manhattanLength() <
                            QApplication::startDragDistance();
    tripleClickTimer_.invalidate();
    const QTextCursor before = textCursor();
    if (triple) {
        // Qt tells a triple click by the place of the press in the document, which moves under
        // the pointer where paragraphs above the view are laid out for real in between: Qt is
        // shown the press where the double click was in the document.
        const QPointF at =
            event->position() + QPointF(0, tripleClickScroll_ - verticalScrollBar()->value());
        QMouseEvent press(event->type(), at, viewport()->mapToGlobal(at), event->button(),
                          event->buttons(), event->modifiers());
        QTextEdit::mousePressEvent(&press);
        tripleClicked_ = textCursor();
        PieceCaret::selectWholeParagraphs(tripleClicked_);
    } else {
        QTextEdit::mousePressEvent(event);
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // A plain press ends the extension by paragraphs, unless it lands in the selection, where it
    // may start a drag and leaves the selection as it was.
    const bool extends = event->modifiers() == Qt::ShiftModifier;
    if (!triple && !extends && !(before.hasSelection() && sameSelection(textCursor(), before))) {
        tripleClicked_ = QTextCursor();
    }
    if (!tripleClicked_.isNull() && (triple || extends)) {
        selectWholeParagraphs();
    }
}

void RichTextView::mouseMoveEvent(QMouseEvent* event) {
    const QTextCursor before = textCursor();
    QTextEdit::mouseMoveEvent(event);
    if (!tripleClicked_.isNull() && (event->buttons() & Qt::LeftButton) &&
        !sameSelection(textCursor(), before)) {
        selectWholeParagraphs();
    }
}

void RichTextView::selectWholeParagraphs() {
    QTextCursor c = textCursor();
    PieceCaret::selectWholeParagraphs(c);
    // Qt keeps the triple click's selection while the pointer stays in its block; here, while it
    // stays in its paragraph.
    if (c.selectionStart() == tripleClicked_.selectionStart() &&
        c.selectionEnd() == tripleClicked_.selectionEnd()) {
        c = tripleClicked_;
    }
    if (!sameSelection(c, textCursor())) {
        setTextCursor(c);
    }
}

void RichTextView::dropEvent(QDropEvent* event) {
    // A move within the editor takes the text away from where it was: a piece it empties there
    // is joined in the same undo step.
    PieceEdit step(*this);
    QTextEdit::dropEvent(event);
}

void RichTextView::cutSelection() {
    if (isReadOnly() || !textCursor().hasSelection()) {
        return;
    }
    copy();
    QTextCursor c = textCursor();
    PieceEdit step(*this);
    c.removeSelectedText();
    step.finish();
    setTextCursor(c);
    showCaret();
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
    const KeptJoint joint(c);
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
    joint.restore();
    ParagraphPieces::mend(*document(), from, c.position());
    c.endEditBlock();
    setTextCursor(c);
    showCaret();
}
