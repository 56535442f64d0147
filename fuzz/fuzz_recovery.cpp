// The recovery record reader: any bytes are read without a crash or a hang, as a record (up to its
// last whole commit), as nothing, or refused with RecordError. A record that replays gives a
// document as long as its last commit says, and that document, recorded afresh whole, replays to
// the same blocks, formats and text (compared by its RTF).
#include "Crc32.h"
#include "FuzzSupport.h"
#include "RangeCodec.h"
#include "RecordReader.h"
#include "RtfWriter.h"

#include <QBuffer>
#include <QTextCursor>
#include <QTextDocument>
#include <QtEndian>
#include <cstdint>

namespace {

// A text-file base stands for a small fixed document: the target reads no file.
std::unique_ptr<QTextDocument> base(RecordReader& reader) {
    auto doc = std::make_unique<QTextDocument>();
    if (reader.start().base == Record::BaseKind::TextFile) {
        QTextCursor(doc.get()).insertText(QStringLiteral("первая строка\nsecond line"));
    }
    return doc;
}

std::unique_ptr<QTextDocument> read(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    RecordReader reader(buffer);
    return reader.empty() ? nullptr : reader.replay(base);
}

// The bytes with every entry's checksum made right, so that the mutations reach the entries'
// contents and not only the checksums that guard them.
QByteArray withChecksums(QByteArray bytes) {
    if (!bytes.startsWith(Record::kMagic)) {
        return bytes;
    }
    qsizetype at = Record::kMagic.size();
    while (bytes.size() - at >= Record::kEntryOverhead) {
        const auto length = qFromLittleEndian<quint32>(bytes.constData() + at);
        if (length > bytes.size() - at - Record::kEntryOverhead) {
            break;
        }
        const qsizetype end = at + 5 + length;
        qToLittleEndian(crc32(QByteArrayView(bytes).sliced(at, end - at)), bytes.data() + end);
        at = end + 4;
    }
    return bytes;
}

// Reads bytes as a record and checks what it gives.
void check(const QByteArray& bytes) {
    std::unique_ptr<QTextDocument> doc;
    quint32 committed = 0;
    try {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        RecordReader reader(buffer);
        if (reader.empty()) {
            return;
        }
        committed = reader.commit().characters;
        doc = reader.replay(base);
    } catch (const RecordError&) {
        return;
    }
    const int length = doc->characterCount() - 1;
    FUZZ_CHECK(static_cast<quint32>(length) == committed, "replayed %d characters, committed %u",
               length, committed);

    // The replayed document recorded whole, as a record that begins empty.
    QByteArray again(Record::kMagic.data(), Record::kMagic.size());
    appendEntry(again, Record::EntryType::Start, RecordStart().encode());
    appendEntry(again, Record::EntryType::Replace, RangeCodec::encode(*doc, 0, 0, 0, length));
    appendEntry(again, Record::EntryType::Commit,
                RecordCommit{0, static_cast<quint32>(length), 1}.encode());
    const std::unique_ptr<QTextDocument> copy = read(again);
    FUZZ_CHECK(copy != nullptr, "the document recorded afresh does not replay");
    FUZZ_CHECK(RtfWriter::toRtf(*copy) == RtfWriter::toRtf(*doc),
               "the document recorded afresh replays differently");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    startFuzzApplication();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    check(bytes);
    check(withChecksums(bytes));
    return 0;
}
