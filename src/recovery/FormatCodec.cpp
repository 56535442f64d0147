#include "FormatCodec.h"

#include "RecordFormat.h"

#include <QBrush>
#include <QColor>
#include <QPen>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

enum Tag : quint8 {
    Bool,
    Int,
    Double,
    String,
    StringList,
    Color,
    Brush,
    Pen,
    Length,
    LengthList,
    Tabs,
};

double finite(double v) {
    if (!std::isfinite(v)) {
        throw RecordError("number out of range");
    }
    return v;
}

bool isTaken(int property) {
    return property != QTextFormat::ObjectIndex && property != QTextFormat::ObjectType;
}

void writeColor(ByteWriter& out, const QColor& c) {
    out.u8(c.isValid() ? 1 : 0);
    const QRgba64 v = c.rgba64();
    out.u16(v.red());
    out.u16(v.green());
    out.u16(v.blue());
    out.u16(v.alpha());
}

QColor readColor(ByteReader& in) {
    const bool valid = in.u8() != 0;
    const quint16 r = in.u16();
    const quint16 g = in.u16();
    const quint16 b = in.u16();
    const quint16 a = in.u16();
    return valid ? QColor(QRgba64::fromRgba64(r, g, b, a)) : QColor();
}

void writeBrush(ByteWriter& out, const QBrush& brush) {
    // Gradients and textures have no place in the editor's text; they keep their colour.
    const Qt::BrushStyle style =
        brush.style() <= Qt::DiagCrossPattern ? brush.style() : Qt::SolidPattern;
    out.u8(static_cast<quint8>(style));
    writeColor(out, brush.color());
}

QBrush readBrush(ByteReader& in) {
    const quint8 style = in.u8();
    if (style > Qt::DiagCrossPattern) {
        throw RecordError("unknown brush style");
    }
    const QColor color = readColor(in);
    return style == Qt::NoBrush ? QBrush() : QBrush(color, static_cast<Qt::BrushStyle>(style));
}

void writeLength(ByteWriter& out, const QTextLength& l) {
    out.u8(static_cast<quint8>(l.type()));
    out.f64(l.rawValue());
}

QTextLength readLength(ByteReader& in) {
    const quint8 type = in.u8();
    if (type > QTextLength::PercentageLength) {
        throw RecordError("unknown length type");
    }
    return QTextLength(static_cast<QTextLength::Type>(type), finite(in.f64()));
}

// The tag of a value, or none for a type that text formats do not hold.
std::optional<Tag> tagOf(const QVariant& v) {
    const int id = v.metaType().id();
    switch (id) {
    case QMetaType::Bool:
        return Bool;
    case QMetaType::Int:
        return Int;
    case QMetaType::Double:
        return Double;
    case QMetaType::QString:
        return String;
    case QMetaType::QStringList:
        return StringList;
    case QMetaType::QColor:
        return Color;
    case QMetaType::QBrush:
        return Brush;
    case QMetaType::QPen:
        return Pen;
    default:
        break;
    }
    if (id == qMetaTypeId<QTextLength>()) {
        return Length;
    }
    if (id == qMetaTypeId<QList<QTextLength>>()) {
        return LengthList;
    }
    if (id == qMetaTypeId<QList<QTextOption::Tab>>()) {
        return Tabs;
    }
    return std::nullopt;
}

void writeValue(ByteWriter& out, Tag tag, const QVariant& v) {
    out.u8(tag);
    switch (tag) {
    case Bool:
        out.u8(v.toBool() ? 1 : 0);
        break;
    case Int:
        out.u32(static_cast<quint32>(v.toInt()));
        break;
    case Double:
        out.f64(v.toDouble());
        break;
    case String:
        out.string(v.toString());
        break;
    case StringList: {
        const QStringList list = v.toStringList();
        out.u32(static_cast<quint32>(list.size()));
        for (const QString& s : list) {
            out.string(s);
        }
        break;
    }
    case Color:
        writeColor(out, v.value<QColor>());
        break;
    case Brush:
        writeBrush(out, v.value<QBrush>());
        break;
    case Pen: {
        const QPen pen = v.value<QPen>();
        out.u8(static_cast<quint8>(std::min<int>(pen.style(), Qt::DashDotDotLine)));
        out.f64(pen.widthF());
        writeBrush(out, pen.brush());
        break;
    }
    case Length:
        writeLength(out, v.value<QTextLength>());
        break;
    case LengthList: {
        const auto list = v.value<QList<QTextLength>>();
        out.u32(static_cast<quint32>(list.size()));
        for (const QTextLength& l : list) {
            writeLength(out, l);
        }
        break;
    }
    case Tabs: {
        const auto tabs = v.value<QList<QTextOption::Tab>>();
        out.u32(static_cast<quint32>(tabs.size()));
        for (const QTextOption::Tab& t : tabs) {
            out.f64(t.position);
            out.u8(static_cast<quint8>(t.type));
            out.u16(t.delimiter.unicode());
        }
        break;
    }
    }
}

// A count of items, at most limit.
quint32 readCount(ByteReader& in, quint32 limit) {
    const quint32 n = in.u32();
    if (n > limit) {
        throw RecordError("list too long");
    }
    return n;
}

QVariant readValue(ByteReader& in) {
    constexpr quint32 kMaxItems = 4096;
    switch (in.u8()) {
    case Bool:
        return in.u8() != 0;
    case Int:
        return static_cast<int>(in.u32());
    case Double:
        return finite(in.f64());
    case String:
        return in.string();
    case StringList: {
        QStringList list;
        for (quint32 i = readCount(in, kMaxItems); i > 0; --i) {
            list.append(in.string());
        }
        return list;
    }
    case Color:
        return readColor(in);
    case Brush:
        return readBrush(in);
    case Pen: {
        const quint8 style = in.u8();
        if (style > Qt::DashDotDotLine) {
            throw RecordError("unknown pen style");
        }
        const double width = finite(in.f64());
        return QPen(readBrush(in), width, static_cast<Qt::PenStyle>(style));
    }
    case Length:
        return QVariant::fromValue(readLength(in));
    case LengthList: {
        QList<QTextLength> list;
        for (quint32 i = readCount(in, kMaxItems); i > 0; --i) {
            list.append(readLength(in));
        }
        return QVariant::fromValue(list);
    }
    case Tabs: {
        QList<QTextOption::Tab> tabs;
        for (quint32 i = readCount(in, kMaxItems); i > 0; --i) {
            QTextOption::Tab t;
            t.position = finite(in.f64());
            const quint8 type = in.u8();
            if (type > QTextOption::DelimiterTab) {
                throw RecordError("unknown tab type");
            }
            t.type = static_cast<QTextOption::TabType>(type);
            t.delimiter = QChar(in.u16());
            tabs.append(t);
        }
        return QVariant::fromValue(tabs);
    }
    default:
        throw RecordError("unknown value type");
    }
}

} // namespace

void FormatCodec::write(ByteWriter& out, const QTextFormat& format) {
    out.u8(static_cast<quint8>(format.type()));
    const QMap<int, QVariant> properties = format.properties();
    QByteArray body;
    ByteWriter b(body);
    quint32 count = 0;
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        const std::optional<Tag> tag = tagOf(it.value());
        // A value of another type cannot come into the editor's text (pasted text is rebuilt
        // from the attributes the editor knows), so nothing is lost by leaving it out.
        if (isTaken(it.key()) && tag) {
            b.u32(static_cast<quint32>(it.key()));
            writeValue(b, *tag, it.value());
            ++count;
        }
    }
    out.u32(count);
    out.bytes(body);
}

QTextFormat FormatCodec::read(ByteReader& in) {
    const quint8 type = in.u8();
    if (type != QTextFormat::BlockFormat && type != QTextFormat::CharFormat &&
        type != QTextFormat::ListFormat) {
        throw RecordError("unknown format type");
    }
    QTextFormat format(type);
    for (quint32 n = readCount(in, 1U << 16); n > 0; --n) {
        const auto property = static_cast<int>(in.u32());
        QVariant value = readValue(in);
        if (isTaken(property)) {
            format.setProperty(property, value);
        }
    }
    return format;
}
