#include "RichTextView.h"

#include "Cp1251.h"
#include "PastedText.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <algorithm>

namespace {

// Whether ch enters the editor as it is: the common characters are decided without a table.
bool keptAsIs(QChar ch) {
    const char16_t u = ch.unicode();
    if (u < 0x80) {
        return u != u'\r';
    }
    if (u >= 0x0410 && u <= 0x044F) { // А..я, all in Windows-1251
        return true;
    }
    return u != QChar::ParagraphSeparator && u != QChar::LineSeparator && Cp1251::canEncode(ch);
}

qsizetype firstToChange(QStringView text) {
    const QChar* data = text.data();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (!keptAsIs(data[i])) {
            return i;
        }
    }
    return size;
}

} // namespace

QString toEditorText(QStringView text) {
    const qsizetype size = text.size();
    const qsizetype first = firstToChange(text);
    QString out(size, Qt::Uninitialized);
    QChar* dst = out.data();
    std::copy(text.begin(), text.begin() + first, dst);
    qsizetype n = first;
    for (qsizetype i = first; i < size; ++i) {
        const QChar ch = text[i];
        if (keptAsIs(ch)) {
            dst[n++] = ch;
        } else if (ch == QLatin1Char('\r')) {
            if (i + 1 < size && text[i + 1] == QLatin1Char('\n')) {
                ++i;
            }
            dst[n++] = QLatin1Char('\n');
        } else if (ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator) {
            dst[n++] = QLatin1Char('\n');
        } else {
            dst[n++] = QLatin1Char('?');
        }
    }
    out.truncate(n);
    return out;
}

QString toEditorText(const QString& text) {
    // Text that needs no change is shared, not copied: a freshly read file is already clean.
    return firstToChange(text) == text.size() ? text : toEditorText(QStringView(text));
}

RichTextView::RichTextView(QWidget* parent) : QTextEdit(parent) {}

void RichTextView::keepTextStill(qreal oldBottom, qreal delta) {
    QScrollBar* bar = verticalScrollBar();
    if (oldBottom > bar->value() || delta == 0) {
        return;
    }
    keepingStill_ = true;
    bar->setValue(bar->value() + static_cast<int>(delta));
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
    // Shift+Enter would insert a line separator inside the paragraph, which no file can hold.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier)) {
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        event->text(), event->isAutoRepeat(), event->count());
        QTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    QString text = event->text();
    if (!text.isEmpty() && Cp1251::sanitize(text) > 0) {
        QKeyEvent replaced(event->type(), event->key(), event->modifiers(), text,
                           event->isAutoRepeat(), event->count());
        QTextEdit::keyPressEvent(&replaced);
        event->setAccepted(replaced.isAccepted());
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void RichTextView::inputMethodEvent(QInputMethodEvent* event) {
    QString commit = event->commitString();
    if (!commit.isEmpty() && Cp1251::sanitize(commit) > 0) {
        event->setCommitString(commit, event->replacementStart(), event->replacementLength());
    }
    QTextEdit::inputMethodEvent(event);
}

QMimeData* RichTextView::createMimeDataFromSelection() const {
    return new FragmentMimeData(textCursor().selection());
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
    if (const auto* own = qobject_cast<const FragmentMimeData*>(source)) {
        // Copied from this program: taken exactly, with the indents kept in twips.
        c.insertFragment(own->fragment());
    } else if (source->hasHtml() && acceptRichText()) {
        QTextDocument flat;
        PastedText::fromHtml(source->html(), flat);
        c.insertFragment(QTextDocumentFragment(&flat));
    } else if (source->hasText()) {
        c.insertText(toEditorText(source->text()));
    }
    c.endEditBlock();
    setTextCursor(c);
    ensureCursorVisible();
}
