#include "RecordEntries.h"

#include "Crc32.h"

#include <QFile>

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

std::optional<std::pair<quint32, qint64>> fileSum(const QString& path,
                                                  const std::optional<FileStamp>& stamp) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const auto same = [&] {
        return !stamp || FileStamp::ofDescriptor(static_cast<int>(file.handle())) == *stamp;
    };
    if (!same()) {
        return std::nullopt;
    }
    quint32 crc = 0;
    qint64 size = 0;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(chunk.data(), chunk.size());
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        crc = crc32(QByteArrayView(chunk.constData(), n), crc);
        size += n;
    }
    if (!same()) {
        return std::nullopt;
    }
    return std::pair{crc, size};
}
