#pragma once

#include "FileWriter.h"

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

    // The bound file's text as decodeLines gives it. Throws InOutError.
    QString readLines() const;
    // Replaces the bound file with the document's paragraphs as lines. Throws InOutError.
    void writeLines(const QTextDocument& document) const;

private:
    QString fileName_;
};
