#pragma once

#include <QTextFormat>

class ByteReader;
class ByteWriter;

// A character, block or list format as bytes: its type and each property with its value, whatever
// the property (Qt's own and the program's alike), for the value types that text formats use:
// bool, int, double, string, string list, colour, brush (style and colour), pen, text length and
// its list, and tab stops. The object index that ties a block to a list is left out: lists are
// recorded by identity beside the formats.
namespace FormatCodec {

void write(ByteWriter& out, const QTextFormat& format);
// Throws RecordError on a format type other than character, block or list, or on an unknown value
// type. Properties that would make the text an object (an image, a frame) are not taken.
QTextFormat read(ByteReader& in);

} // namespace FormatCodec
