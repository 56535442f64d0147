#include "ParagraphPieces.h"

#include "PieceIndex.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace ParagraphPieces {

bool continues(const QTextBlock& block) {
    return block.blockFormat().boolProperty(kContinues);
}

bool anyContinues(const QTextDocument& document) {
    const QList<QTextFormat> formats = document.allFormats();
    return std::any_of(formats.begin(), formats.end(), [](const QTextFormat& f) {
        return f.isBlockFormat() && f.boolProperty(kContinues);
    });
}

bool Marks::continues(const QTextBlock& block) const {
    if (!block.isValid()) {
        return false;
    }
    const auto index = static_cast<size_t>(block.blockFormatIndex());
    if (index >= known_.size()) {
        known_.resize(index + 1, Unknown);
    }
    if (known_[index] == Unknown) {
        known_[index] = ParagraphPieces::continues(block) ? Continues : Starts;
    }
    return known_[index] == Continues;
}

QTextBlock firstPiece(QTextBlock block) {
    while (block.isValid() && continues(block) && block.previous().isValid()) {
        block = block.previous();
    }
    return block;
}

QTextBlock lastPiece(QTextBlock block) {
    while (block.isValid() && block.next().isValid() && continues(block.next())) {
        block = block.next();
    }
    return block;
}

std::vector<qsizetype> cutPoints(QStringView text, bool inPieces) {
    std::vector<qsizetype> cuts;
    if (text.size() <= (inPieces ? kLongPiece : kLongParagraph)) {
        return cuts;
    }
    qsizetype start = 0;
    while (text.size() - start > kPieceLength) {
        // The last space of the piece's second half, or else the first space after it.
        const qsizetype end = start + kPieceLength;
        qsizetype at = text.lastIndexOf(QLatin1Char(' '), end);
        if (at < start + kPieceLength / 2) {
            at = text.indexOf(QLatin1Char(' '), end);
        }
        // A piece is never empty, and neither is the text after the last cut.
        if (at <= start || at + 1 >= text.size()) {
            break;
        }
        cuts.push_back(at);
        start = at + 1;
    }
    return cuts;
}

int cut(QTextDocument& document, int firstBlock, int lastBlock) {
    int made = 0;
    QTextBlock block = document.findBlockByNumber(firstBlock);
    for (int n = firstBlock; n <= lastBlock && block.isValid(); ++n) {
        // Only a block longer than a piece may need cutting: the others are not even read.
        const std::vector<qsizetype> cuts =
            block.length() - 1 > kLongPiece
                ? cutPoints(block.text(), continues(block) || continues(block.next()))
                : std::vector<qsizetype>();
        if (cuts.empty()) {
            block = block.next();
            continue;
        }
        QTextBlockFormat format = block.blockFormat();
        format.setProperty(kContinues, true);
        const int base = block.position();
        QTextCursor c(&document);
        // Within an edit block Qt does not lay the block out to place the cursor after each step.
        c.beginEditBlock();
        // From the last cut back: each replaces one space by one separator, so the positions of
        // the cuts still to make stay put.
        for (auto i = cuts.size(); i-- > 0;) {
            const int at = base + static_cast<int>(cuts[i]);
            c.setPosition(at + 1);
            const QTextCharFormat space = c.charFormat();
            c.setPosition(at, QTextCursor::KeepAnchor);
            c.insertBlock(format, space);
        }
        c.endEditBlock();
        made += static_cast<int>(cuts.size());
        lastBlock += static_cast<int>(cuts.size());
        n += static_cast<int>(cuts.size());
        block = document.findBlockByNumber(n + 1);
    }
    return made;
}

bool mayCut(const QTextCursor& c, qsizetype added) {
    // The blocks an edit at c may join into one: those the selection touches, with the block
    // before when it starts a block and the block after when it ends one.
    const QTextDocument& document = *c.document();
    QTextBlock first = document.findBlock(c.selectionStart());
    QTextBlock last = document.findBlock(c.selectionEnd());
    if (c.selectionStart() == first.position() && first.previous().isValid()) {
        first = first.previous();
    }
    if (c.selectionEnd() == last.position() + last.length() - 1 && last.next().isValid()) {
        last = last.next();
    }
    const qsizetype length = last.position() + last.length() - first.position() + added;
    const bool inPieces = continues(first) || continues(last) || continues(last.next());
    return length > (inPieces ? kLongPiece : kLongParagraph);
}

QTextBlockFormat startingFormat(QTextBlockFormat format) {
    format.clearProperty(kContinues);
    return format;
}

void mend(QTextDocument& document, int from, int to) {
    const QTextBlock first = document.findBlock(from);
    const QTextBlock last = document.findBlock(to);
    for (QTextBlock b = first; b != last;) {
        b = b.next();
        if (continues(b)) {
            QTextCursor(b).setBlockFormat(startingFormat(b.blockFormat()));
        }
    }
    cut(document, first.blockNumber(), last.blockNumber());
}

QTextDocumentFragment wholeFragment(const QTextCursor& c) {
    if (softSeparators(*c.document(), c.selectionStart(), c.selectionEnd()).empty()) {
        return c.selection();
    }
    QTextDocument whole;
    QTextCursor w(&whole);
    w.beginEditBlock();
    w.insertFragment(c.selection());
    // From the last block back, each continuation piece joins the one before it, its separator
    // turned into the space it stands for.
    for (QTextBlock b = whole.lastBlock(); b.isValid() && b.position() > 0; b = b.previous()) {
        if (continues(b)) {
            const QTextCharFormat space = b.charFormat();
            w.setPosition(b.position() - 1);
            w.setPosition(b.position(), QTextCursor::KeepAnchor);
            w.insertText(QStringLiteral(" "), space);
        }
    }
    w.setPosition(0);
    w.setBlockFormat(startingFormat(w.blockFormat()));
    w.endEditBlock();
    return QTextDocumentFragment(&whole);
}

std::vector<int> softSeparators(const QTextDocument& document, int from, int to) {
    std::vector<int> positions;
    // The first separator at or after from ends the paragraph piece holding from.
    const QTextBlock first = document.findBlock(from);
    if (const PieceIndex* index = PieceIndex::of(document)) {
        const std::vector<int>& numbers = index->blockNumbers();
        for (auto it = std::upper_bound(numbers.begin(), numbers.end(), first.blockNumber());
             it != numbers.end(); ++it) {
            const int at = document.findBlockByNumber(*it).position() - 1;
            if (at >= to) {
                break;
            }
            positions.push_back(at);
        }
        return positions;
    }
    for (QTextBlock b = first.next(); b.isValid() && b.position() - 1 < to; b = b.next()) {
        if (continues(b)) {
            positions.push_back(b.position() - 1);
        }
    }
    return positions;
}

void restoreSpaces(const QTextDocument& document, int from, QString& text) {
    const auto to = static_cast<int>(std::min<qsizetype>(INT_MAX, from + text.size()));
    for (const int at : softSeparators(document, from, to)) {
        text[at - from] = QLatin1Char(' ');
    }
}

QString rawText(const QTextDocument& document) {
    QString text = document.toRawText();
    restoreSpaces(document, 0, text);
    return text;
}

QString text(const QTextDocument& document, int from, int to) {
    QString out;
    for (QTextBlock b = document.findBlock(from); b.isValid() && b.position() < to; b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = std::max(from, fragment.position());
            const int end = std::min(to, fragment.position() + fragment.length());
            if (start < end) {
                out +=
                    QStringView(fragment.text()).sliced(start - fragment.position(), end - start);
            }
        }
        const int separator = b.position() + b.length() - 1;
        if (separator >= from && separator < to) {
            out += QChar::ParagraphSeparator;
        }
    }
    restoreSpaces(document, from, out);
    return out;
}

} // namespace ParagraphPieces
