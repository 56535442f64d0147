#include "TextFile.h"

#include "Cp1251.h"
#include "Errors.h"
#include "LineBreaks.h"

#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <cerrno>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr unsigned char kCtrlZ = 26;

// Throws the InOutError of the failed call: its errno when it left one, else fallback.
[[noreturn]] void raiseFailure(int err, int fallback) {
    InOutError::raiseErrno(err != 0 ? err : fallback);
}

} // namespace

QString TextFile::decodeLines(QByteArrayView bytes) {
    const auto& table = Cp1251::decodeTable();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    // Every byte gives at most one character, and a last line without a break one more.
    QString out(size + 1, Qt::Uninitialized);
    QChar* dst = out.data();
    qsizetype n = 0;
    bool lineStart = true; // no byte of the current line read yet
    qsizetype i = 0;
    while (i < size) {
        const unsigned char b = p[i];
        if (b == '\n') {
            dst[n++] = QLatin1Char('\n');
            lineStart = true;
            ++i;
        } else if (b == '\r') {
            if (i + 1 < size && p[i + 1] == '\n') {
                dst[n++] = QLatin1Char('\n');
                lineStart = true;
                i += 2;
            } else {
                lineStart = false; // a lone CR is dropped and the line goes on
                ++i;
            }
        } else if (b == kCtrlZ) {
            if (lineStart) {
                break;
            }
            // The Ctrl-Z ends the line; the rest of it up to its break is skipped.
            dst[n++] = QLatin1Char('\n');
            lineStart = true;
            ++i;
            while (i < size && p[i] != '\n' && p[i] != kCtrlZ) {
                ++i;
            }
            if (i < size && p[i] == kCtrlZ) {
                break;
            }
            ++i; // the line feed of the skipped rest's break
        } else {
            dst[n++] = QChar(table[b]);
            lineStart = false;
            ++i;
        }
    }
    if (!lineStart) {
        dst[n++] = QLatin1Char('\n');
    }
    out.truncate(n);
    return out;
}

void TextFile::encodeParagraphs(const QTextDocument& document, const Sink& sink,
                                qsizetype chunkSize) {
    // The raw text holds the paragraphs separated by U+2029, in one pass over the document's
    // storage; walking the paragraphs one by one costs a tree search for each.
    const QString raw = document.toRawText();
    const auto& table = Cp1251::encodeTable();
    QByteArray chunk(chunkSize + 2, Qt::Uninitialized);
    char* dst = chunk.data();
    qsizetype n = 0;
    for (const QChar ch : raw) {
        if (LineBreaks::isSeparator(ch)) {
            dst[n++] = '\r';
            dst[n++] = '\n';
        } else {
            dst[n++] = table[ch.unicode()];
        }
        if (n >= chunkSize) {
            sink(QByteArrayView(dst, n));
            n = 0;
        }
    }
    // Every line ends in CR LF; an empty last paragraph gives no line.
    if (!raw.isEmpty() && raw.back() != QChar::ParagraphSeparator) {
        dst[n++] = '\r';
        dst[n++] = '\n';
    }
    if (n > 0) {
        sink(QByteArrayView(dst, n));
    }
}

// --- FileWriter ----------------------------------------------------------------------------

FileWriter::FileWriter(const QString& fileName) : file_(fileName) {
    const QFileInfo target(fileName);
    if (target.isDir()) {
        InOutError::raiseErrno(EISDIR);
    }
    // A read-only target stays as it is, as it would if the file were written in place.
    if (target.exists() && !target.isWritable()) {
        InOutError::raiseErrno(EACCES);
    }
    errno = 0;
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        raiseFailure(errno, EACCES);
    }
}

FileWriter::~FileWriter() = default; // QSaveFile removes an uncommitted temporary file

void FileWriter::write(QByteArrayView bytes) {
    errno = 0;
    const qint64 written = file_.write(bytes.data(), bytes.size());
    if (written != bytes.size()) {
        const int err = errno;
        if (err == 0) {
            throw InOutError(IoCode::DiskFull); // a short write without a reason
        }
        InOutError::raiseErrno(err);
    }
}

void FileWriter::commit() {
#ifdef Q_OS_UNIX
    // QSaveFile ignores a failed flush to the disk, after which the data may never reach it; the
    // save must fail then, before the old file is replaced. EINVAL: the file cannot be flushed.
    if (::fdatasync(file_.handle()) != 0 && errno != EINVAL) {
        InOutError::raiseErrno(errno);
    }
#endif
    errno = 0;
    if (!file_.commit()) {
        raiseFailure(errno, EIO);
    }
}

// --- DocFile -------------------------------------------------------------------------------

QString DocFile::readLines() const {
    if (fileName_.isEmpty()) {
        InOutError::raiseErrno(ENOENT);
    }
    if (QFileInfo(fileName_).isDir()) {
        InOutError::raiseErrno(EISDIR);
    }
    QFile file(fileName_);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        raiseFailure(errno, EACCES);
    }
    errno = 0;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        raiseFailure(errno, EIO);
    }
    file.close();
    return TextFile::decodeLines(bytes);
}

void DocFile::writeLines(const QTextDocument& document) const {
    FileWriter writer(fileName_);
    TextFile::encodeParagraphs(document, [&writer](QByteArrayView chunk) { writer.write(chunk); });
    writer.commit();
}
