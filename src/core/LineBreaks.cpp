#include "LineBreaks.h"

#include "Cp1251.h"

#include <algorithm>

namespace LineBreaks {

namespace {

// Whether ch enters the editor as it is: the common characters are decided without a table.
bool keptAsIs(QChar ch) {
    const char16_t u = ch.unicode();
    if (u < 0x80) {
        return u != u'\r';
    }
    if (u >= 0x0410 && u <= 0x044F) { // А..я, all in Windows-1251
        return true;
    }
    return !isSeparator(ch) && Cp1251::canEncode(ch);
}

qsizetype firstToChange(QStringView text) {
    const QChar* data = text.data();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (!keptAsIs(data[i])) {
            return i;
        }
    }
    return size;
}

} // namespace

QString toCrLf(const QString& text) {
    // One pass: separators become CR LF; the runs between them are copied whole.
    const QChar* data = text.constData();
    const qsizetype n = text.size();
    const auto breaks = std::count_if(data, data + n, isSeparator);
    if (breaks == 0) {
        return text;
    }
    QString out(n + breaks, Qt::Uninitialized);
    QChar* dst = out.data();
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (isSeparator(data[i])) {
            dst = std::copy(data + runStart, data + i, dst);
            *dst++ = QLatin1Char('\r');
            *dst++ = QLatin1Char('\n');
            runStart = i + 1;
        }
    }
    std::copy(data + runStart, data + n, dst);
    return out;
}

QString toLf(QString text) {
    std::replace_if(text.begin(), text.end(), isSeparator, QLatin1Char('\n'));
    return text;
}

QString crLfToSeparators(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QString(QChar::ParagraphSeparator));
    return out;
}

QString toEditorText(QStringView text) {
    const qsizetype size = text.size();
    const qsizetype first = firstToChange(text);
    QString out(size, Qt::Uninitialized);
    QChar* dst = out.data();
    std::copy(text.begin(), text.begin() + first, dst);
    qsizetype n = first;
    for (qsizetype i = first; i < size; ++i) {
        const QChar ch = text[i];
        if (keptAsIs(ch)) {
            dst[n++] = ch;
        } else if (ch == QLatin1Char('\r')) {
            if (i + 1 < size && text[i + 1] == QLatin1Char('\n')) {
                ++i;
            }
            dst[n++] = QLatin1Char('\n');
        } else if (isSeparator(ch)) {
            dst[n++] = QLatin1Char('\n');
        } else {
            dst[n++] = Cp1251::storable(ch);
        }
    }
    out.truncate(n);
    return out;
}

QString toEditorText(const QString& text) {
    // Text that needs no change is shared, not copied: a freshly read file is already clean.
    return firstToChange(text) == text.size() ? text : toEditorText(QStringView(text));
}

} // namespace LineBreaks
