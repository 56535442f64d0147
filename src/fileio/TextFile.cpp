#include "TextFile.h"

#include "Cp1251.h"
#include "Errors.h"
#include "LineBreaks.h"
#include "ParagraphPieces.h"

#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>

namespace {

constexpr unsigned char kCtrlZ = 26;

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
        } else if (b == '\r') {
            lineStart = false;  // dropped; before a line feed it changes nothing
        } else if (lineStart) { // a Ctrl-Z at the start of a line ends the text
            ended_ = true;
            break;
        } else {
            dst[n++] = QLatin1Char('\n'); // a Ctrl-Z ends its line
            lineStart = true;
            skipping = true;
        }
    }
    lineStart_ = lineStart;
    skipping_ = skipping;
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
    // Every line ends in CR LF; an empty last paragraph gives no line.
    if (!raw.isEmpty() && raw.back() != QChar::ParagraphSeparator) {
        dst[n++] = '\r';
        dst[n++] = '\n';
    }
    if (n > 0) {
        sink(QByteArrayView(dst, n));
    }
}

// --- DocFile -------------------------------------------------------------------------------

void DocFile::readLines(const TextSink& sink, Progress& progress, qsizetype chunkSize) const {
    if (fileName_.isEmpty()) {
        InOutError::raiseErrno(ENOENT);
    }
    if (QFileInfo(fileName_).isDir()) {
        InOutError::raiseErrno(EISDIR);
    }
    QFile file(fileName_);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        InOutError::raiseErrnoOr(errno, EACCES, fileName_);
    }
    progress.begin(file.size());
    // One chunk of bytes and its text at a time: the file is never held whole, and both stay in
    // the processor's caches between reading, decoding and the sink.
    QByteArray bytes(chunkSize, Qt::Uninitialized);
    QString text;
    TextFile::LineDecoder decoder;
    qint64 done = 0;
    bool more = true;
    while (more) {
        errno = 0;
        const qint64 n = file.read(bytes.data(), chunkSize);
        if (n < 0) {
            InOutError::raiseErrnoOr(errno, EIO);
        }
        if (n == 0) {
            break;
        }
        done += n;
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
}

QString DocFile::readLines() const {
    QString all;
    readLines([&all](const QString& text) { all += text; });
    return all;
}

void DocFile::writeLines(const QTextDocument& document, Progress& progress) const {
    FileWriter writer(fileName_);
    // About the bytes to write: a character each, and CR LF in place of each break.
    const qint64 total = document.characterCount() + document.blockCount();
    progress.begin(total);
    qint64 written = 0;
    TextFile::encodeParagraphs(document, [&](QByteArrayView chunk) {
        writer.write(chunk);
        written += chunk.size();
        progress.step(std::min(written, total - 1));
    });
    // All written; a cancel up to here throws before the commit, and the old file stays.
    progress.step(total);
    writer.commit();
}
