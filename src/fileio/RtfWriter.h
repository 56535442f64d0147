#pragma once

#include "FileStamp.h"
#include "Progress.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

class QTextDocument;

// Writes a document as Rich Text Format: Windows-1251 (\ansicpg1251) with every character above
// 127 as \uN followed by its Windows-1251 byte, a font table with each face's character set, a
// colour table, character styles, sizes, colours and faces, paragraph alignment, indents and
// bullets. One pass over the document's paragraphs and runs.
class RtfWriter {
public:
    using Sink = std::function<void(QByteArrayView)>;

    // Streams the RTF of document to sink in chunks of about a megabyte, reporting the characters
    // written after each to progress. Throws SilentAbort when progress is cancelled.
    static void write(const QTextDocument& document, const Sink& sink,
                      Progress& progress = NullProgress::instance());
    static QByteArray toRtf(const QTextDocument& document);
    // Replaces fileName with the RTF of document, atomically. Throws Error: "Cannot create file
    // "%s". %s" when the file cannot be created, "Failed to Save Stream" when writing fails, and
    // SilentAbort when progress is cancelled; the old file then stays as it was. Returns the stamp
    // of the written file.
    static FileStamp save(const QTextDocument& document, const QString& fileName,
                          Progress& progress = NullProgress::instance());
};
