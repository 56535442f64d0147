#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <stdexcept>

// The bytes of a recovery record: a magic line, then entries, each
//   u32 payload length, u8 type, payload, u32 CRC-32 of all that precedes it in the entry,
// integers little-endian. A record is only ever appended to, so a death in the middle of a write
// leaves a torn last entry, which its length or checksum gives away.
namespace Record {

inline constexpr QByteArrayView kMagic = "ZELTO-RECOVERY 1\n";
// Larger entries are taken for damage: the writer cuts its entries far smaller.
inline constexpr quint32 kMaxPayload = 256U << 20;
inline constexpr qsizetype kEntryOverhead = 9;
// The file name suffix of a record, and of one put aside because it could not be read.
inline constexpr QStringView kSuffix = u".zrec";
inline constexpr QStringView kAsideSuffix = u".unreadable";

enum class EntryType : quint8 {
    Start = 1,     // how the document began: empty, or a file read as plain lines
    Binding = 2,   // the file the document is bound to, and how
    Replace = 3,   // a stretch of the document replaced by text with its formats
    Commit = 4,    // the entries before it make a state the document had
    BaseSum = 5,   // the CRC-32 and size of the bytes of a text file the document began as
    BaseBytes = 6, // a stretch of those bytes, kept in the record: u64 offset, then the bytes
    FileSum = 7,   // a file's stamp, and the CRC-32 and size of the bytes it had with that stamp
};

enum class BaseKind : quint8 { Empty = 0, TextFile = 1 };

} // namespace Record

// A record that does not hold what its entries claim.
class RecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A record whose document begins as a file that it does not hold itself, and that cannot serve
// now (gone, unreadable, or changed): the record may serve later, once the file is back.
class BaseUnavailable : public RecordError {
public:
    using RecordError::RecordError;
};

// Appends little-endian values to a byte array.
class ByteWriter {
public:
    explicit ByteWriter(QByteArray& out) : out_(out) {}
    void u8(quint8 v) { out_.append(static_cast<char>(v)); }
    void u16(quint16 v);
    void u32(quint32 v);
    void u64(quint64 v);
    void i64(qint64 v) { u64(static_cast<quint64>(v)); }
    void f64(double v);
    // Length (u32) and UTF-8 bytes.
    void string(const QString& s);
    // Length (u32) and the name's bytes as the system spells it (FileName::encode).
    void name(const QString& fileName);
    void bytes(QByteArrayView b);
    qsizetype size() const { return out_.size(); }

private:
    QByteArray& out_;
};

// Reads what ByteWriter wrote; throws RecordError when the bytes end too soon.
class ByteReader {
public:
    explicit ByteReader(QByteArrayView in) : in_(in) {}
    quint8 u8();
    quint16 u16();
    quint32 u32();
    quint64 u64();
    qint64 i64() { return static_cast<qint64>(u64()); }
    double f64();
    QString string();
    QString name();
    QByteArrayView bytes(qsizetype n);
    bool atEnd() const { return pos_ == in_.size(); }
    // Throws unless every byte was read.
    void expectEnd() const;

private:
    const uchar* take(qsizetype n);
    QByteArrayView in_;
    qsizetype pos_ = 0;
};

// One entry of the given type around payload, checksum included.
void appendEntry(QByteArray& out, Record::EntryType type, QByteArrayView payload);
