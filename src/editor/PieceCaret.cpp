#include "PieceCaret.h"

#include "ParagraphPieces.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace PieceCaret {

using ParagraphPieces::Joint;
using ParagraphPieces::jointBefore;

namespace {

bool matchesAny(const QKeyEvent& key, std::initializer_list<QKeySequence::StandardKey> keys) {
    return std::any_of(keys.begin(), keys.end(), [&](auto k) { return key.matches(k); });
}

int blockEnd(const QTextBlock& block) {
    return block.position() + block.length() - 1;
}

} // namespace

void stepOverJoint(QTextCursor& c, const QKeyEvent& key) {
    const bool selects =
        matchesAny(key, {QKeySequence::SelectNextChar, QKeySequence::SelectNextWord,
                         QKeySequence::SelectPreviousChar, QKeySequence::SelectPreviousWord});
    // Without Shift a key acts on the selection (collapses or deletes it) and moves no caret.
    if (c.hasSelection() && !selects) {
        return;
    }
    const auto mode = selects ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    const QTextBlock block = c.block();
    const bool forward =
        matchesAny(key, {QKeySequence::MoveToNextChar, QKeySequence::MoveToNextWord,
                         QKeySequence::SelectNextChar, QKeySequence::SelectNextWord,
                         QKeySequence::Delete, QKeySequence::DeleteEndOfWord});
    const bool backward =
        matchesAny(key, {QKeySequence::MoveToPreviousChar, QKeySequence::MoveToPreviousWord,
                         QKeySequence::SelectPreviousChar, QKeySequence::SelectPreviousWord,
                         QKeySequence::Backspace, QKeySequence::DeleteStartOfWord}) ||
        key.key() == Qt::Key_Backspace;
    if (forward && c.position() == blockEnd(block) && jointBefore(block.next()) == Joint::Nothing) {
        c.setPosition(c.position() + 1, mode);
    } else if (backward && c.position() == block.position() &&
               jointBefore(block) == Joint::Nothing) {
        c.setPosition(c.position() - 1, mode);
    }
}

bool moveByParagraph(QTextCursor& c, const QKeyEvent& key) {
    const auto modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool up = key.key() == Qt::Key_Up;
    if ((!up && key.key() != Qt::Key_Down) ||
        (modifiers != Qt::ControlModifier &&
         modifiers != (Qt::ControlModifier | Qt::ShiftModifier))) {
        return false;
    }
    const auto mode =
        modifiers & Qt::ShiftModifier ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    QTextBlock first = ParagraphPieces::firstPiece(c.block());
    if (up) {
        if (c.position() == first.position() && first.previous().isValid()) {
            first = ParagraphPieces::firstPiece(first.previous());
        }
        c.setPosition(first.position(), mode);
    } else {
        const QTextBlock last = ParagraphPieces::lastPiece(c.block());
        c.setPosition(last.next().isValid() ? last.next().position() : blockEnd(last), mode);
    }
    return true;
}

void selectWholeParagraphs(QTextCursor& c) {
    const QTextDocument& document = *c.document();
    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    const int from = ParagraphPieces::firstPiece(document.findBlock(start)).position();
    int to = end;
    const QTextBlock endBlock = document.findBlock(end);
    if (end == start || end != endBlock.position() || ParagraphPieces::continues(endBlock)) {
        const QTextBlock last = ParagraphPieces::lastPiece(endBlock);
        to = last.next().isValid() ? last.next().position() : blockEnd(last);
    }
    const bool forward = c.anchor() <= c.position();
    c.setPosition(forward ? from : to);
    c.setPosition(forward ? to : from, QTextCursor::KeepAnchor);
}

bool mayEmptyPiece(const QTextCursor& c, const QKeyEvent& key) {
    const QTextBlock block = c.block();
    if (!ParagraphPieces::continues(block) && !ParagraphPieces::continues(block.next())) {
        return false;
    }
    const bool deletes = key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Delete ||
                         key.matches(QKeySequence::Cut);
    if (c.hasSelection()) {
        return deletes || (!key.text().isEmpty() && key.text().front().isPrint());
    }
    // One character deleted empties only a piece of one; a word, any piece.
    return deletes && ((key.modifiers() & Qt::ControlModifier) != 0 || block.length() <= 2);
}

} // namespace PieceCaret
