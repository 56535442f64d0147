#include "TextFile.h"

#include "Cp1251.h"
#include "Errors.h"
#include "LineBreaks.h"

#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <cerrno>

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
        InOutError::raiseErrno(errno != 0 ? errno : EACCES, fileName_);
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
