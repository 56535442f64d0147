#pragma once

#include "FileStamp.h"
#include "Progress.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

class QFile;
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

    // Once the text has ended: the offset of the first byte it leaves out (the Ctrl-Z at the
    // start of a line, or the one that began the skipped rest of a line in which a second one
    // stands), and the line that byte stands in, counted from 1. -1 before.
    qint64 unreadFrom() const { return ended_ ? unreadFrom_ : -1; }
    qint64 unreadLine() const { return ended_ ? unreadLine_ : -1; }

private:
    bool lineStart_ = true; // no byte of the current line read yet
    bool skipping_ = false; // in the rest of a line that a Ctrl-Z ended
    bool ended_ = false;
    qint64 offset_ = 0;     // bytes decoded before the current piece
    qint64 line_ = 1;       // the line being read
    qint64 unreadFrom_ = 0; // while skipping: where the skipped rest began
    qint64 unreadLine_ = 0;
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
    // What reading a file found besides its text.
    struct Read {
        FileStamp stamp;     // the file as it was opened
        QByteArray unread;   // the bytes from the Ctrl-Z that ended the text on, if one did
        qint64 unreadLine{}; // the line that Ctrl-Z stands in, counted from 1
    };

    void assign(const QString& fileName) { fileName_ = fileName; }
    const QString& fileName() const { return fileName_; }

    // The most bytes a file may have to be read: what the editor can hold, and no more than a
    // quarter of the machine's memory, as the text takes several times its size.
    static qint64 readLimit();

    // Reads the bound file a chunk at a time and hands sink the text of each chunk as
    // decodeLines gives it, then reports the bytes read so far to progress. Only a regular file
    // is read: a pipe, socket or device is refused (NotRegularFile) without waiting for it. A
    // file of more than limit bytes, or one that grows past it while it is read, is refused with
    // Error. Throws InOutError, and SilentAbort when progress is cancelled.
    using TextSink = std::function<void(const QString& text)>;
    Read readLines(const TextSink& sink, Progress& progress = NullProgress::instance(),
                   qsizetype chunkSize = 1 << 20, qint64 limit = readLimit()) const;
    // The bound file's whole text as decodeLines gives it. Throws InOutError.
    QString readLines() const;
    // Replaces the bound file with the document's paragraphs as lines, then the bytes unread,
    // reporting the bytes written to progress; returns the stamp of the written file. A cancelled
    // write (SilentAbort) or a failed one (InOutError) leaves the old file as it was.
    FileStamp writeLines(const QTextDocument& document,
                         Progress& progress = NullProgress::instance(),
                         QByteArrayView unread = {}) const;

private:
    // Opens the bound file for reading without waiting on it; refuses what is not a regular file.
    void open(QFile& file) const;

    QString fileName_;
};
