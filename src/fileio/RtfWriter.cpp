#include "RtfWriter.h"

#include "Cp1251.h"
#include "DocumentTabs.h"
#include "Errors.h"
#include "FileName.h"
#include "FileWriter.h"
#include "FontKind.h"
#include "PageSetup.h"
#include "ParagraphGeometry.h"
#include "ParagraphPieces.h"
#include "TextFile.h"
#include "TextFormat.h"

#include <QDir>
#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace {

constexpr qsizetype kChunk = 1 << 20;
// The character set written for a face whose set is the default one: this is a Cyrillic program.
constexpr int kDefaultCharsetOut = Charset::Russian;

struct CharState {
    int font = -1;
    int halfPoints = 0;
    int color = 0; // 0: the automatic colour
    FontStyles styles;
    friend bool operator==(const CharState&, const CharState&) = default;
};

struct ParaState {
    ParaAlignment alignment = ParaAlignment::Left;
    int left = 0;
    int firstLine = 0;
    int right = 0;
    bool bullet = false;
    // Where the editor starts the first line's text, and its stop at the later lines' start (0:
    // none), in twips from the margin.
    int lineStart = 0;
    int hangingStop = 0;
    friend bool operator==(const ParaState&, const ParaState&) = default;
};

struct FontKey {
    QString family;
    int charset;
    friend bool operator==(const FontKey&, const FontKey&) = default;
};

size_t qHash(const FontKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.family, key.charset);
}

// What each byte of Windows-1251 becomes in RTF text.
const std::array<QByteArray, 256>& byteEscapes() {
    static const std::array<QByteArray, 256> table = [] {
        std::array<QByteArray, 256> t;
        for (int b = 0; b < 256; ++b) {
            if (b == '\\' || b == '{' || b == '}') {
                t[b] = QByteArray(1, '\\') + static_cast<char>(b);
            } else if (b == '\t') {
                t[b] = "\\tab ";
            } else if (b < 0x20) {
                t[b] = QByteArray("\\'") + QByteArray::number(b, 16).rightJustified(2, '0');
            } else if (b < 0x80) {
                t[b] = QByteArray(1, static_cast<char>(b));
            } else {
                // \uN takes a signed 16-bit N; under \uc1 the \'xx after it is the fallback.
                const auto n =
                    static_cast<qint16>(Cp1251::toUnicode(static_cast<uchar>(b)).unicode());
                t[b] = "\\u" + QByteArray::number(n) + "\\'" + QByteArray::number(b, 16);
            }
        }
        return t;
    }();
    return table;
}

// The font table's words for a face's kind, in the order of FontKind's values.
constexpr std::array<const char*, 7> kFamilyWords{"\\fnil",    "\\froman", "\\fswiss", "\\fmodern",
                                                  "\\fscript", "\\fdecor", "\\ftech"};
constexpr std::array<const char*, 3> kPitchWords{"", "\\fprq1", "\\fprq2"};

const char* alignmentControl(ParaAlignment alignment) {
    switch (alignment) {
    case ParaAlignment::Center:
        return "\\qc";
    case ParaAlignment::Right:
        return "\\qr";
    case ParaAlignment::Left:
        break;
    }
    return "\\ql";
}

class Writer {
public:
    Writer(const QTextDocument& doc, const RtfWriter::Sink& sink, Progress& progress)
        : doc_(doc), sink_(sink), progress_(progress), setStops_(DocumentTabs::setStopsTwips(doc)) {
        out_.reserve(kChunk + 4096);
    }

    void run() {
        // Progress counts the document's characters written.
        progress_.begin(doc_.characterCount());
        collectTables();
        writeHeader();
        for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
            writePiece(block);
            const QTextBlock next = block.next();
            const ParagraphPieces::Joint joint = pieces_.jointBefore(next);
            if (joint == ParagraphPieces::Joint::Space) {
                // The separator stands for a space, in the format it holds.
                writeCharFormat(next.charFormatIndex());
                out_.append(' ');
            } else if (joint == ParagraphPieces::Joint::Break && next.isValid()) {
                out_.append("\\par\r\n");
            }
            if (out_.size() >= kChunk) {
                sink_(QByteArrayView(out_));
                out_.resize(0);
                progress_.step(block.position() + block.length());
            }
        }
        out_.append("}\r\n");
        sink_(QByteArrayView(out_));
        progress_.step(doc_.characterCount());
    }

private:
    int fontIndex(const FontKey& key) {
        auto it = fonts_.constFind(key);
        if (it != fonts_.constEnd()) {
            return it.value();
        }
        const int index = static_cast<int>(fontOrder_.size());
        fonts_.insert(key, index);
        fontOrder_.push_back(key);
        return index;
    }

    int colorIndex(const QBrush& brush) {
        if (brush.style() == Qt::NoBrush) {
            return 0;
        }
        const QRgb rgb = brush.color().rgb() & 0xFFFFFF;
        auto it = colors_.constFind(rgb);
        if (it != colors_.constEnd()) {
            return it.value();
        }
        colorOrder_.push_back(rgb);
        const int index = static_cast<int>(colorOrder_.size());
        colors_.insert(rgb, index);
        return index;
    }

    CharState charState(const QTextCharFormat& f) {
        QString family = f.fontFamilies().toStringList().value(0);
        if (family.isEmpty()) {
            family = f.property(QTextFormat::FontFamily).toString();
        }
        if (family.isEmpty()) {
            family = doc_.defaultFont().family();
        }
        int charset = f.hasProperty(TextProperty::Charset) ? f.intProperty(TextProperty::Charset)
                                                           : Charset::Default;
        if (charset == Charset::Default) {
            charset = kDefaultCharsetOut;
        }
        qreal points = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize()
                                                                 : doc_.defaultFont().pointSizeF();
        if (points <= 0) {
            points = 12;
        }
        CharState s;
        s.font = fontIndex({family, charset});
        s.halfPoints = static_cast<int>(std::lround(points * 2));
        s.color = f.hasProperty(QTextFormat::ForegroundBrush) ? colorIndex(f.foreground()) : 0;
        s.styles = stylesOf(f);
        return s;
    }

    // Fonts and colours of the character formats the text uses, numbered in the order of their
    // first use, so that the tables depend on the text alone and not on formats the document
    // held once (the collection keeps every format ever used). States are kept by format index,
    // which is what a run's charFormatIndex() counts in.
    void collectTables() {
        const QList<QTextFormat> formats = doc_.allFormats();
        states_.resize(formats.size());
        std::vector<signed char> seen(formats.size(), 0); // block formats: 1 bullet, -1 none
        const auto use = [&](int index) {
            if (index >= 0 && index < formats.size() && seen[index] == 0 &&
                formats[index].isCharFormat()) {
                seen[index] = 1;
                states_[index] = charState(formats[index].toCharFormat());
            }
        };
        const auto bulleted = [&](const QTextBlock& block) {
            const int index = block.blockFormatIndex();
            if (index < 0 || index >= formats.size()) {
                return false;
            }
            if (seen[index] == 0) {
                const int object = formats[index].objectIndex();
                seen[index] = qobject_cast<const QTextList*>(doc_.object(object)) ? 1 : -1;
            }
            return seen[index] > 0;
        };
        fontIndex({doc_.defaultFont().family(), kDefaultCharsetOut});
        for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
            if (symbolFont_ < 0 && !pieces_.continues(block) && bulleted(block)) {
                symbolFont_ = fontIndex({QStringLiteral("Symbol"), Charset::Symbol});
            }
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                use(it.fragment().charFormatIndex());
            }
            if (pieces_.continues(block.next())) {
                use(block.next().charFormatIndex());
            }
        }
    }

    void writeHeader() {
        out_.append(R"({\rtf1\ansi\ansicpg1251\deff0\deflang1049{\fonttbl)");
        for (size_t i = 0; i < fontOrder_.size(); ++i) {
            const FontKey& key = fontOrder_[i];
            const FontKind kind = FontKind::of(key.family, key.charset);
            out_.append("{\\f" + QByteArray::number(i) +
                        kFamilyWords.at(static_cast<size_t>(kind.family)) + "\\fcharset" +
                        QByteArray::number(key.charset) +
                        kPitchWords.at(static_cast<size_t>(kind.pitch)) + ' ');
            appendText(key.family);
            out_.append(";}");
        }
        out_.append("}\r\n{\\colortbl ;");
        for (const QRgb rgb : colorOrder_) {
            out_.append("\\red" + QByteArray::number(qRed(rgb)) + "\\green" +
                        QByteArray::number(qGreen(rgb)) + "\\blue" +
                        QByteArray::number(qBlue(rgb)) + ';');
        }
        out_.append("}\r\n");
        if (symbolFont_ >= 0) {
            writeListTable();
        }
        writePage();
        out_.append("\\viewkind4\\uc1");
    }

    // The page and the default stops, so that every reader wraps and tabs alike.
    void writePage() {
        const auto word = [this](const char* name, int value) {
            out_.append(name + QByteArray::number(value));
        };
        word("\\paperw", page_.paperWidth);
        word("\\paperh", page_.paperHeight);
        word("\\margl", page_.margin);
        word("\\margr", page_.margin);
        word("\\margt", page_.margin);
        word("\\margb", page_.margin);
        word("\\deftab", DocumentTabs::kDefaultStopTwips);
        out_.append("\r\n");
    }

    // One bullet list definition, for readers that know lists only in this form. The tab after
    // the bullet goes to a stop at the hanging indent (each paragraph states its own as well).
    void writeListTable() {
        const QByteArray f = QByteArray::number(symbolFont_);
        out_.append("{\\*\\listtable{\\list\\listtemplateid1\\listsimple{\\listlevel\\levelnfc23"
                    "\\leveljc0\\levelfollow0\\levelstartat1{\\leveltext\\'01\\'b7;}"
                    "{\\levelnumbers;}\\f" +
                    f + "\\fi-200\\li200\\jclisttab\\tx200}\\listid1}}\r\n");
        out_.append(
            "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\r\n");
    }

    static ParaState paraState(const QTextBlock& block) {
        const QTextBlockFormat f = block.blockFormat();
        const int start = f.intProperty(TextProperty::StartIndent);
        const int offset = f.intProperty(TextProperty::Offset);
        ParaState s;
        s.alignment = alignmentOf(f);
        // The first line stands at the start indent, the later ones at start + offset.
        s.left = start + offset;
        s.firstLine = -offset;
        s.right = f.intProperty(TextProperty::RightIndent);
        s.bullet = block.textList() != nullptr;
        const ParagraphGeometry::LineStarts starts = ParagraphGeometry::lineStarts(f);
        s.lineStart = static_cast<int>(starts.firstLine);
        // After a bullet the text goes on at the later lines' start.
        if (s.bullet || starts.later > starts.firstLine) {
            s.hangingStop = static_cast<int>(starts.later);
        }
        return s;
    }

    // Writes a paragraph, or one piece of a paragraph held in pieces: only its first piece starts
    // the paragraph.
    void writePiece(const QTextBlock& block) {
        if (!pieces_.continues(block)) {
            const ParaState para = paraState(block);
            if (!havePara_ || para != para_) {
                writeParaState(para);
                // Restated after \plain: the first run's, or the paragraph mark's when empty.
                const auto first = block.begin();
                writeCharFormat(first.atEnd() ? block.charFormatIndex()
                                              : first.fragment().charFormatIndex());
            }
            if (para.bullet) {
                out_.append("{\\listtext\\f" + QByteArray::number(symbolFont_) + "\\'b7\\tab}");
            }
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            writeCharFormat(fragment.charFormatIndex());
            appendText(fragment.text());
        }
    }

    void writeCharFormat(int index) {
        if (index >= 0 && static_cast<size_t>(index) < states_.size()) {
            writeCharState(states_[index]);
        }
    }

    void writeParaState(const ParaState& p) {
        out_.append("\\pard\\plain");
        if (p.bullet) {
            const QByteArray f = QByteArray::number(symbolFont_);
            out_.append(R"(\ls1\ilvl0{\*\pn\pnlvlblt\pnf)" + f + R"(\pnindent0{\pntxtb\'b7}})");
        }
        out_.append(alignmentControl(p.alignment));
        if (p.left != 0) {
            out_.append("\\li" + QByteArray::number(p.left));
        }
        if (p.firstLine != 0) {
            out_.append("\\fi" + QByteArray::number(p.firstLine));
        }
        if (p.right != 0) {
            out_.append("\\ri" + QByteArray::number(p.right));
        }
        for (const int stop : DocumentTabs::paragraphStops(setStops_, p.lineStart, p.hangingStop,
                                                           page_.textWidth() - p.right)) {
            out_.append("\\tx" + QByteArray::number(stop));
        }
        out_.append(' ');
        para_ = p;
        havePara_ = true;
        // \plain set the character state to the reader's defaults: font, size and colour are
        // all written again, the styles that are on.
        char_ = CharState{};
        char_.halfPoints = -1;
        char_.color = -1;
        haveChar_ = true;
    }

    // Writes only what differs from the current state, so runs cost little.
    void writeCharState(const CharState& s) {
        if (haveChar_ && s == char_) {
            return;
        }
        const auto flag = [this, &s](FontStyle style, const char* on, const char* off) {
            const bool now = s.styles.testFlag(style);
            if (!haveChar_ || now != char_.styles.testFlag(style)) {
                out_.append(now ? on : off);
            }
        };
        if (!haveChar_ || s.font != char_.font) {
            out_.append("\\f" + QByteArray::number(s.font));
        }
        if (!haveChar_ || s.halfPoints != char_.halfPoints) {
            out_.append("\\fs" + QByteArray::number(s.halfPoints));
        }
        if (!haveChar_ || s.color != char_.color) {
            out_.append("\\cf" + QByteArray::number(s.color));
        }
        flag(fsBold, "\\b", "\\b0");
        flag(fsItalic, "\\i", "\\i0");
        flag(fsUnderline, "\\ul", "\\ulnone");
        flag(fsStrikeOut, "\\strike", "\\strike0");
        out_.append(' ');
        char_ = s;
        haveChar_ = true;
    }

    void appendText(QStringView text) {
        const auto& escapes = byteEscapes();
        const auto& bytes = Cp1251::encodeTable();
        for (const QChar ch : text) {
            if (ch == QChar::LineSeparator) {
                out_.append("\\line ");
                continue;
            }
            const auto b = static_cast<unsigned char>(bytes[ch.unicode()]);
            if (b >= 0x20 && b < 0x80 && b != '\\' && b != '{' && b != '}') {
                out_.append(static_cast<char>(b));
            } else {
                out_.append(escapes[b]);
            }
        }
    }

    const QTextDocument& doc_;
    const RtfWriter::Sink& sink_;
    Progress& progress_;
    const ParagraphPieces::Marks pieces_;
    const PageSetup page_ = PageSetup::local();
    const QList<int> setStops_;
    QByteArray out_;
    QHash<FontKey, int> fonts_;
    std::vector<FontKey> fontOrder_;
    QHash<QRgb, int> colors_;
    std::vector<QRgb> colorOrder_;
    std::vector<CharState> states_;
    int symbolFont_ = -1;
    ParaState para_;
    bool havePara_ = false;
    CharState char_;
    bool haveChar_ = false;
};

} // namespace

void RtfWriter::write(const QTextDocument& document, const Sink& sink, Progress& progress) {
    Writer(document, sink, progress).run();
}

QByteArray RtfWriter::toRtf(const QTextDocument& document) {
    QByteArray all;
    write(document, [&all](QByteArrayView chunk) { all.append(chunk); });
    return all;
}

FileStamp RtfWriter::save(const QTextDocument& document, const QString& fileName,
                          Progress& progress) {
    std::optional<FileWriter> writer;
    try {
        writer.emplace(fileName, progress, document.characterCount());
    } catch (const InOutError& e) {
        throw Error(QStringLiteral("Cannot create file \"%1\". %2")
                        .arg(QDir::toNativeSeparators(FileName::display(fileName)), e.message()));
    }
    try {
        try {
            write(
                document, [&writer](QByteArrayView chunk) { writer->write(chunk); },
                writer->progress());
        } catch (...) {
            // A cancel (SilentAbort) or a failed write: the old file is put back.
            writer->abandon();
            throw;
        }
        return writer->commit();
    } catch (const InOutError& e) {
        // What the user must know beyond the failure: where the old contents are kept.
        const QString failed = QStringLiteral("Failed to Save Stream");
        throw Error(e.note().isEmpty() ? failed : failed + QStringLiteral(".\n") + e.note());
    }
}
