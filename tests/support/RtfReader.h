#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cctype>

// A small RTF reader for checking what RtfWriter writes: the font and colour tables, and each
// paragraph's text with the character state of every character and the paragraph's properties.
// Knows the control words the writer uses; skips \* destinations and list texts.
struct RtfChar {
    int font = 0;
    int fs = 24;
    int cf = 0;
    bool b = false, i = false, ul = false, strike = false;
};

struct RtfParagraph {
    QString text;
    QList<RtfChar> chars;
    char align = 'l';
    int li = 0, fi = 0, ri = 0;
    bool bullet = false;
};

struct RtfDocument {
    QMap<int, QString> fonts;
    QMap<int, int> charsets;
    QList<QRgb> colors; // index 0 is the automatic colour
    QList<RtfParagraph> paragraphs;
    bool ok = false;
    QString error;
};

class RtfReader {
public:
    static RtfDocument read(const QByteArray& rtf) {
        RtfReader r(rtf);
        r.parse();
        return r.doc_;
    }

private:
    enum class Dest { Body, FontTable, ColorTable, Skip };
    struct State {
        RtfChar ch;
        Dest dest = Dest::Body;
        int uc = 1;
    };

    explicit RtfReader(const QByteArray& rtf) : s_(rtf) { doc_.paragraphs.append(RtfParagraph()); }

    void parse() {
        QList<State> stack;
        State st;
        int skip = 0; // fallback characters still to skip after \u
        int depth = 0;
        for (qsizetype i = 0; i < s_.size();) {
            const char c = s_[i];
            if (c == '{') {
                stack.append(st);
                ++depth;
                ++i;
                if (s_.mid(i, 2) == "\\*") {
                    st.dest = Dest::Skip;
                }
            } else if (c == '}') {
                if (st.dest == Dest::FontTable && !pendingFont_.isEmpty()) {
                    pendingFont_.clear();
                }
                if (stack.isEmpty()) {
                    doc_.error = QStringLiteral("unbalanced }");
                    return;
                }
                st = stack.takeLast();
                --depth;
                ++i;
                if (depth == 0) {
                    doc_.ok = i >= s_.trimmed().size();
                    return;
                }
            } else if (c == '\\') {
                i = control(i, st, skip);
            } else if (c == '\r' || c == '\n') {
                ++i;
            } else {
                if (skip > 0) {
                    --skip;
                } else {
                    put(st, QChar::fromLatin1(c));
                }
                ++i;
            }
        }
        doc_.error = QStringLiteral("missing final }");
    }

    qsizetype control(qsizetype i, State& st, int& skip) {
        const char next = i + 1 < s_.size() ? s_[i + 1] : '\0';
        if (next == '\\' || next == '{' || next == '}') {
            if (skip > 0) {
                --skip;
            } else {
                put(st, QChar::fromLatin1(next));
            }
            return i + 2;
        }
        if (next == '\'') {
            const int byte = s_.mid(i + 2, 2).toInt(nullptr, 16);
            if (skip > 0) {
                --skip;
            } else {
                // A bare \'xx above 127 is marked as not decoded: the writer puts \uN before each.
                put(st, byte < 0x80 ? QChar(byte) : QChar(0xF000 + byte));
            }
            return i + 4;
        }
        qsizetype j = i + 1;
        while (j < s_.size() && std::isalpha(static_cast<unsigned char>(s_[j]))) {
            ++j;
        }
        const QByteArray word = s_.mid(i + 1, j - i - 1);
        qsizetype k = j;
        if (k < s_.size() && (s_[k] == '-' || std::isdigit(static_cast<unsigned char>(s_[k])))) {
            ++k;
            while (k < s_.size() && std::isdigit(static_cast<unsigned char>(s_[k]))) {
                ++k;
            }
        }
        const bool hasArg = k > j;
        const int arg = hasArg ? s_.mid(j, k - j).toInt() : 1;
        if (k < s_.size() && s_[k] == ' ') {
            ++k;
        }
        apply(word, hasArg, arg, st, skip);
        return k;
    }

    void apply(const QByteArray& w, bool hasArg, int arg, State& st, int& skip) {
        RtfChar& ch = st.ch;
        RtfParagraph& p = doc_.paragraphs.last();
        if (w == "fonttbl") {
            st.dest = Dest::FontTable;
        } else if (w == "colortbl") {
            st.dest = Dest::ColorTable;
        } else if (w == "listtext" || w == "pntext" || w == "listtable" ||
                   w == "listoverridetable") {
            st.dest = Dest::Skip;
        } else if (w == "red") {
            red_ = arg;
        } else if (w == "green") {
            green_ = arg;
        } else if (w == "blue") {
            doc_.colors.append(qRgb(red_, green_, arg));
        } else if (w == "f") {
            ch.font = arg;
            if (st.dest == Dest::FontTable) {
                pendingFont_ = QString::number(arg);
            }
        } else if (w == "fcharset") {
            doc_.charsets[pendingFont_.toInt()] = arg;
        } else if (w == "fs") {
            ch.fs = arg;
        } else if (w == "cf") {
            ch.cf = arg;
        } else if (w == "b" || w == "i" || w == "strike") {
            (w == "b" ? ch.b : w == "i" ? ch.i : ch.strike) = !hasArg || arg != 0;
        } else if (w == "ul") {
            ch.ul = !hasArg || arg != 0;
        } else if (w == "ulnone") {
            ch.ul = false;
        } else if (w == "uc") {
            st.uc = arg;
        } else if (w == "u") {
            put(st, QChar(static_cast<char16_t>(static_cast<qint16>(arg))));
            skip = st.uc;
        } else if (w == "tab") {
            put(st, QLatin1Char('\t'));
        } else if (w == "line") {
            put(st, QChar::LineSeparator);
        } else if (w == "par" && st.dest == Dest::Body) {
            RtfParagraph next;
            next.align = p.align;
            next.li = p.li, next.fi = p.fi, next.ri = p.ri, next.bullet = p.bullet;
            doc_.paragraphs.append(next);
        } else if (w == "plain") {
            ch = RtfChar();
        } else if (w == "pard") {
            p.align = 'l', p.li = p.fi = p.ri = 0, p.bullet = false;
        } else if (w == "ql" || w == "qc" || w == "qr") {
            p.align = w[1];
        } else if (w == "li" || w == "fi" || w == "ri") {
            (w == "li" ? p.li : w == "fi" ? p.fi : p.ri) = arg;
        } else if (w == "ls") {
            p.bullet = true;
        }
    }

    void put(State& st, QChar c) {
        if (st.dest == Dest::FontTable) {
            if (c == QLatin1Char(';')) {
                doc_.fonts[pendingFont_.toInt()] = fontName_.trimmed();
                fontName_.clear();
            } else {
                fontName_.append(c);
            }
        } else if (st.dest == Dest::ColorTable) {
            if (c == QLatin1Char(';') && doc_.colors.isEmpty() && !autoColor_) {
                autoColor_ = true;
                doc_.colors.append(0);
            }
        } else if (st.dest == Dest::Body) {
            doc_.paragraphs.last().text.append(c);
            doc_.paragraphs.last().chars.append(st.ch);
        }
    }

    QByteArray s_;
    RtfDocument doc_;
    QString pendingFont_;
    QString fontName_;
    int red_ = 0, green_ = 0;
    bool autoColor_ = false;
};
