#include "BulletRun.h"
#include "ParagraphGeometry.h"
#include "ParagraphPieces.h"
#include "RichEdit.h"
#include "RichTextView.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

// --- paragraph attributes -----------------------------------------------------------------

QTextBlockFormat RichEdit::firstBlockFormat() const {
    return document()->findBlock(cursor().selectionStart()).blockFormat();
}

ParaAlignment RichEdit::paraAlignment() const {
    return alignmentOf(firstBlockFormat());
}

QList<QTextBlock> RichEdit::touchedParagraphs() const {
    const QTextCursor c = cursor();
    const QTextDocument* doc = document();
    // Every piece of a paragraph held in pieces (ParagraphPieces) has the paragraph's format.
    return {ParagraphPieces::firstPiece(doc->findBlock(c.selectionStart())),
            ParagraphPieces::lastPiece(doc->findBlock(c.selectionEnd()))};
}

void RichEdit::setParaAlignment(ParaAlignment alignment) {
    QTextBlockFormat f;
    f.setAlignment(toQtAlignment(alignment));
    const QList<QTextBlock> touched = touchedParagraphs();
    QTextCursor c(document());
    c.beginEditBlock();
    c.setPosition(touched.front().position());
    c.setPosition(touched.back().position(), QTextCursor::KeepAnchor);
    c.mergeBlockFormat(f);
    c.endEditBlock();
}

ParaNumbering RichEdit::paraNumbering() const {
    const QTextBlock block = document()->findBlock(cursor().selectionStart());
    return block.textList() != nullptr ? ParaNumbering::Bullet : ParaNumbering::None;
}

void RichEdit::setParaNumbering(ParaNumbering numbering) {
    QTextCursor c = cursor();
    const QList<QTextBlock> touched = touchedParagraphs();
    const QTextBlock& first = touched.front();
    const QTextBlock& last = touched.back();
    c.beginEditBlock();
    BulletRun bullets;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        if (QTextList* old = b.textList()) {
            old->remove(b);
        }
        if (numbering == ParaNumbering::Bullet) {
            bullets.add(b);
        }
        QTextBlockFormat f = b.blockFormat();
        f.setIndent(0);
        ParagraphGeometry::apply(f, pixelsPerTwip());
        QTextCursor(b).setBlockFormat(f);
        if (b == last) {
            break;
        }
    }
    c.endEditBlock();
}

int RichEdit::paraStartIndent() const {
    return firstBlockFormat().intProperty(TextProperty::StartIndent);
}

void RichEdit::setParaStartIndent(int twips) {
    setParaProperty(TextProperty::StartIndent, twips);
}

int RichEdit::paraOffset() const {
    return firstBlockFormat().intProperty(TextProperty::Offset);
}

void RichEdit::setParaOffset(int twips) {
    setParaProperty(TextProperty::Offset, twips);
}

int RichEdit::paraRightIndent() const {
    return firstBlockFormat().intProperty(TextProperty::RightIndent);
}

void RichEdit::setParaRightIndent(int twips) {
    setParaProperty(TextProperty::RightIndent, twips);
}

void RichEdit::setParaProperty(int property, int twips) {
    QTextCursor c = cursor();
    const QList<QTextBlock> touched = touchedParagraphs();
    const QTextBlock& first = touched.front();
    const QTextBlock& last = touched.back();
    c.beginEditBlock();
    // Consecutive paragraphs that share a format get the same new one: one request for the whole
    // run, so that the layout hears of one change instead of one per paragraph.
    QTextCursor run(document());
    QTextBlockFormat runFormat;
    int runIndex = -1;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        if (runIndex >= 0 && b.blockFormatIndex() == runIndex) {
            run.setPosition(b.position(), QTextCursor::KeepAnchor);
        } else {
            if (runIndex >= 0) {
                run.setBlockFormat(runFormat);
            }
            runIndex = b.blockFormatIndex();
            runFormat = b.blockFormat();
            runFormat.setProperty(property, twips);
            ParagraphGeometry::apply(runFormat, pixelsPerTwip());
            run.setPosition(b.position());
        }
        if (b == last) {
            break;
        }
    }
    if (runIndex >= 0) {
        run.setBlockFormat(runFormat);
    }
    c.endEditBlock();
}
