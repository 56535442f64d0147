#include "RtfWriter.h"

#include "DocumentTabs.h"
#include "Errors.h"
#include "FileName.h"
#include "FileWriter.h"
#include "PageSetup.h"
#include "ParagraphGeometry.h"
#include "ParagraphPieces.h"
#include "RtfTables.h"
#include "RtfText.h"
#include "TextFile.h"
#include "TextFormat.h"

#include <QDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <optional>

namespace {

constexpr qsizetype kChunk = 1 << 20;

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
        : doc_(doc), sink_(sink), progress_(progress), tables_(doc, pieces_),
          setStops_(DocumentTabs::setStopsTwips(doc)) {
        out_.reserve(kChunk + 4096);
    }

    void run() {
        // Progress counts the document's characters written.
        progress_.begin(doc_.characterCount());
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
    void writeHeader() {
        out_.append(R"({\rtf1\ansi\ansicpg1251\deff0\deflang1049)");
        tables_.write(out_);
        if (tables_.symbolFont() >= 0) {
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
        const QByteArray f = QByteArray::number(tables_.symbolFont());
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
                out_.append("{\\listtext\\f" + QByteArray::number(tables_.symbolFont()) +
                            "\\'b7\\tab}");
            }
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            writeCharFormat(fragment.charFormatIndex());
            appendText(fragment.text());
        }
    }

    void writeCharFormat(int index) {
        if (const RtfCharState* state = tables_.charState(index)) {
            writeCharState(*state);
        }
    }

    void writeParaState(const ParaState& p) {
        out_.append("\\pard\\plain");
        if (p.bullet) {
            const QByteArray f = QByteArray::number(tables_.symbolFont());
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
        char_ = RtfCharState{};
        char_.halfPoints = -1;
        char_.color = -1;
        haveChar_ = true;
    }

    // Writes only what differs from the current state, so runs cost little.
    void writeCharState(const RtfCharState& s) {
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

    void appendText(QStringView text) { RtfText::append(out_, text); }

    const QTextDocument& doc_;
    const RtfWriter::Sink& sink_;
    Progress& progress_;
    const ParagraphPieces::Marks pieces_;
    const RtfTables tables_;
    const PageSetup page_ = PageSetup::local();
    const QList<int> setStops_;
    QByteArray out_;
    ParaState para_;
    bool havePara_ = false;
    RtfCharState char_;
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
