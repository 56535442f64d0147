#include "PastedText.h"

#include "BulletRun.h"
#include "Cp1251.h"
#include "LineBreaks.h"
#include "TextFormat.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <cmath>

namespace {

QTextCharFormat editorCharFormat(const QTextCharFormat& from) {
    QTextCharFormat to;
    setStyles(to, stylesOf(from));
    const QStringList families = from.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().trimmed().isEmpty()) {
        to.setFontFamilies({families.first().trimmed().left(kMaxFaceName)});
    }
    qreal points = 0;
    if (from.hasProperty(QTextFormat::FontPointSize)) {
        points = from.fontPointSize();
    } else if (from.hasProperty(QTextFormat::FontPixelSize)) {
        points = from.intProperty(QTextFormat::FontPixelSize) * static_cast<qreal>(kPointsPerInch) /
                 kCssPixelsPerInch;
    }
    const int twips = static_cast<int>(std::lround(points * kTwipsPerPoint));
    if (twips > 0) {
        to.setFontPointSize(static_cast<qreal>(twips) / kTwipsPerPoint);
    }
    if (from.foreground().style() == Qt::SolidPattern) {
        to.setForeground(from.foreground().color());
    }
    return to;
}

QTextBlockFormat editorBlockFormat(const QTextBlockFormat& from) {
    QTextBlockFormat to;
    const ParaAlignment alignment = alignmentOf(from);
    if (alignment != ParaAlignment::Left) {
        to.setAlignment(toQtAlignment(alignment));
    }
    return to;
}

// Copies the source paragraphs one by one into a flat document.
class Flattener {
public:
    explicit Flattener(QTextDocument& out) : cursor_(&out) {}

    void add(const QTextBlock& block) {
        const QTextBlockFormat format = editorBlockFormat(block.blockFormat());
        // The editor's only numbering is the bullet: every list item becomes a bulleted paragraph.
        const bool bullet = block.textList() != nullptr;
        startParagraph(format, bullet);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isImageFormat() || fragment.charFormat().objectIndex() >= 0) {
                continue;
            }
            addText(fragment.text(), editorCharFormat(fragment.charFormat()), format, bullet);
        }
    }

private:
    void startParagraph(const QTextBlockFormat& format, bool bullet) {
        if (first_) {
            first_ = false;
            cursor_.setBlockFormat(format);
        } else {
            cursor_.insertBlock(format, QTextCharFormat());
        }
        if (bullet) {
            bullets_.add(cursor_.block());
        } else {
            bullets_.end();
        }
    }

    // Inserts text in format; a line break inside the source paragraph starts a new one.
    void addText(const QString& text, const QTextCharFormat& charFormat,
                 const QTextBlockFormat& blockFormat, bool bullet) {
        QString piece;
        piece.reserve(text.size());
        for (const QChar c : text) {
            if (LineBreaks::isBreak(c)) {
                cursor_.insertText(piece, charFormat);
                piece.clear();
                startParagraph(blockFormat, bullet);
            } else if (c == QChar::ObjectReplacementCharacter) {
                continue;
            } else {
                piece.append(Cp1251::storable(c));
            }
        }
        cursor_.insertText(piece, charFormat);
    }

    QTextCursor cursor_;
    BulletRun bullets_;
    bool first_ = true;
};

QTextFrame* frameOf(const QTextBlock& block) {
    return QTextCursor(block).currentFrame();
}

// Whether other lies inside frame, deeper than frame itself.
bool isInside(QTextFrame* other, QTextFrame* frame) {
    for (QTextFrame* f = other; f != nullptr; f = f->parentFrame()) {
        if (f->parentFrame() == frame) {
            return true;
        }
    }
    return false;
}

// Whether block stands right before or after a table (a frame inside its own frame).
bool bordersFrame(const QTextBlock& block) {
    QTextFrame* const frame = frameOf(block);
    return (block.previous().isValid() && isInside(frameOf(block.previous()), frame)) ||
           (block.next().isValid() && isInside(frameOf(block.next()), frame));
}

} // namespace

namespace PastedText {

void fromHtml(const QString& html, QTextDocument& out) {
    QTextDocument source;
    source.setUndoRedoEnabled(false);
    source.setHtml(html);
    out.setUndoRedoEnabled(false);
    Flattener flat(out);
    // Block order is reading order, table cells included. The empty paragraphs that only hold a
    // table's place in its frame are left out.
    for (QTextBlock block = source.begin(); block.isValid(); block = block.next()) {
        if (block.length() > 1 || !bordersFrame(block)) {
            flat.add(block);
        }
    }
}

} // namespace PastedText

FragmentMimeData::FragmentMimeData(const QTextDocumentFragment& fragment) : fragment_(fragment) {}

QStringList FragmentMimeData::formats() const {
    return {QStringLiteral("text/html"), QStringLiteral("text/plain")};
}

bool FragmentMimeData::hasFormat(const QString& mimeType) const {
    return formats().contains(mimeType);
}

QVariant FragmentMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    // Made only when another program asks: HTML of a large selection is costly.
    if (mimeType == QLatin1String("text/html")) {
        return fragment_.toHtml();
    }
    if (mimeType == QLatin1String("text/plain")) {
        return fragment_.toPlainText();
    }
    return QMimeData::retrieveData(mimeType, type);
}
