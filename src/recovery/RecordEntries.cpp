#include "RecordEntries.h"

#include <QFile>
#include <sys/stat.h>

FileStamp FileStamp::of(const QString& path) {
    FileStamp s;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        s.device = st.st_dev;
        s.inode = st.st_ino;
        s.size = st.st_size;
        s.modifiedNs = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return s;
}

QByteArray RecordStart::encode() const {
    QByteArray out;
    ByteWriter w(out);
    w.i64(createdMs);
    w.u8(static_cast<quint8>(base));
    w.string(file);
    w.u64(stamp.device);
    w.u64(stamp.inode);
    w.i64(stamp.size);
    w.i64(stamp.modifiedNs);
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
    s.stamp.device = r.u64();
    s.stamp.inode = r.u64();
    s.stamp.size = r.i64();
    s.stamp.modifiedNs = r.i64();
    s.characters = r.u32();
    s.blocks = r.u32();
    r.expectEnd();
    return s;
}

QByteArray RecordBinding::encode() const {
    QByteArray out;
    ByteWriter w(out);
    w.string(fileName);
    w.u8(hasFileName ? 1 : 0);
    w.u8(format);
    return out;
}

RecordBinding RecordBinding::decode(QByteArrayView payload) {
    ByteReader r(payload);
    RecordBinding b;
    b.fileName = r.string();
    b.hasFileName = r.u8() != 0;
    b.format = r.u8();
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
