#include "LineBreaks.h"
#include "ParagraphPieces.h"
#include "PieceIndex.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <cstring>

namespace ParagraphPieces {

namespace {

Joint jointOf(const QTextFormat& format) {
    if (!format.boolProperty(kContinues)) {
        return Joint::Break;
    }
    return format.boolProperty(kJoinsWithNothing) ? Joint::Nothing : Joint::Space;
}

} // namespace

Joint jointBefore(const QTextBlock& block) {
    return block.isValid() ? jointOf(block.blockFormat()) : Joint::Break;
}

QString jointText(Joint joint) {
    return joint == Joint::Space ? QStringLiteral(" ") : QString();
}

bool continues(const QTextBlock& block) {
    return jointBefore(block) != Joint::Break;
}

bool anyContinues(const QTextDocument& document) {
    const QList<QTextFormat> formats = document.allFormats();
    return std::any_of(formats.begin(), formats.end(), [](const QTextFormat& f) {
        return f.isBlockFormat() && f.boolProperty(kContinues);
    });
}

Joint Marks::jointBefore(const QTextBlock& block) const {
    if (!block.isValid()) {
        return Joint::Break;
    }
    const auto index = static_cast<size_t>(block.blockFormatIndex());
    if (index >= known_.size()) {
        known_.resize(index + 1, Unknown);
    }
    if (known_[index] == Unknown) {
        known_[index] = static_cast<signed char>(ParagraphPieces::jointBefore(block));
    }
    return static_cast<Joint>(known_[index]);
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

std::vector<Separator> softSeparators(const QTextDocument& document, int from, int to) {
    std::vector<Separator> separators;
    const PieceIndex& numbers = *PieceIndex::of(document);
    const std::vector<int>& continuing = numbers.blockNumbers();
    const std::vector<int>& nothing = numbers.joinedByNothing();
    // The first separator at or after from ends the paragraph piece holding from.
    const int first = document.findBlock(from).blockNumber();
    auto silent = std::upper_bound(nothing.begin(), nothing.end(), first);
    for (auto it = std::upper_bound(continuing.begin(), continuing.end(), first);
         it != continuing.end(); ++it) {
        const int at = document.findBlockByNumber(*it).position() - 1;
        if (at >= to) {
            break;
        }
        // The blocks joined by nothing are some of the continuing ones, in the same order.
        const bool joinedByNothing = silent != nothing.end() && *silent == *it;
        if (joinedByNothing) {
            ++silent;
        }
        separators.push_back({at, joinedByNothing ? Joint::Nothing : Joint::Space});
    }
    return separators;
}

void restore(const QTextDocument& document, int from, QString& text, bool onePerPosition) {
    const auto to = static_cast<int>(std::min<qsizetype>(INT_MAX, from + text.size()));
    const std::vector<Separator> separators = softSeparators(document, from, to);
    if (separators.empty()) {
        return;
    }
    if (onePerPosition) {
        for (const Separator& s : separators) {
            text[s.position - from] =
                s.joint == Joint::Space ? QChar(QLatin1Char(' ')) : kNothingStandIn;
        }
        return;
    }
    // One pass from the first separator: spaces go in their place, and the text closes up over
    // the separators that stand for nothing.
    QChar* data = text.data();
    qsizetype write = separators.front().position - from;
    qsizetype read = write;
    const auto keep = [&](qsizetype end) {
        std::memmove(data + write, data + read, (end - read) * sizeof(QChar));
        write += end - read;
    };
    for (const Separator& s : separators) {
        const qsizetype at = s.position - from;
        keep(at);
        if (s.joint == Joint::Space) {
            data[write++] = QLatin1Char(' ');
        }
        read = at + 1;
    }
    keep(text.size());
    text.truncate(write);
}

QString rawText(const QTextDocument& document, bool onePerPosition) {
    QString text = document.toRawText();
    restore(document, 0, text, onePerPosition);
    return text;
}

QString text(const QTextDocument& document, int from, int to, bool onePerPosition) {
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
            out += LineBreaks::kBlockSeparator;
        }
    }
    restore(document, from, out, onePerPosition);
    return out;
}

TextIndex textIndex(const QTextDocument& document, QtPosition position) {
    const PieceIndex& numbers = *PieceIndex::of(document);
    const std::vector<int>& nothing = numbers.joinedByNothing();
    const int block = document.findBlock(position.value).blockNumber();
    return TextIndex(position.value -
                     static_cast<int>(std::upper_bound(nothing.begin(), nothing.end(), block) -
                                      nothing.begin()));
}

QtPosition qtPosition(const QTextDocument& document, TextIndex index, bool afterJoint) {
    const PieceIndex& numbers = *PieceIndex::of(document);
    const std::vector<int>& nothing = numbers.joinedByNothing();
    // The k-th separator standing for nothing (from 0) lies at text index its Qt position - k;
    // these indexes ascend with k. Count those before index (or at it, with afterJoint).
    std::size_t lo = 0;
    std::size_t hi = nothing.size();
    while (lo < hi) {
        const std::size_t k = lo + (hi - lo) / 2;
        const int at = document.findBlockByNumber(nothing[k]).position() - 1 - static_cast<int>(k);
        if (at < index.value || (afterJoint && at == index.value)) {
            lo = k + 1;
        } else {
            hi = k;
        }
    }
    return QtPosition(index.value + static_cast<int>(lo));
}

} // namespace ParagraphPieces
