#include "PieceWords.h"

#include "ParagraphPieces.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <optional>

namespace PieceWords {

using ParagraphPieces::Joint;

namespace {

// The classes of characters Qt's word moves tell apart (QTextLayout::nextCursorPosition).
bool isSpace(QChar ch) {
    return ch == u' ' || ch == u'\t' || ch == QChar::Nbsp || ch == QChar::LineSeparator;
}

bool isSeparator(QChar ch) {
    return QStringView(u".,?!@#$:;-<>[](){}=/+%&^*'\"`~|\\").contains(ch);
}

bool isWordCharacter(QChar ch) {
    return !isSpace(ch) && !isSeparator(ch);
}

// One character of a paragraph's text beside a Qt position, and the Qt position on its other
// side.
struct Step {
    QChar character;
    int position;
};

// Steps through the characters of the paragraph holding a Qt position: over a separator inside
// the paragraph as the space it stands for, or as nothing, and never over a paragraph break.
class ParagraphWalk {
public:
    explicit ParagraphWalk(const QTextDocument& document) : document_(document) {}

    std::optional<Step> after(int position) const {
        while (document_.characterAt(position) == QChar::ParagraphSeparator) {
            const Joint joint = ParagraphPieces::jointBefore(document_.findBlock(position + 1));
            if (joint == Joint::Break || position + 1 >= document_.characterCount()) {
                return std::nullopt;
            }
            if (joint == Joint::Space) {
                return Step{u' ', position + 1};
            }
            ++position;
        }
        return Step{document_.characterAt(position), position + 1};
    }

    std::optional<Step> before(int position) const {
        while (position > 0 && document_.characterAt(position - 1) == QChar::ParagraphSeparator) {
            const Joint joint = ParagraphPieces::jointBefore(document_.findBlock(position));
            if (joint == Joint::Break) {
                return std::nullopt;
            }
            if (joint == Joint::Space) {
                return Step{u' ', position - 1};
            }
            --position;
        }
        if (position == 0) {
            return std::nullopt;
        }
        return Step{document_.characterAt(position - 1), position - 1};
    }

    // Moves position over the characters, in the direction of step, for which keeps holds.
    template <typename Next, typename Keeps> int skip(int position, Next next, Keeps keeps) const {
        for (auto s = next(position); s && keeps(s->character); s = next(position)) {
            position = s->position;
        }
        return position;
    }

private:
    const QTextDocument& document_;
};

bool inPieces(const QTextBlock& block) {
    return ParagraphPieces::continues(block) || ParagraphPieces::continues(block.next());
}

} // namespace

bool moveByWord(QTextCursor& c, const QKeyEvent& key) {
    const bool forward =
        key.matches(QKeySequence::MoveToNextWord) || key.matches(QKeySequence::SelectNextWord);
    const bool backward = key.matches(QKeySequence::MoveToPreviousWord) ||
                          key.matches(QKeySequence::SelectPreviousWord);
    if ((!forward && !backward) || !inPieces(c.block())) {
        return false;
    }
    const ParagraphWalk walk(*c.document());
    const auto next = [&](int p) { return forward ? walk.after(p) : walk.before(p); };
    const std::optional<Step> first = next(c.position());
    if (!first) {
        return false;
    }
    // As Qt does within a block: forward, over a run of word separators or of other characters
    // that are no spaces, then over the spaces after it; backward, over spaces, then over a run.
    int position = c.position();
    if (backward) {
        position = walk.skip(position, next, isSpace);
    }
    const std::optional<Step> run = next(position);
    if (run && isSeparator(run->character)) {
        position = walk.skip(position, next, isSeparator);
    } else {
        position = walk.skip(position, next, isWordCharacter);
    }
    if (forward) {
        position = walk.skip(position, next, isSpace);
    }
    const bool selects =
        key.matches(QKeySequence::SelectNextWord) || key.matches(QKeySequence::SelectPreviousWord);
    c.setPosition(position, selects ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    return true;
}

void selectWholeWord(QTextCursor& c) {
    if (!c.hasSelection()) {
        return;
    }
    const QTextDocument& document = *c.document();
    const ParagraphWalk walk(document);
    const auto before = [&](int p) { return walk.before(p); };
    const auto after = [&](int p) { return walk.after(p); };
    // Only across a separator standing for nothing: elsewhere Qt's word is the paragraph's.
    const auto cutAt = [&](int p) {
        const QTextBlock block = document.findBlock(p);
        return p == block.position() && ParagraphPieces::jointBefore(block) == Joint::Nothing;
    };
    int start = c.selectionStart();
    int end = c.selectionEnd();
    if (cutAt(start) && isWordCharacter(document.characterAt(start))) {
        start = walk.skip(start, before, isWordCharacter);
    }
    if (cutAt(end + 1) && isWordCharacter(document.characterAt(end - 1))) {
        end = walk.skip(end, after, isWordCharacter);
    }
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
}

} // namespace PieceWords
