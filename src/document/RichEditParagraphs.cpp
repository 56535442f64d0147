#include "BulletRun.h"
#include "ParagraphGeometry.h"
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

void RichEdit::setParaAlignment(ParaAlignment alignment) {
    QTextBlockFormat f;
    f.setAlignment(toQtAlignment(alignment));
    QTextCursor c = cursor();
    c.beginEditBlock();
    c.mergeBlockFormat(f);
    c.endEditBlock();
}

ParaNumbering RichEdit::paraNumbering() const {
    const QTextBlock block = document()->findBlock(cursor().selectionStart());
    return block.textList() != nullptr ? ParaNumbering::Bullet : ParaNumbering::None;
}

void RichEdit::setParaNumbering(ParaNumbering numbering) {
    QTextCursor c = cursor();
    QTextDocument* doc = document();
    const QTextBlock first = doc->findBlock(c.selectionStart());
    const QTextBlock last = doc->findBlock(c.selectionEnd());
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
    QTextDocument* doc = document();
    const QTextBlock first = doc->findBlock(c.selectionStart());
    const QTextBlock last = doc->findBlock(c.selectionEnd());
    c.beginEditBlock();
    // Consecutive paragraphs that share a format get the same new one: one request for the whole
    // run, so that the layout hears of one change instead of one per paragraph.
    QTextCursor run(doc);
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
