#include "ParagraphPieces.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace ParagraphPieces {

using SizeLimits::kLongPiece;
using SizeLimits::kPiecedParagraph;
using SizeLimits::kPieceLength;

namespace {

// Where the piece starting at start ends: at the last space of its second half, or else at the
// first space after it that keeps the piece shorter than kLongPiece, or else between two
// characters at kPieceLength. The text goes on for more than kPieceLength after start.
Cut nextCut(QStringView text, qsizetype start) {
    const qsizetype end = start + kPieceLength;
    const qsizetype half = start + kPieceLength / 2;
    // A space as the text's last character would leave nothing after the cut.
    const qsizetype lastSpace = std::min(end, text.size() - 2);
    qsizetype at = text.sliced(half, lastSpace - half + 1).lastIndexOf(QLatin1Char(' '));
    if (at >= 0) {
        return {half + at, Joint::Space};
    }
    const qsizetype limit = std::min(text.size() - 1, start + kLongPiece - 1);
    at = text.sliced(end, std::max<qsizetype>(0, limit - end)).indexOf(QLatin1Char(' '));
    if (at >= 0) {
        return {end + at, Joint::Space};
    }
    // Never between the two halves of a surrogate pair.
    return {text[end].isLowSurrogate() ? end - 1 : end, Joint::Nothing};
}

// Cuts block at cuts (indexes into its text), from the last back, so that the positions of the
// cuts still to make stay put.
void cutBlock(QTextDocument& document, const QTextBlock& block, const std::vector<Cut>& cuts) {
    QTextBlockFormat bySpace = startingFormat(block.blockFormat());
    bySpace.setProperty(kContinues, true);
    QTextBlockFormat byNothing = bySpace;
    byNothing.setProperty(kJoinsWithNothing, true);
    const int base = block.position();
    QTextCursor c(&document);
    // Within an edit block Qt does not lay the block out to place the cursor after each step.
    c.beginEditBlock();
    for (auto i = cuts.size(); i-- > 0;) {
        const int at = base + static_cast<int>(cuts[i].at);
        if (cuts[i].joint == Joint::Nothing) {
            c.setPosition(at);
            c.insertBlock(byNothing, c.charFormat());
            continue;
        }
        // The separator goes in after the space, in the space's format, and the space goes: a
        // cursor before the space stays at the piece's end, one after it at the next one's start.
        Q_ASSERT(document.characterAt(at) == QLatin1Char(' ')); // a cut at a space keeps it
        c.setPosition(at + 1);
        c.insertBlock(bySpace, c.charFormat());
        c.setPosition(at);
        c.setPosition(at + 1, QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    c.endEditBlock();
}

// Gives up the separator at Qt position at for what it stands for (joint): the blocks on either
// side become one, in the format of the first. The text goes in after the separator before the
// separator goes, so that cursors stay beside the characters they were beside.
void joinAt(QTextDocument& document, int at, Joint joint, const QTextCharFormat& format) {
    const QTextBlockFormat first = document.findBlock(at).blockFormat();
    QTextCursor c(&document);
    c.beginEditBlock();
    c.setPosition(at + 1);
    c.insertText(jointText(joint), format);
    c.setPosition(at);
    c.setPosition(at + 1, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    // Qt keeps the second block's format where the first was empty.
    if (c.blockFormat() != first) {
        c.setBlockFormat(first);
    }
    c.endEditBlock();
}

} // namespace

std::vector<Cut> cutPoints(QStringView text, bool inPieces) {
    std::vector<Cut> cuts;
    if (text.size() <= (inPieces ? kLongPiece : kPiecedParagraph)) {
        return cuts;
    }
    qsizetype start = 0;
    while (text.size() - start > kPieceLength) {
        const Cut next = nextCut(text, start);
        cuts.push_back(next);
        start = next.joint == Joint::Space ? next.at + 1 : next.at;
    }
    return cuts;
}

int cut(QTextDocument& document, int firstBlock, int lastBlock) {
    int made = 0;
    QTextBlock block = document.findBlockByNumber(firstBlock);
    for (int n = firstBlock; n <= lastBlock && block.isValid(); ++n) {
        // Only a block longer than a piece may need cutting: the others are not even read.
        const std::vector<Cut> cuts =
            block.length() - 1 > kLongPiece
                ? cutPoints(block.text(), continues(block) || continues(block.next()))
                : std::vector<Cut>();
        if (cuts.empty()) {
            block = block.next();
            continue;
        }
        cutBlock(document, block, cuts);
        made += static_cast<int>(cuts.size());
        lastBlock += static_cast<int>(cuts.size());
        n += static_cast<int>(cuts.size());
        block = document.findBlockByNumber(n + 1);
    }
    return made;
}

int joinEmptyPieces(QTextDocument& document, int firstBlock, int lastBlock) {
    int joined = 0;
    int n = std::max(0, firstBlock);
    QTextBlock block = document.findBlockByNumber(n);
    while (n <= lastBlock && block.isValid()) {
        const QTextBlock next = block.next();
        if (block.length() > 1 || !(continues(block) || continues(next))) {
            block = next;
            ++n;
            continue;
        }
        if (continues(next)) {
            // The next piece comes into this one, which is looked at again.
            joinAt(document, next.position() - 1, jointBefore(next), next.charFormat());
        } else {
            // The paragraph's last piece goes into the one before.
            joinAt(document, block.position() - 1, jointBefore(block), block.charFormat());
        }
        block = document.findBlockByNumber(n);
        ++joined;
        --lastBlock;
    }
    return joined;
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
    return length > (inPieces ? kLongPiece : kPiecedParagraph);
}

QTextBlockFormat startingFormat(QTextBlockFormat format) {
    format.clearProperty(kContinues);
    format.clearProperty(kJoinsWithNothing);
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
    const int firstNumber = first.blockNumber();
    const int lastNumber = last.blockNumber();
    const int made = cut(document, firstNumber, lastNumber);
    joinEmptyPieces(document, firstNumber - 1, lastNumber + made + 1);
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
    // turned into what it stands for.
    for (int n = whole.blockCount() - 1; n > 0; --n) {
        const QTextBlock b = whole.findBlockByNumber(n);
        if (continues(b)) {
            const QTextCharFormat format = b.charFormat();
            w.setPosition(b.position() - 1);
            w.setPosition(b.position(), QTextCursor::KeepAnchor);
            w.insertText(jointText(jointBefore(b)), format);
        }
    }
    w.setPosition(0);
    w.setBlockFormat(startingFormat(w.blockFormat()));
    w.endEditBlock();
    return QTextDocumentFragment(&whole);
}

} // namespace ParagraphPieces
