#include "BlockPainter.h"

#include "ParagraphPieces.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextList>
#include <cmath>

namespace {

using PaintContext = QAbstractTextDocumentLayout::PaintContext;

void drawBullet(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                const QTextCharFormat* selectionFormat, QPaintDevice* device) {
    const QTextLayout* layout = block.layout();
    if (layout->lineCount() == 0) {
        return;
    }
    // The disc follows the paragraph's text: the format of its first character (the paragraph
    // mark's only when the paragraph is empty), as Qt's own layout takes it.
    QFont font = QTextCursor(block).charFormat().font();
    if (device != nullptr) {
        font = QFont(font, device);
    }
    const QFontMetrics metrics(font);
    // The disc stands one space to the left of the first line's text, centred on its height.
    QPointF pos = (layout->position()).toPoint();
    pos += layout->lineAt(0).naturalTextRect().topLeft().toPoint();
    // Whole pixels: the disc's side and the text's half height are truncated.
    const qreal side = std::floor(metrics.lineSpacing() / 3.0);
    QRectF disc(pos, QSizeF(side, side));
    disc.translate(-metrics.horizontalAdvance(QLatin1Char(' ')) - side,
                   std::floor(metrics.height() / 2.0) - side / 2);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (selectionFormat != nullptr) {
        painter->fillRect(disc, selectionFormat->background());
    }
    painter->setBrush(context.palette.brush(QPalette::Text));
    painter->setPen(Qt::NoPen);
    painter->drawEllipse(disc);
    painter->restore();
}

} // namespace

void BlockPainter::draw(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                        const QRectF& rect, int cursorWidth, QPaintDevice* device) {
    const QTextLayout* layout = block.layout();
    const QTextBlockFormat format = block.blockFormat();
    const QBrush background = format.background();
    if (background != Qt::NoBrush) {
        painter->fillRect(rect, background);
    }

    const int start = block.position();
    const int length = block.length();
    QList<QTextLayout::FormatRange> selections;
    const QTextCharFormat* selectionFormat = nullptr;
    for (const QAbstractTextDocumentLayout::Selection& range : context.selections) {
        const int selStart = range.cursor.selectionStart() - start;
        const int selEnd = range.cursor.selectionEnd() - start;
        if (selStart < length && selEnd > 0 && selEnd > selStart) {
            selections.append({selStart, selEnd - selStart, range.format});
        } else if (!range.cursor.hasSelection() &&
                   range.format.hasProperty(QTextFormat::FullWidthSelection) &&
                   block.contains(range.cursor.position())) {
            const QTextLine line = layout->lineForTextPosition(range.cursor.position() - start);
            QTextLayout::FormatRange o{line.textStart(), line.textLength(), range.format};
            if (o.start + o.length == length - 1) {
                ++o.length; // the paragraph break
            }
            selections.append(o);
        }
        if (selStart < 0 && selEnd >= 1) {
            selectionFormat = &range.format;
        }
    }

    const QTextList* list = block.textList();
    // A paragraph held in pieces shows its bullet once, before its first piece.
    if (list != nullptr && list->format().style() != QTextListFormat::ListStyleUndefined &&
        !ParagraphPieces::continues(block)) {
        drawBullet(painter, context, block, selectionFormat, device);
    }

    const QPen oldPen = painter->pen();
    painter->setPen(context.palette.color(QPalette::Text));
    layout->draw(painter, QPointF(0, 0), selections, context.clip);
    const int cursor = context.cursorPosition;
    if (cursor >= start && cursor < start + length) {
        layout->drawCursor(painter, QPointF(0, 0), cursor - start, cursorWidth);
    }
    painter->setPen(oldPen);
}
