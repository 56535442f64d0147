#include "RangeCodec.h"

#include "FormatCodec.h"
#include "LineBreaks.h"
#include "RecordFormat.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <vector>

// Payload:
//   u32 at, u32 removed
//   u32 n, n formats                      (referred to by their place in this table)
//   u32 n, n lists: i64 id, u32 format
//   head: u32 block format, u32 block character format, u32 list (kNone: none)
//   u32 n, n items: u8 kRun, u32 length, u32 character format
//                or u8 kBlock, u32 block format, u32 block character format, u32 list
//   string: the text of the runs, UTF-8
// A run's text may hold paragraph separators: each starts a block with the format of the block
// before it and the run's character format, as Qt's insertText makes it. Any other block start is
// an item of its own. The head is the block the stretch starts in.

namespace {

constexpr quint8 kRun = 0;
constexpr quint8 kBlock = 1;
constexpr quint32 kNone = 0xFFFFFFFFU;

class Encoder {
public:
    explicit Encoder(const QTextDocument& doc) : doc_(doc), items_(itemBytes_) {}

    QByteArray run(int at, int removed, int from, int to) {
        const int end = std::min(to, doc_.characterCount() - 1);
        QTextBlock block = doc_.findBlock(from);
        const quint32 headBlock = blockRef(block);
        const quint32 headChar = charRef(block);
        const quint32 headList = listRef(block);
        for (; block.isValid() && block.position() < end; block = block.next()) {
            addFragments(block, from, end);
            const int separator = block.position() + block.length() - 1;
            if (separator >= end) {
                break;
            }
            if (separator >= from) {
                addSeparator(block, block.next());
            }
        }
        endRun();

        QByteArray out;
        ByteWriter w(out);
        w.u32(static_cast<quint32>(at));
        w.u32(static_cast<quint32>(removed));
        w.u32(static_cast<quint32>(formats_.size()));
        for (const QTextFormat& f : formats_) {
            FormatCodec::write(w, f);
        }
        w.u32(static_cast<quint32>(lists_.size()));
        for (const auto& [id, format] : lists_) {
            w.i64(id);
            w.u32(format);
        }
        w.u32(headBlock);
        w.u32(headChar);
        w.u32(headList);
        w.u32(itemCount_);
        w.bytes(itemBytes_);
        w.string(text_);
        return out;
    }

private:
    quint32 ref(int index, const auto& format) {
        const auto it = refs_.constFind(index);
        if (it != refs_.constEnd()) {
            return it.value();
        }
        const auto r = static_cast<quint32>(formats_.size());
        formats_.push_back(format());
        refs_.insert(index, r);
        return r;
    }

    quint32 blockRef(const QTextBlock& b) {
        return ref(b.blockFormatIndex(), [&b] { return b.blockFormat(); });
    }

    quint32 charRef(const QTextBlock& b) {
        return ref(b.charFormatIndex(), [&b] { return b.charFormat(); });
    }

    quint32 listRef(const QTextBlock& b) {
        const QTextList* list = b.textList();
        if (list == nullptr) {
            return kNone;
        }
        const qint64 id = list->objectIndex();
        const auto it = listRefs_.constFind(id);
        if (it != listRefs_.constEnd()) {
            return it.value();
        }
        const auto r = static_cast<quint32>(lists_.size());
        lists_.emplace_back(id, ref(list->formatIndex(), [list] { return list->format(); }));
        listRefs_.insert(id, r);
        return r;
    }

    void addFragments(const QTextBlock& block, int from, int end) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const int s = std::max(f.position(), from);
            const int e = std::min(f.position() + f.length(), end);
            if (s < e) {
                addText(f.text().mid(s - f.position(), e - s), f.charFormatIndex(),
                        [&f] { return f.charFormat(); });
            }
        }
    }

    void addText(QStringView text, int formatIndex, const auto& format) {
        if (runLength_ > 0 && formatIndex != runIndex_) {
            endRun();
        }
        if (runLength_ == 0) {
            runIndex_ = formatIndex;
            runRef_ = ref(formatIndex, format);
        }
        text_.append(text);
        runLength_ += static_cast<quint32>(text.size());
    }

    // The separator between block and next: inside the current run when next takes the format
    // that Qt's insertText would give it.
    void addSeparator(const QTextBlock& block, const QTextBlock& next) {
        const bool plain = next.blockFormatIndex() == block.blockFormatIndex() &&
                           (runLength_ == 0 || next.charFormatIndex() == runIndex_);
        if (plain) {
            addText(QStringView(&LineBreaks::kBlockSeparator, 1), next.charFormatIndex(),
                    [&next] { return next.charFormat(); });
            return;
        }
        endRun();
        items_.u8(kBlock);
        items_.u32(blockRef(next));
        items_.u32(charRef(next));
        items_.u32(listRef(next));
        ++itemCount_;
    }

    void endRun() {
        if (runLength_ > 0) {
            items_.u8(kRun);
            items_.u32(runLength_);
            items_.u32(runRef_);
            ++itemCount_;
        }
        runLength_ = 0;
    }

    const QTextDocument& doc_;
    QHash<int, quint32> refs_; // index in the document's format collection -> place in formats_
    std::vector<QTextFormat> formats_;
    QHash<qint64, quint32> listRefs_;
    std::vector<std::pair<qint64, quint32>> lists_;
    QByteArray itemBytes_;
    ByteWriter items_;
    quint32 itemCount_ = 0;
    QString text_;
    int runIndex_ = -1;
    quint32 runRef_ = 0;
    quint32 runLength_ = 0;
};

// A Replace payload read and checked against itself.
struct Replace {
    quint32 at = 0;
    quint32 removed = 0;
    std::vector<QTextFormat> formats;
    std::vector<std::pair<qint64, quint32>> lists;
    quint32 headBlock = 0, headChar = 0, headList = kNone;
    struct Item {
        quint8 kind;
        quint32 a, b, c; // run: length, format; block: block format, character format, list
    };
    std::vector<Item> items;
    QString text;

    const QTextFormat& format(quint32 ref, bool block) const {
        if (ref >= formats.size() ||
            (block ? !formats[ref].isBlockFormat() : !formats[ref].isCharFormat())) {
            throw RecordError("bad format reference");
        }
        return formats[ref];
    }

    void checkList(quint32 ref) const {
        if (ref != kNone && ref >= lists.size()) {
            throw RecordError("bad list reference");
        }
    }
};

quint32 count(ByteReader& in) {
    const quint32 n = in.u32();
    if (n > Record::kMaxPayload) {
        throw RecordError("count out of range");
    }
    return n;
}

Replace read(QByteArrayView payload) {
    ByteReader in(payload);
    Replace r;
    r.at = in.u32();
    r.removed = in.u32();
    for (quint32 n = count(in); n > 0; --n) {
        r.formats.push_back(FormatCodec::read(in));
    }
    for (quint32 n = count(in); n > 0; --n) {
        const qint64 id = in.i64();
        const quint32 format = in.u32();
        if (format >= r.formats.size() || !r.formats[format].isListFormat()) {
            throw RecordError("bad list format");
        }
        r.lists.emplace_back(id, format);
    }
    r.headBlock = in.u32();
    r.headChar = in.u32();
    r.headList = in.u32();
    (void)r.format(r.headBlock, true);
    (void)r.format(r.headChar, false);
    r.checkList(r.headList);
    quint64 runText = 0;
    for (quint32 n = count(in); n > 0; --n) {
        Replace::Item item{in.u8(), in.u32(), in.u32(), 0};
        if (item.kind == kRun) {
            (void)r.format(item.b, false);
            runText += item.a;
        } else if (item.kind == kBlock) {
            item.c = in.u32();
            (void)r.format(item.a, true);
            (void)r.format(item.b, false);
            r.checkList(item.c);
        } else {
            throw RecordError("unknown item");
        }
        r.items.push_back(item);
    }
    r.text = in.string();
    in.expectEnd();
    if (runText != static_cast<quint64>(r.text.size())) {
        throw RecordError("text does not match its runs");
    }
    // Every break Qt's insertText knows becomes the one separator the live text held, so that
    // each stands for one position; frame marks have no place in a paragraph.
    for (QChar& ch : r.text) {
        const char16_t u = ch.unicode();
        if (u == u'\n' || u == u'\r' || u == 0xFDD0 || u == 0xFDD1) {
            ch = LineBreaks::kBlockSeparator;
        }
    }
    return r;
}

} // namespace

QByteArray RangeCodec::encode(const QTextDocument& document, int at, int removed, int from,
                              int to) {
    return Encoder(document).run(at, removed, from, to);
}

void RangeCodec::Lists::place(const QTextBlock& block, QTextBlockFormat format, qint64 id,
                              const QTextListFormat& listFormat) {
    if (id >= 0) {
        QTextList* list = lists_.value(id).data();
        if (list == nullptr) {
            list = QTextCursor(block).createList(listFormat);
            lists_.insert(id, list);
        }
        format.setObjectIndex(list->objectIndex());
    }
    // The whole format, list included, in one step: joining or leaving a list through QTextList
    // would change the block's indent.
    QTextCursor(block).setBlockFormat(format);
}

void RangeCodec::apply(QTextDocument& document, QByteArrayView payload, Lists& lists) {
    const Replace r = read(payload);
    const auto length = static_cast<quint64>(document.characterCount() - 1);
    if (static_cast<quint64>(r.at) + r.removed > length) {
        throw RecordError("stretch beyond the document's end");
    }
    const auto place = [&](const QTextBlock& block, quint32 list, const QTextFormat& format) {
        if (list == kNone) {
            lists.place(block, format.toBlockFormat(), -1, {});
        } else {
            const auto& [id, listFormat] = r.lists[list];
            lists.place(block, format.toBlockFormat(), id, r.formats[listFormat].toListFormat());
        }
    };

    QTextCursor c(&document);
    c.setPosition(static_cast<int>(r.at));
    c.setPosition(static_cast<int>(r.at + r.removed), QTextCursor::KeepAnchor);
    c.removeSelectedText();
    // The head block's format first: the blocks that runs start inherit it.
    place(c.block(), r.headList, r.format(r.headBlock, true));
    c.setBlockCharFormat(r.format(r.headChar, false).toCharFormat());
    qsizetype offset = 0;
    for (const Replace::Item& item : r.items) {
        if (item.kind == kRun) {
            c.insertText(r.text.mid(offset, item.a), r.formats[item.b].toCharFormat());
            offset += item.a;
        } else {
            c.insertBlock(r.formats[item.a].toBlockFormat(), r.formats[item.b].toCharFormat());
            place(c.block(), item.c, r.formats[item.a]);
        }
    }
}
