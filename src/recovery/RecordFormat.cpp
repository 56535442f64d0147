#include "RecordFormat.h"

#include "Crc32.h"
#include "FileName.h"

#include <QtEndian>
#include <cstring>

void ByteWriter::u16(quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out_.append(b, 2);
}

void ByteWriter::u32(quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out_.append(b, 4);
}

void ByteWriter::u64(quint64 v) {
    char b[8];
    qToLittleEndian(v, b);
    out_.append(b, 8);
}

void ByteWriter::f64(double v) {
    quint64 bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    u64(bits);
}

void ByteWriter::string(const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    u32(static_cast<quint32>(utf8.size()));
    out_.append(utf8);
}

void ByteWriter::name(const QString& fileName) {
    const QByteArray bytes = FileName::encode(fileName);
    u32(static_cast<quint32>(bytes.size()));
    out_.append(bytes);
}

void ByteWriter::bytes(QByteArrayView b) {
    out_.append(b.data(), b.size());
}

const uchar* ByteReader::take(qsizetype n) {
    if (n < 0 || n > in_.size() - pos_) {
        throw RecordError("entry ends too soon");
    }
    const auto* p = reinterpret_cast<const uchar*>(in_.data()) + pos_;
    pos_ += n;
    return p;
}

quint8 ByteReader::u8() {
    return *take(1);
}

quint16 ByteReader::u16() {
    return qFromLittleEndian<quint16>(take(2));
}

quint32 ByteReader::u32() {
    return qFromLittleEndian<quint32>(take(4));
}

quint64 ByteReader::u64() {
    return qFromLittleEndian<quint64>(take(8));
}

double ByteReader::f64() {
    const quint64 bits = u64();
    double v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

QString ByteReader::string() {
    const quint32 n = u32();
    const uchar* p = take(n);
    return QString::fromUtf8(reinterpret_cast<const char*>(p), n);
}

QString ByteReader::name() {
    return FileName::decode(bytes(u32()));
}

QByteArrayView ByteReader::bytes(qsizetype n) {
    const uchar* p = take(n);
    return {reinterpret_cast<const char*>(p), n};
}

void ByteReader::expectEnd() const {
    if (!atEnd()) {
        throw RecordError("entry holds more than its fields");
    }
}

void appendEntry(QByteArray& out, Record::EntryType type, QByteArrayView payload) {
    const qsizetype start = out.size();
    ByteWriter w(out);
    w.u32(static_cast<quint32>(payload.size()));
    w.u8(static_cast<quint8>(type));
    w.bytes(payload);
    w.u32(crc32(QByteArrayView(out).sliced(start)));
}
