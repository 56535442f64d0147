#include "RecordEntries.h"

#include "FileSnapshot.h"

namespace {

void writeStamp(ByteWriter& w, const FileStamp& stamp) {
    const FileStamp::Fields f = stamp.fields();
    w.u8(static_cast<quint8>(f.kind));
    w.u64(f.device);
    w.u64(f.inode);
    w.i64(f.size);
    w.i64(f.modifiedNs);
}

FileStamp readStamp(ByteReader& r) {
    const quint8 kind = r.u8();
    if (kind > static_cast<quint8>(FileStamp::Kind::Device)) {
        throw RecordError("unknown kind of file");
    }
    FileStamp::Fields f{static_cast<FileStamp::Kind>(kind), 0, 0, 0, 0};
    f.device = r.u64();
    f.inode = r.u64();
    f.size = r.i64();
    f.modifiedNs = r.i64();
    return FileStamp::fromFields(f);
}

} // namespace

QByteArray RecordStart::encode() const {
    QByteArray out;
    ByteWriter w(out);
    w.i64(createdMs);
    w.u8(static_cast<quint8>(base));
    w.name(file);
    writeStamp(w, stamp);
    w.u32(characters);
    w.u32(blocks);
    return out;
}

RecordStart RecordStart::decode(QByteArrayView payload) {
    ByteReader r(payload);
    RecordStart s;
    s.createdMs = r.i64();
    const quint8 base = r.u8();
    if (base > static_cast<quint8>(Record::BaseKind::TextFile)) {
        throw RecordError("unknown start");
    }
    s.base = static_cast<Record::BaseKind>(base);
    s.file = r.name();
    s.stamp = readStamp(r);
    s.characters = r.u32();
    s.blocks = r.u32();
    r.expectEnd();
    return s;
}

QByteArray BindingEntry::encode(const DocBinding& binding) {
    QByteArray out;
    ByteWriter w(out);
    w.name(binding.fileName);
    w.u8(binding.format == DocFormat::Rtf ? 1 : 0);
    writeStamp(w, binding.stamp);
    w.u32(static_cast<quint32>(binding.unread.size()));
    w.bytes(binding.unread);
    return out;
}

DocBinding BindingEntry::decode(QByteArrayView payload) {
    ByteReader r(payload);
    DocBinding b;
    b.fileName = r.name();
    const quint8 format = r.u8();
    if (format > 1) {
        throw RecordError("unknown file format");
    }
    b.format = format == 1 ? DocFormat::Rtf : DocFormat::PlainText;
    b.stamp = readStamp(r);
    b.unread = r.bytes(r.u32()).toByteArray();
    r.expectEnd();
    return b;
}

QByteArray RecordFileSum::encode() const {
    QByteArray out;
    ByteWriter w(out);
    writeStamp(w, stamp);
    w.u32(crc);
    w.i64(size);
    return out;
}

RecordFileSum RecordFileSum::decode(QByteArrayView payload) {
    ByteReader r(payload);
    RecordFileSum s;
    s.stamp = readStamp(r);
    s.crc = r.u32();
    s.size = r.i64();
    r.expectEnd();
    return s;
}

QByteArray RecordCommit::encode() const {
    QByteArray out;
    ByteWriter w(out);
    w.i64(lastChangeMs);
    w.u32(characters);
    w.u64(sequence);
    return out;
}

RecordCommit RecordCommit::decode(QByteArrayView payload) {
    ByteReader r(payload);
    RecordCommit c;
    c.lastChangeMs = r.i64();
    c.characters = r.u32();
    c.sequence = r.u64();
    r.expectEnd();
    return c;
}

std::optional<std::pair<quint32, qint64>> fileSum(const QString& path,
                                                  const std::optional<FileStamp>& stamp) {
    FileSnapshot snapshot(path, stamp, false);
    QByteArray ignored;
    while (snapshot.step(ignored)) {
    }
    return snapshot.sum();
}
