#pragma once

#include "FileWriter.h"
#include "Progress.h"

#include <QByteArrayView>
#include <QString>
#include <functional>

class QTextDocument;

// Text files as the program reads and writes them: Windows-1251 lines, CR LF after every written
// line.
namespace TextFile {

// Decodes the bytes of a text file into the editor's text: each line followed by '\n'. A line ends
// at LF or CR LF; a lone CR is dropped; a Ctrl-Z (26) ends its line and the rest of that line is
// skipped, while a Ctrl-Z at the start of a line or a second one in the skipped rest ends the text.
// A break at the very end adds no empty line. One pass over the bytes.
QString decodeLines(QByteArrayView bytes);

// decodeLines a piece at a time: the bytes may be cut anywhere, and each piece's text is appended
// as soon as it is decoded.
class LineDecoder {
public:
    // Appends the text of the next bytes to out. False once the text has ended (at a Ctrl-Z):
    // later bytes give nothing.
    bool decode(QByteArrayView bytes, QString& out);
    // Appends what the end of the bytes adds: the break of a last line that has none.
    void finish(QString& out);

private:
    bool lineStart_ = true; // no byte of the current line read yet
    bool skipping_ = false; // in the rest of a line that a Ctrl-Z ended
    bool ended_ = false;
};

// The document's paragraphs as file lines: each paragraph encoded in Windows-1251 and followed by
// CR LF; an empty last paragraph gives no line, so an empty document gives no bytes. sink receives
// the bytes in chunks of about chunkSize.
using Sink = std::function<void(QByteArrayView)>;
void encodeParagraphs(const QTextDocument& document, const Sink& sink,
                      qsizetype chunkSize = 1 << 20);

} // namespace TextFile

// The document's file: a name it is bound to, read whole or written whole as lines.
class DocFile {
public:
    void assign(const QString& fileName) { fileName_ = fileName; }
    const QString& fileName() const { return fileName_; }

    // Reads the bound file a chunk at a time and hands sink the text of each chunk as
    // decodeLines gives it, then reports the bytes read so far to progress. Throws InOutError,
    // and SilentAbort when progress is cancelled.
    using TextSink = std::function<void(const QString& text)>;
    void readLines(const TextSink& sink, Progress& progress = NullProgress::instance(),
                   qsizetype chunkSize = 1 << 20) const;
    // The bound file's whole text as decodeLines gives it. Throws InOutError.
    QString readLines() const;
    // Replaces the bound file with the document's paragraphs as lines, reporting the bytes written
    // to progress. A cancelled write (SilentAbort) or a failed one (InOutError) leaves the old file
    // as it was.
    void writeLines(const QTextDocument& document,
                    Progress& progress = NullProgress::instance()) const;

private:
    QString fileName_;
};
