#include "TextFile.h"

#include "Cp1251.h"
#include "Errors.h"
#include "FileName.h"
#include "FileWriter.h"
#include "LineBreaks.h"
#include "ParagraphPieces.h"
#include "PosixFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr unsigned char kCtrlZ = 26;
constexpr qsizetype kUnreadChunk = 1 << 20;

} // namespace

QString TextFile::decodeLines(QByteArrayView bytes) {
    QString out;
    LineDecoder decoder;
    decoder.decode(bytes, out);
    decoder.finish(out);
    return out;
}

bool TextFile::LineDecoder::decode(QByteArrayView bytes, QString& out) {
    if (ended_) {
        return false;
    }
    const auto& table = Cp1251::decodeTable();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    // Every byte gives at most one character. The text goes straight into out, without a copy.
    const qsizetype base = out.size();
    out.resize(base + size);
    QChar* dst = out.data() + base;
    qsizetype n = 0;
    qsizetype i = 0;
    bool lineStart = lineStart_;
    bool skipping = skipping_;
    qint64 line = line_;
    while (i < size) {
        if (skipping) {
            // The rest of a line that a Ctrl-Z ended: up to its line feed, or a second Ctrl-Z,
            // which ends the text.
            while (i < size && p[i] != '\n' && p[i] != kCtrlZ) {
                ++i;
            }
            if (i == size) {
                break;
            }
            skipping = false;
            if (p[i++] == kCtrlZ) {
                ended_ = true;
                break;
            }
            continue;
        }
        const unsigned char b = p[i++];
        // By far the most common case first: a character of the line.
        if (b > kCtrlZ || (b != '\n' && b != '\r' && b != kCtrlZ)) {
            dst[n++] = QChar(table[b]);
            lineStart = false;
        } else if (b == '\n') {
            dst[n++] = QLatin1Char('\n');
            lineStart = true;
            ++line;
        } else if (b == '\r') {
            lineStart = false; // dropped; before a line feed it changes nothing
        } else {
            unreadFrom_ = offset_ + i - 1;
            unreadLine_ = line;
            if (lineStart) { // a Ctrl-Z at the start of a line ends the text
                ended_ = true;
                break;
            }
            dst[n++] = QLatin1Char('\n'); // a Ctrl-Z ends its line
            lineStart = true;
            skipping = true;
            ++line;
        }
    }
    lineStart_ = lineStart;
    skipping_ = skipping;
    line_ = line;
    offset_ += size;
    out.resize(base + n);
    return !ended_;
}

void TextFile::LineDecoder::finish(QString& out) {
    if (!lineStart_) {
        out.append(QLatin1Char('\n'));
        lineStart_ = true;
    }
}

void TextFile::encodeParagraphs(const QTextDocument& document, const Sink& sink,
                                qsizetype chunkSize) {
    // The raw text holds the paragraphs separated by U+2029, in one pass over the document's
    // storage; walking the paragraphs one by one costs a tree search for each.
    const QString raw = ParagraphPieces::rawText(document);
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
    // Every line ends in CR LF; an empty last paragraph gives no line, whichever break ends the
    // paragraph before it.
    if (!raw.isEmpty() && !LineBreaks::isSeparator(raw.back())) {
        dst[n++] = '\r';
        dst[n++] = '\n';
    }
    if (n > 0) {
        sink(QByteArrayView(dst, n));
    }
}

// --- DocFile -------------------------------------------------------------------------------

qint64 DocFile::readLimit() {
    // Positions in the editor are ints; a line break counts two.
    qint64 limit = qint64(3) << 29;
#ifdef Q_OS_UNIX
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) {
        limit = std::min(limit, qint64(pages) * pageSize / 4);
    }
#endif
    return limit;
}

void DocFile::open(QFile& file) const {
    if (fileName_.isEmpty()) {
        InOutError::raiseErrno(ENOENT);
    }
#ifdef Q_OS_UNIX
    // Not blocking: opening a pipe for reading waits for a writer otherwise.
    const int fd = PosixFile::open(FileName::encode(fileName_), O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        InOutError::raiseErrno(errno, fileName_);
    }
    const FileStamp stamp = FileStamp::ofDescriptor(fd);
    if (!stamp.isRegular()) {
        ::close(fd);
        stamp.refuseSpecial(fileName_);
        InOutError::raiseErrno(EISDIR);
    }
    ::fcntl(fd, F_SETFL, O_RDONLY); // NOLINT(*-vararg)
    file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
#else
    if (QFileInfo(fileName_).isDir()) {
        InOutError::raiseErrno(EISDIR);
    }
    file.setFileName(fileName_);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        InOutError::raiseErrnoOr(errno, EACCES, fileName_);
    }
#endif
}

namespace {

[[noreturn]] void refuseLarge(const QString& fileName, qint64 limit) {
    throw Error(QStringLiteral("Файл «%1» слишком велик: Zelto открывает файлы не больше %2 МБ.")
                    .arg(FileName::display(FileName::shortName(fileName)))
                    .arg(limit >> 20));
}

} // namespace

DocFile::Read DocFile::readLines(const TextSink& sink, Progress& progress, qsizetype chunkSize,
                                 qint64 limit) const {
    QFile file;
    open(file);
    Read result;
    result.stamp = FileStamp::ofDescriptor(static_cast<int>(file.handle()));
    const qint64 size = file.size();
    if (size > limit) {
        refuseLarge(fileName_, limit);
    }
    progress.begin(size);
    // One chunk of bytes and its text at a time: the file is never held whole, and both stay in
    // the processor's caches between reading, decoding and the sink.
    QByteArray bytes(chunkSize, Qt::Uninitialized);
    QString text;
    TextFile::LineDecoder decoder;
    qint64 done = 0;
    // Reads the next chunk into bytes; false at the end of the file.
    const auto next = [&]() -> qint64 {
        errno = 0;
        const qint64 n = file.read(bytes.data(), chunkSize);
        if (n < 0) {
            InOutError::raiseErrnoOr(errno, EIO);
        }
        done += n;
        if (done > limit) { // a file that grows while it is read
            refuseLarge(fileName_, limit);
        }
        return n;
    };
    bool more = true;
    for (qint64 n = 0; more && (n = next()) > 0;) {
        text.resize(0); // keeps the capacity
        more = decoder.decode(QByteArrayView(bytes.constData(), n), text);
        if (!text.isEmpty()) {
            sink(text);
        }
        progress.step(done);
    }
    text.resize(0);
    decoder.finish(text);
    if (!text.isEmpty()) {
        sink(text);
    }
    if (!more) {
        // The bytes the text leaves out, kept for the save into the same file.
        result.unreadLine = decoder.unreadLine();
        if (!file.seek(decoder.unreadFrom())) {
            InOutError::raiseErrno(EIO);
        }
        done = decoder.unreadFrom();
        for (qint64 n = 0; (n = next()) > 0;) {
            result.unread.append(bytes.constData(), n);
            progress.step(done);
        }
    }
    return result;
}

QString DocFile::readLines() const {
    QString all;
    readLines([&all](const QString& text) { all += text; });
    return all;
}

FileStamp DocFile::writeLines(const QTextDocument& document, Progress& progress,
                              QByteArrayView unread) const {
    // At most the bytes to write: a character each, and CR LF in place of each break.
    const qint64 total = document.characterCount() + document.blockCount() + unread.size();
    FileWriter writer(fileName_, progress, total);
    writer.reserve(total);
    Progress& written = writer.progress();
    qint64 count = 0;
    const auto write = [&](QByteArrayView chunk) {
        writer.write(chunk);
        count += chunk.size();
        written.step(std::min(count, total - 1));
    };
    try {
        TextFile::encodeParagraphs(document, write);
        for (qsizetype at = 0; at < unread.size(); at += kUnreadChunk) {
            write(unread.sliced(at, std::min(kUnreadChunk, unread.size() - at)));
        }
        // All written; a cancel up to here throws before the commit, and the old file stays.
        written.step(total);
    } catch (...) {
        writer.abandon();
        throw;
    }
    return writer.commit();
}
