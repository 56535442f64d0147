#pragma once

#include <QAbstractTextDocumentLayout>
#include <QRectF>
#include <QTextBlock>

class QPaintDevice;
class QPainter;

// Draws paragraphs that are laid out (their QTextLayout holds positioned lines) as Qt's stock
// document layout draws them: the block's background, the bullet of a list item in the space left
// of its first line, the text with the selections of the paint context, and the caret.
namespace BlockPainter {

// rect: the block's bounding rectangle; cursorWidth: the caret's width in pixels; device: the
// paint device the layout measures fonts for, or null for the screen.
void draw(QPainter* painter, const QAbstractTextDocumentLayout::PaintContext& context,
          const QTextBlock& block, const QRectF& rect, int cursorWidth, QPaintDevice* device);

} // namespace BlockPainter
