#include "RecordReader.h"

#include "Crc32.h"
#include "RangeCodec.h"

#include <QIODevice>
#include <QTextCursor>
#include <QTextDocument>
#include <QtEndian>
#include <algorithm>

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
    DocBinding binding;
    while (next(entry)) {
        switch (entry.type) {
        case Record::EntryType::Binding:
            binding = BindingEntry::decode(entry.payload);
            break;
        case Record::EntryType::BaseBytes:
            noteBase(entry.payload, device_.pos());
            break;
        case Record::EntryType::FileSum: {
            const RecordFileSum sum = RecordFileSum::decode(entry.payload);
            sums_.push_back(sum);
            if (start_.base == Record::BaseKind::TextFile && sum.stamp == start_.stamp) {
                start_.sum = std::pair{sum.crc, sum.size};
            }
            break;
        }
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

void RecordReader::noteBase(const QByteArray& payload, qint64 entryEnd) {
    ByteReader r(payload);
    const qint64 offset = r.i64();
    // Stretches come in the file's order; one that does not follow on spoils the copy, and the
    // file itself must then serve.
    if (offset != baseSize_ || start_.base != Record::BaseKind::TextFile) {
        baseSpoilt_ = true;
        return;
    }
    const qint64 size = payload.size() - 8;
    base_.emplace_back(entryEnd - 4 - size, size);
    baseSize_ += size;
}

bool RecordReader::holdsBase() const {
    return start_.sum && !baseSpoilt_ && start_.sum->second == baseSize_;
}

void RecordReader::readBase(const std::function<void(QByteArrayView)>& sink) {
    const qint64 back = device_.pos();
    quint32 crc = 0;
    for (const auto& [at, size] : base_) {
        device_.seek(at);
        const QByteArray bytes = device_.read(size);
        if (bytes.size() != size) {
            throw RecordError("the record's copy of the file cannot be read");
        }
        crc = crc32(bytes, crc);
        sink(bytes);
    }
    device_.seek(back);
    if (!start_.sum || crc != start_.sum->first) {
        throw RecordError("the record's copy of the file differs from its sum");
    }
}

DocBinding RecordReader::currentBinding() const {
    DocBinding binding = binding_;
    if (!binding.bound()) {
        return binding;
    }
    const FileStamp now = FileStamp::of(binding.fileName);
    if (!now.isRegular() || now == binding.stamp) {
        return binding;
    }
    const auto known = std::find_if(sums_.begin(), sums_.end(), [&](const RecordFileSum& sum) {
        return sum.stamp == binding.stamp && sum.size == now.size();
    });
    if (known != sums_.end() &&
        fileSum(binding.fileName, now) == std::pair{known->crc, known->size}) {
        binding.stamp = now;
    }
    return binding;
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
    std::unique_ptr<QTextDocument> doc = makeBase(*this);
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
