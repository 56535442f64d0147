// The text-file reader on any bytes. The lines it gives must be those of a straightforward reading
// of the rules (LF or CR LF end a line, a lone CR is dropped, Ctrl-Z ends its line and skips the
// rest, Ctrl-Z at a line's start or in the skipped rest ends the file); loading them into a
// document and writing them back gives each line followed by CR LF, which reads as the same lines.
#include "Cp1251.h"
#include "FuzzSupport.h"
#include "TextFile.h"

#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdint>

namespace {

constexpr unsigned char kLf = 10;
constexpr unsigned char kCr = 13;
constexpr unsigned char kCtrlZ = 26;

// The rules read line by line, kept apart from the reader's single loop on purpose.
QStringList referenceLines(const unsigned char* p, size_t n) {
    QStringList lines;
    size_t pos = 0;
    while (pos < n) {
        QString line;
        bool consumed = false; // a byte of this line was read, a dropped CR included
        while (pos < n) {
            const unsigned char b = p[pos];
            if (b == kLf) {
                ++pos;
                break;
            }
            if (b == kCr) {
                if (pos + 1 < n && p[pos + 1] == kLf) {
                    pos += 2;
                    break;
                }
                ++pos; // dropped, but the line has begun
                consumed = true;
                continue;
            }
            if (b == kCtrlZ) {
                if (!consumed) {
                    return lines;
                }
                for (++pos; pos < n && p[pos] != kLf; ++pos) {
                    if (p[pos] == kCtrlZ) {
                        lines.append(line);
                        return lines;
                    }
                }
                ++pos;
                break;
            }
            line.append(Cp1251::toUnicode(b));
            consumed = true;
            ++pos;
        }
        lines.append(line);
    }
    return lines;
}

QString joined(const QStringList& lines) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QLatin1Char('\n');
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    startFuzzApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = TextFile::decodeLines(bytes);
    const QStringList lines = referenceLines(data, size);
    FUZZ_CHECK(text == joined(lines), "reader gives %lld characters, the rules %lld",
               static_cast<long long>(text.size()), static_cast<long long>(joined(lines).size()));

    // Read a piece at a time, as Open reads a file, the bytes give the same text.
    const qsizetype piece = size > 0 ? 1 + data[0] % 13 : 1;
    TextFile::LineDecoder decoder;
    QString pieces;
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
        decoder.decode(bytes.sliced(at, std::min(piece, bytes.size() - at)), pieces);
    }
    decoder.finish(pieces);
    FUZZ_CHECK(pieces == text, "read in pieces of %lld, the text differs",
               static_cast<long long>(piece));

    // Through a document of those lines, as Open and the save after the question do.
    QTextDocument document;
    QTextCursor(&document).insertText(text);
    QByteArray written;
    TextFile::encodeParagraphs(
        document, [&written](QByteArrayView chunk) { written.append(chunk); }, 64);
    QByteArray expected;
    for (const QString& line : lines) {
        expected += Cp1251::encode(line);
        expected += "\r\n";
    }
    FUZZ_CHECK(written == expected, "written %lld bytes, expected %lld",
               static_cast<long long>(written.size()), static_cast<long long>(expected.size()));
    FUZZ_CHECK(TextFile::decodeLines(written) == text, "written file reads otherwise");
    return 0;
}
