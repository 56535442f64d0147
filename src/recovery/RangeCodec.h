#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QPointer>
#include <QTextFormat>

class QTextBlock;
class QTextDocument;
class QTextList;

// The Replace entry of a record: "replace the recorded document's characters [at, at + removed)
// with this text", where the text is a stretch of a live document with everything Qt keeps of it:
// each character's format, the block format and block character format of every paragraph (or
// paragraph piece) that starts in it and of the one it starts in, and the list each of those
// belongs to. Applied to a copy of the document as it stood before, it gives the document's
// blocks, formats and lists as they stand in the live one, whatever their properties.
namespace RangeCodec {

// The payload of a Replace entry: the recorded document's [at, at + removed) becomes
// document's Qt positions [from, to) (the final paragraph end, which no edit removes, left out).
QByteArray encode(const QTextDocument& document, int at, int removed, int from, int to);

// The lists of a document rebuilt from a record, by the identity they had in the live document.
class Lists {
public:
    // Gives block format and puts it into the list recorded as id (made with listFormat when it
    // is new), or into none for id -1.
    void place(const QTextBlock& block, QTextBlockFormat format, qint64 id,
               const QTextListFormat& listFormat);

private:
    QHash<qint64, QPointer<QTextList>> lists_;
};

// Applies a Replace payload to document. Throws RecordError when the payload is malformed or
// does not fit the document (a stretch beyond its end).
void apply(QTextDocument& document, QByteArrayView payload, Lists& lists);

} // namespace RangeCodec
