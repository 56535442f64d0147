#include "RecordReader.h"

#include "Crc32.h"
#include "RangeCodec.h"

#include <QIODevice>
#include <QTextCursor>
#include <QTextDocument>
#include <QtEndian>

RecordReader::RecordReader(QIODevice& device) : device_(device) {
    const QByteArray magic = device_.read(Record::kMagic.size());
    if (magic != Record::kMagic) {
        // Cut short as it was made: a record that holds nothing yet.
        if (magic.size() < Record::kMagic.size() && Record::kMagic.startsWith(magic)) {
            return;
        }
        throw RecordError("not a recovery record");
    }
    Entry entry;
    if (!next(entry)) {
        return;
    }
    if (entry.type != Record::EntryType::Start) {
        throw RecordError("the record does not say how the document began");
    }
    start_ = RecordStart::decode(entry.payload);
    RecordBinding binding;
    while (next(entry)) {
        switch (entry.type) {
        case Record::EntryType::Binding:
            binding = RecordBinding::decode(entry.payload);
            break;
        case Record::EntryType::Commit:
            commit_ = RecordCommit::decode(entry.payload);
            binding_ = binding;
            commitEnd_ = device_.pos();
            break;
        case Record::EntryType::Replace:
            break;
        case Record::EntryType::BaseSum: {
            ByteReader r(entry.payload);
            const quint32 crc = r.u32();
            const qint64 size = r.i64();
            r.expectEnd();
            start_.sum = std::pair{crc, size};
            break;
        }
        default:
            throw RecordError("unknown entry");
        }
    }
}

bool RecordReader::next(Entry& entry) {
    const QByteArray head = device_.read(5);
    if (head.size() < 5) {
        return false;
    }
    const auto length = qFromLittleEndian<quint32>(head.constData());
    if (length > Record::kMaxPayload) {
        return false;
    }
    entry.payload = device_.read(length);
    const QByteArray tail = device_.read(4);
    if (entry.payload.size() != static_cast<qsizetype>(length) || tail.size() < 4) {
        return false;
    }
    const quint32 crc = crc32(entry.payload, crc32(head));
    if (crc != qFromLittleEndian<quint32>(tail.constData())) {
        return false;
    }
    entry.type = static_cast<Record::EntryType>(head.at(4));
    return true;
}

std::unique_ptr<QTextDocument> RecordReader::replay(const MakeBase& makeBase) {
    if (empty()) {
        throw RecordError("nothing was recorded");
    }
    std::unique_ptr<QTextDocument> doc = makeBase(start_);
    if (static_cast<quint32>(doc->characterCount() - 1) != start_.characters ||
        static_cast<quint32>(doc->blockCount()) != start_.blocks) {
        throw RecordError("the document does not begin as recorded");
    }
    // One edit without undo, as Open builds a document: the layout then estimates every
    // paragraph once, at the end.
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    QTextCursor edit(doc.get());
    edit.beginEditBlock();
    device_.seek(Record::kMagic.size());
    RangeCodec::Lists lists;
    Entry entry;
    while (device_.pos() < commitEnd_ && next(entry)) {
        if (entry.type == Record::EntryType::Replace) {
            RangeCodec::apply(*doc, entry.payload, lists);
        } else if (entry.type == Record::EntryType::Commit &&
                   static_cast<quint32>(doc->characterCount() - 1) !=
                       RecordCommit::decode(entry.payload).characters) {
            throw RecordError("the document's length differs from the one recorded");
        }
    }
    edit.endEditBlock();
    doc->setUndoRedoEnabled(undo);
    doc->setModified(true);
    return doc;
}
