#include "ExtraSpaces.h"

#include "ParagraphPieces.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace ExtraSpaces {

using ParagraphPieces::Joint;

std::vector<Span> find(QStringView text, bool spaceBefore, bool spaceAfter) {
    std::vector<Span> spans;
    const QChar* const begin = text.data();
    const QChar* const end = begin + text.size();
    const QChar* p = begin;
    while (p != end) {
        if (p->unicode() != u' ') {
            ++p;
            continue;
        }
        const QChar* const first = p++;
        while (p != end && p->unicode() == u' ') {
            ++p;
        }
        // The space kept is the one before or after text when the run touches it.
        const bool whole = (spaceBefore && first == begin) || (spaceAfter && p == end);
        if (whole) {
            spans.push_back({first - begin, p - first});
        } else if (p - first > 1) {
            spans.push_back({first - begin + 1, p - first - 1});
        }
    }
    return spans;
}

QString squeezed(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (const Span& span : find(text)) {
        out.append(text.mid(from, span.start - from));
        from = span.start + span.length;
    }
    out.append(text.mid(from));
    return out;
}

namespace {

// A stretch of a paragraph's text in one character format.
struct Piece {
    qsizetype length;
    QTextCharFormat format;
};

// Walks the paragraphs once and edits those with extra spaces. A paragraph with few runs loses
// them one by one; one with more runs than format changes has its text replaced piece by piece,
// which costs fewer edits of the document.
class Squeezer {
public:
    Squeezer(QTextDocument& document, const QList<QtPosition>& keepPositions)
        : document_(document), cursor_(&document), keep_(keepPositions) {}

    qsizetype run() {
        std::vector<Piece> pieces;
        bool endsInSpace = false; // the paragraph's text so far ends in a space
        for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
            // The separators inside a paragraph in pieces stand for a space or for nothing.
            const Joint joint = pieces_.jointBefore(block);
            const bool spaceBefore =
                joint == Joint::Space || (joint == Joint::Nothing && endsInSpace);
            const bool spaceAfter = pieces_.jointBefore(block.next()) == Joint::Space;
            const QString text = block.text();
            if (spaceBefore &&
                std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' '; })) {
                // Nothing but spaces after a space: the piece goes, with one separator.
                block = dropSpaces(block, joint);
                continue;
            }
            const std::vector<Span> spans = find(text, spaceBefore, spaceAfter);
            endsInSpace = text.isEmpty() ? spaceBefore : text.back() == u' ';
            if (spans.empty()) {
                continue;
            }
            begin();
            if (textPieces(block, spans.size(), pieces) && !holdsKeptPosition(block)) {
                rebuild(block.position(), text, spans, pieces);
            } else {
                deleteInPlace(block.position(), spans);
            }
            for (const Span& span : spans) {
                removed_ += span.length;
            }
        }
        if (editing_) {
            cursor_.endEditBlock();
        }
        return removed_;
    }

private:
    void begin() {
        if (!editing_) {
            cursor_.beginEditBlock();
            editing_ = true;
        }
    }

    // Deletes block's text, all spaces after a space, and one separator beside it: the one after
    // it, where the next piece takes its place (that separator's space, if any, is one too many),
    // or else the one before it, which becomes what it stood for (joint). Returns the block
    // before the next one to look at.
    QTextBlock dropSpaces(const QTextBlock& block, Joint joint) {
        begin();
        const int start = block.position();
        const int end = start + block.length() - 1;
        removed_ += block.length() - 1;
        const QTextBlock previous = block.previous();
        if (pieces_.continues(block.next())) {
            removed_ += pieces_.jointBefore(block.next()) == Joint::Space ? 1 : 0;
            // The block keeps its own format, which says what its separator stands for; Qt would
            // give it the next one's, as it does to an emptied block.
            const QTextBlockFormat format = block.blockFormat();
            cursor_.setPosition(start);
            cursor_.setPosition(end + 1, QTextCursor::KeepAnchor);
            cursor_.removeSelectedText();
            if (cursor_.blockFormat() != format) {
                cursor_.setBlockFormat(format);
            }
            return previous;
        }
        const QTextCharFormat format = block.charFormat();
        cursor_.setPosition(start - 1);
        cursor_.setPosition(end, QTextCursor::KeepAnchor);
        cursor_.insertText(ParagraphPieces::jointText(joint), format);
        return cursor_.block();
    }

    bool holdsKeptPosition(const QTextBlock& block) const {
        return std::any_of(keep_.begin(), keep_.end(),
                           [&](QtPosition pos) { return block.contains(pos.value); });
    }

    // Collects the paragraph's stretches of equal format into pieces. False when the paragraph
    // holds an object, or when it has at least as many pieces as runs of spaces, so that
    // deleting the runs one by one is cheaper.
    static bool textPieces(const QTextBlock& block, std::size_t runs, std::vector<Piece>& pieces) {
        pieces.clear();
        int lastIndex = -1;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int index = fragment.charFormatIndex();
            if (index == lastIndex) {
                pieces.back().length += fragment.length();
                continue;
            }
            const QTextCharFormat format = fragment.charFormat();
            if (format.objectIndex() >= 0 || format.isImageFormat() || pieces.size() + 1 >= runs) {
                return false;
            }
            pieces.push_back({fragment.length(), format});
            lastIndex = index;
        }
        return true;
    }

    void deleteInPlace(int base, const std::vector<Span>& spans) {
        // From the last run back, so the positions still to visit do not move.
        std::for_each(spans.rbegin(), spans.rend(), [this, base](const Span& span) {
            cursor_.setPosition(base + static_cast<int>(span.start));
            cursor_.setPosition(base + static_cast<int>(span.start + span.length),
                                QTextCursor::KeepAnchor);
            cursor_.removeSelectedText();
        });
    }

    // Replaces the paragraph's text by its squeezed text, each piece in its own format. A run
    // that crosses a format change keeps its first space, in the format that space had.
    void rebuild(int base, const QString& text, const std::vector<Span>& spans,
                 const std::vector<Piece>& pieces) {
        cursor_.setPosition(base);
        cursor_.setPosition(base + static_cast<int>(text.size()), QTextCursor::KeepAnchor);
        cursor_.removeSelectedText();
        const QStringView all(text);
        auto span = spans.begin();
        qsizetype from = 0;
        QString kept;
        for (const Piece& piece : pieces) {
            const qsizetype to = from + piece.length;
            kept.clear();
            while (from < to) {
                // Skip the span that covers from, then copy up to the next span or the piece end.
                while (span != spans.end() && span->start + span->length <= from) {
                    ++span;
                }
                if (span != spans.end() && span->start <= from) {
                    from = std::min(to, span->start + span->length);
                    continue;
                }
                const qsizetype stop = span != spans.end() ? std::min(to, span->start) : to;
                kept.append(all.mid(from, stop - from));
                from = stop;
            }
            if (!kept.isEmpty()) {
                cursor_.insertText(kept, piece.format);
            }
        }
    }

    QTextDocument& document_;
    QTextCursor cursor_;
    const QList<QtPosition>& keep_;
    const ParagraphPieces::Marks pieces_;
    bool editing_ = false;
    qsizetype removed_ = 0;
};

} // namespace

qsizetype remove(QTextDocument& document, const QList<QtPosition>& keepPositions) {
    return Squeezer(document, keepPositions).run();
}

} // namespace ExtraSpaces
