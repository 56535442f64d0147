#include "PieceEdit.h"

#include "ParagraphPieces.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>

PieceEdit::PieceEdit(QTextEdit& view)
    : view_(view), start_(view.textCursor()), end_(start_), joint_(start_) {
    start_.setPosition(start_.selectionStart());
    start_.setKeepPositionOnInsert(true);
    end_.setPosition(end_.selectionEnd());
    start_.beginEditBlock();
}

PieceEdit::~PieceEdit() {
    finish();
}

void PieceEdit::finish() {
    if (!open_) {
        return;
    }
    open_ = false;
    joint_.restore();
    const QTextCursor caret = view_.textCursor();
    const int from = std::min({start_.position(), end_.position(), caret.selectionStart()});
    const int to = std::max({start_.position(), end_.position(), caret.selectionEnd()});
    QTextDocument& document = *start_.document();
    const int first = document.findBlock(from).blockNumber();
    const int last = document.findBlock(to).blockNumber();
    const int made = ParagraphPieces::cut(document, first, last);
    ParagraphPieces::joinEmptyPieces(document, first - 1, last + made + 1);
    start_.endEditBlock();
}
