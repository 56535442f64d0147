#include "RecordEntries.h"

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
    w.string(file);
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
    s.file = r.string();
    s.stamp = readStamp(r);
    s.characters = r.u32();
    s.blocks = r.u32();
    r.expectEnd();
    return s;
}

QByteArray RecordBinding::encode() const {
    QByteArray out;
    ByteWriter w(out);
    w.string(fileName);
    w.u8(format);
    writeStamp(w, stamp);
    w.u32(static_cast<quint32>(unread.size()));
    w.bytes(unread);
    return out;
}

RecordBinding RecordBinding::decode(QByteArrayView payload) {
    ByteReader r(payload);
    RecordBinding b;
    b.fileName = r.string();
    b.format = r.u8();
    b.stamp = readStamp(r);
    b.unread = r.bytes(r.u32()).toByteArray();
    r.expectEnd();
    if (b.format > 1) {
        throw RecordError("unknown file format");
    }
    return b;
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
