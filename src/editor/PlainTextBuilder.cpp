#include "PlainTextBuilder.h"

#include "DocumentLayout.h"
#include "ParagraphPieces.h"
#include "PieceIndex.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

PlainTextBuilder::PlainTextBuilder(const QTextDocument& model)
    : doc_(std::make_unique<QTextDocument>()) {
    doc_->setDefaultFont(model.defaultFont());
    doc_->setDefaultTextOption(model.defaultTextOption());
    doc_->setDocumentMargin(model.documentMargin());
    doc_->setPageSize(model.pageSize());
    installDocumentLayout(doc_.get());
    doc_->setUndoRedoEnabled(false);
    cursor_ = QTextCursor(doc_.get());
    // One edit for the whole text: the layout then estimates every paragraph's height in one pass
    // when the document is taken, rather than after each piece at a tree search per paragraph.
    cursor_.beginEditBlock();
}

PlainTextBuilder::~PlainTextBuilder() = default;

void PlainTextBuilder::append(const QString& text) {
    noteLongParagraph(text);
    cursor_.insertText(text);
}

void PlainTextBuilder::noteLongParagraph(QStringView text) {
    // A paragraph is too long when kLongParagraph characters from its start hold no break. Each
    // step looks back from there to the last break, so a text of short lines is barely read.
    qsizetype start = -paragraphSoFar_;
    while (!hasLongParagraph_) {
        const qsizetype limit = start + ParagraphPieces::kLongParagraph;
        if (limit >= text.size()) {
            paragraphSoFar_ = text.size() - start;
            return;
        }
        const qsizetype lastBreak = text.lastIndexOf(u'\n', limit);
        // start is negative while the paragraph began in an earlier piece of text.
        if (lastBreak < std::max<qsizetype>(start, 0)) {
            hasLongParagraph_ = true;
        }
        start = lastBreak + 1;
    }
}

std::unique_ptr<QTextDocument> PlainTextBuilder::take() {
    // Very long paragraphs are held in pieces, cut before the layout sees them.
    for (QTextBlock b = doc_->begin(); hasLongParagraph_ && b.isValid(); b = b.next()) {
        if (b.length() - 1 > ParagraphPieces::kLongParagraph) {
            const int n = b.blockNumber();
            b = doc_->findBlockByNumber(n + ParagraphPieces::cut(*doc_, n, n));
        }
    }
    cursor_.endEditBlock();
    // Made after the text is in, the index reads the document once, and only if it has pieces.
    PieceIndex::install(doc_.get());
    cursor_ = QTextCursor();
    doc_->setUndoRedoEnabled(true);
    doc_->setModified(false);
    return std::move(doc_);
}
