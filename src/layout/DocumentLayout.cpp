#include "DocumentLayout.h"

#include "BlockPainter.h"
#include "HeightSettler.h"
#include "ParagraphLines.h"
#include "ParagraphPieces.h"
#include "SizeLimits.h"

#include <QFontMetricsF>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace {

// Paragraphs that one edit touches and that are laid out at once; beyond, they are estimated and
// laid out when shown.
constexpr int kEagerBlocks = 32;
using SizeLimits::kKeptAnalysisLength;
using SizeLimits::kSettledLength;
// The kinds of height a paragraph can have (DocumentLayout::Height), per geometry.
constexpr int kHeightKinds = 3;
// Characters a line broken between words leaves blank at its end, on average.
constexpr qreal kWrapSlack = 3;
// A height that covers everything below a point, for update requests.
constexpr qreal kFar = 1e9;

// Text whose average advance stands for a paragraph of mixed Cyrillic and Latin words.
const char16_t kSample[] = u"The quick brown fox jumps over the lazy dog. "
                           u"Съешь же ещё этих мягких французских булок, да выпей чаю. ";

} // namespace

DocumentLayout* installDocumentLayout(QTextDocument* document) {
    if (auto* own = qobject_cast<DocumentLayout*>(document->documentLayout())) {
        return own;
    }
    auto* layout = new DocumentLayout(document);
    document->setDocumentLayout(layout);
    return layout;
}

DocumentLayout::DocumentLayout(QTextDocument* document)
    : QAbstractTextDocumentLayout(document), settler_(new HeightSettler(this)) {}

int DocumentLayout::stateFor(Height kind) const {
    return generation_ * kHeightKinds + static_cast<int>(kind);
}

// --- geometry -----------------------------------------------------------------------------

DocumentLayout::Geometry DocumentLayout::currentGeometry() const {
    const QTextDocument* doc = document();
    Geometry g;
    g.width = doc->pageSize().width();
    g.margin = doc->documentMargin();
    g.font = doc->defaultFont().toString();
    const QTextOption option = doc->defaultTextOption();
    g.wrap = option.wrapMode();
    g.tabs = option.tabs();
    return g;
}

void DocumentLayout::refreshGeometry() {
    const Geometry g = currentGeometry();
    if (g == geometry_ && generation_ > 0) {
        return;
    }
    geometry_ = g;
    ++generation_;
    pending_ = true;
    shapes_.clear();
    lastShape_ = shapes_.cend();
}

void DocumentLayout::estimateAllIfPending() const {
    if (!pending_) {
        return;
    }
    pending_ = false;
    const qreal oldHeight = contentHeight();
    const int estimated = stateFor(Height::Estimated);
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        const int state = b.userState();
        if (state >= estimated) {
            continue;
        }
        if (state % kHeightKinds == static_cast<int>(Height::LaidOut)) {
            // Lines laid out for an older geometry would mislead cursor movement.
            b.layout()->clearLayout();
        }
        QTextBlock writable = b;
        writable.setUserState(estimated);
        const int height = estimateHeight(b);
        Q_ASSERT(height >= 1);
        if (b.lineCount() != height) {
            writable.setLineCount(height);
        }
    }
    notifySizeChange(oldHeight);
    settler_->restartFrom(0);
}

DocumentLayout::Shape DocumentLayout::shapeOf(const QTextBlock& block) const {
    // Paragraphs share a few formats: their shapes are worked out once per pair of formats, and
    // the pair met last (in a plain text, every paragraph's) is found without hashing. The font is
    // the document's, as measuring a paragraph's text resolves it, but for an empty paragraph,
    // whose height comes from its paragraph mark's font (its index is a search in the document:
    // too dear for every paragraph of a large open).
    const bool empty = block.length() <= 1;
    const quint64 key =
        (static_cast<quint64>(static_cast<quint32>(block.blockFormatIndex())) << 32) |
        static_cast<quint32>(empty ? block.charFormatIndex() : -1);
    if (lastShape_ != shapes_.cend() && lastShape_.key() == key) {
        return *lastShape_;
    }
    lastShape_ = shapes_.constFind(key);
    if (lastShape_ != shapes_.cend()) {
        return *lastShape_;
    }
    // As ParagraphLines lays a paragraph out: the text between its margins, the first line from
    // its own indent, the space above and below.
    const QTextBlockFormat format = block.blockFormat();
    const QFont font = empty ? block.charFormat().font().resolve(document()->defaultFont())
                             : document()->defaultFont();
    const QFontMetricsF metrics(font, paintDevice());
    const QString sample = QString::fromUtf16(kSample);
    Shape shape;
    shape.charWidth = metrics.horizontalAdvance(sample) / sample.size();
    shape.lineHeight = metrics.lineSpacing();
    shape.width =
        geometry_.width - 2 * geometry_.margin - format.leftMargin() - format.rightMargin();
    if (geometry_.wrap != QTextOption::WrapAnywhere) {
        // A line broken between words leaves about half a word blank at its end.
        shape.width -= kWrapSlack * shape.charWidth;
    }
    shape.wraps = shape.width > 0 && geometry_.wrap != QTextOption::NoWrap &&
                  geometry_.wrap != QTextOption::ManualWrap && !format.nonBreakableLines();
    shape.indent = format.boolProperty(ParagraphPieces::kContinues) ? 0 : format.textIndent();
    shape.spacing = format.topMargin() + format.bottomMargin();
    lastShape_ = shapes_.insert(key, shape);
    return shape;
}

int DocumentLayout::estimateHeight(const QTextBlock& block) const {
    const Shape shape = shapeOf(block);
    int lines = 1;
    if (shape.wraps) {
        const qreal textWidth = (block.length() - 1) * shape.charWidth + shape.indent;
        lines = std::max(1, static_cast<int>(std::ceil(textWidth / shape.width)));
    }
    return std::max(1, static_cast<int>(std::ceil(lines * shape.lineHeight + shape.spacing)));
}

// --- laying out ---------------------------------------------------------------------------

bool DocumentLayout::isLaidOut(const QTextBlock& block) const {
    estimateAllIfPending();
    return block.userState() == stateFor(Height::LaidOut);
}

bool DocumentLayout::isSettled() const {
    return !pending_ && settler_->isSettled();
}

int DocumentLayout::settledCount() const {
    return settler_->measuredCount();
}

bool DocumentLayout::settle(const QTextBlock& block) const {
    estimateAllIfPending();
    if (block.userState() != stateFor(Height::Estimated) || block.length() > kSettledLength) {
        return false;
    }
    if (setBlockHeight(block, measureBlock(block), Height::Measured)) {
        emit const_cast<DocumentLayout*>(this)->documentSizeChanged(documentSize());
    }
    return true;
}

void DocumentLayout::ensureLaidOut(const QTextBlock& block) const {
    if (!block.isValid() || isLaidOut(block)) {
        return;
    }
    if (setBlockHeight(block, layoutBlock(block), Height::LaidOut)) {
        emit const_cast<DocumentLayout*>(this)->documentSizeChanged(documentSize());
    }
}

int DocumentLayout::layoutBlock(const QTextBlock& block) const {
    QTextLayout* layout = block.layout();
    // Qt's text engine drops a paragraph's analysed text (scripts, character attributes, glyphs)
    // after every layout and every draw unless asked to keep it, and the caret's every blink, move
    // and rectangle query then analyses the whole paragraph again. Short paragraphs are analysed in
    // microseconds and not kept, so that their memory is not held; long ones are kept.
    layout->setCacheEnabled(block.length() > kKeptAnalysisLength);
    return layoutLines(*layout, block);
}

int DocumentLayout::measureBlock(const QTextBlock& block) const {
    // The same text, formats and fonts as the block's own layout: an empty paragraph takes its
    // height from its paragraph mark's font, any other from its characters' fonts, which the
    // document resolves against its default font.
    const QFont font = block.length() > 1 ? document()->defaultFont() : block.charFormat().font();
    QTextLayout scratch(block.text(), font, paintDevice());
    scratch.setFormats(block.textFormats());
    return layoutLines(scratch, block);
}

int DocumentLayout::layoutLines(QTextLayout& layout, const QTextBlock& block) const {
    return ParagraphLines::layOut(layout, block, document()->defaultTextOption(), geometry_.width,
                                  geometry_.margin);
}

bool DocumentLayout::setBlockHeight(const QTextBlock& block, int height, Height kind) const {
    // A paragraph of no height would have no line number of its own: the map could not find it.
    Q_ASSERT(height >= 1);
    QTextBlock writable = block;
    writable.setUserState(stateFor(kind));
    const int old = block.lineCount();
    if (old == height) {
        return false;
    }
    const qreal oldBottom = blockTop(block) + old;
    writable.setLineCount(height);
    emit const_cast<DocumentLayout*>(this)->blockHeightChanged(oldBottom, height - old);
    return true;
}

void DocumentLayout::notifySizeChange(qreal oldHeight) const {
    if (contentHeight() != oldHeight) {
        emit const_cast<DocumentLayout*>(this)->documentSizeChanged(documentSize());
    }
}

void DocumentLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    QTextDocument* doc = document();
    if (from == 0 && charsRemoved == 0 && charsAdded == doc->characterCount()) {
        // The document asks for everything to be laid out again: page size, default font or text
        // option, a new layout. Only a change of geometry makes heights stale.
        refreshGeometry();
        emit update(QRectF(0, 0, kFar, kFar));
        return;
    }
    if (pending_) {
        emit update(QRectF(0, 0, kFar, kFar));
        return;
    }
    const qreal oldHeight = contentHeight();
    QTextBlock block = doc->findBlock(from);
    const QTextBlock last = doc->findBlock(std::max(from, from + charsAdded));
    const qreal top = blockTop(block);
    // A paragraph whose height was exact stays exact, so that what is on screen does not move;
    // one that was only estimated waits until it is shown.
    const int first = block.blockNumber();
    const bool few = last.blockNumber() - first < kEagerBlocks;
    bool moved = false;
    for (; block.isValid(); block = block.next()) {
        const int state = block.userState();
        if (few && state == stateFor(Height::LaidOut)) {
            moved |= setBlockHeight(block, layoutBlock(block), Height::LaidOut);
        } else if (few && state == stateFor(Height::Measured) && block.length() <= kSettledLength) {
            moved |= setBlockHeight(block, measureBlock(block), Height::Measured);
        } else {
            moved |= setBlockHeight(block, estimateHeight(block), Height::Estimated);
        }
        if (block == last) {
            break;
        }
    }
    if (moved) {
        // Always, even when the heights cancel out: a view may have widened its range meanwhile.
        emit documentSizeChanged(documentSize());
    } else {
        notifySizeChange(oldHeight);
    }
    settler_->restartFrom(first);
    emit update(QRectF(0, top, kFar, kFar));
}

// --- geometry queries ---------------------------------------------------------------------

qreal DocumentLayout::blockTop(const QTextBlock& block) const {
    return geometry_.margin + block.firstLineNumber();
}

qreal DocumentLayout::contentHeight() const {
    const QTextBlock last = document()->lastBlock();
    return last.firstLineNumber() + last.lineCount();
}

QTextBlock DocumentLayout::blockAt(qreal y) const {
    const QTextDocument* doc = document();
    const int line = static_cast<int>(std::floor(y - geometry_.margin));
    if (line < 0) {
        return doc->begin();
    }
    const QTextBlock block = doc->findBlockByLineNumber(line);
    Q_ASSERT(!block.isValid() || (block.firstLineNumber() <= line &&
                                  line < block.firstLineNumber() + block.lineCount()));
    return block.isValid() ? block : doc->lastBlock();
}

int DocumentLayout::pageCount() const {
    return 1;
}

QSizeF DocumentLayout::documentSize() const {
    estimateAllIfPending();
    const qreal width = geometry_.width > 0 ? geometry_.width : 0;
    return QSizeF(width, contentHeight() + 2 * geometry_.margin);
}

QRectF DocumentLayout::frameBoundingRect(QTextFrame* frame) const {
    if (frame != document()->rootFrame()) {
        return QRectF();
    }
    return QRectF(QPointF(0, 0), documentSize());
}

QRectF DocumentLayout::blockBoundingRect(const QTextBlock& block) const {
    if (!block.isValid()) {
        return QRectF();
    }
    ensureLaidOut(block);
    const QPointF position(0, blockTop(block));
    block.layout()->setPosition(position);
    const qreal width = geometry_.width > 0 ? geometry_.width : block.layout()->maximumWidth();
    return QRectF(position, QSizeF(width, block.lineCount()));
}

// --- drawing ------------------------------------------------------------------------------

void DocumentLayout::draw(QPainter* painter, const PaintContext& context) {
    estimateAllIfPending();
    const QRectF clip = context.clip.isValid() ? context.clip : QRectF(0, 0, kFar, kFar);
    // QTextEdit sets the caret's width as a property of the layout.
    const QVariant width = property("cursorWidth");
    const int cursorWidth = width.isValid() ? width.toInt() : 1;
    const int first = blockAt(clip.top()).blockNumber();
    int last = first;
    for (QTextBlock block = blockAt(clip.top()); block.isValid(); block = block.next()) {
        const QRectF rect = blockBoundingRect(block);
        if (rect.top() > clip.bottom()) {
            break;
        }
        if (rect.bottom() >= clip.top()) {
            BlockPainter::draw(painter, context, block, rect, cursorWidth, paintDevice());
            last = block.blockNumber();
        }
    }
    if (context.clip.isValid()) {
        // What a view shows: idle time measures around it.
        settler_->viewShows(first, last);
    }
}

// --- hit testing --------------------------------------------------------------------------

int DocumentLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
    estimateAllIfPending();
    const QTextDocument* doc = document();
    const int lastPosition = doc->characterCount() - 1;
    if (point.y() < geometry_.margin) {
        return accuracy == Qt::ExactHit ? -1 : 0;
    }
    if (point.y() >= geometry_.margin + contentHeight()) {
        return accuracy == Qt::ExactHit ? -1 : lastPosition;
    }
    ensureLaidOut(blockAt(point.y()));
    // Laying the block out may have changed its height: find it again. A point on the border
    // between two paragraphs belongs to the upper one.
    QTextBlock block = blockAt(point.y());
    if (block.previous().isValid() && point.y() <= blockTop(block)) {
        block = block.previous();
    }
    blockBoundingRect(block);
    return std::clamp(hitTestBlock(block, point, accuracy), accuracy == Qt::ExactHit ? -1 : 0,
                      lastPosition);
}

int DocumentLayout::hitTestBlock(const QTextBlock& block, const QPointF& point,
                                 Qt::HitTestAccuracy accuracy) {
    const QTextLayout* layout = block.layout();
    const QPointF pos = point - layout->position();
    bool exact = false;
    int offset = 0;
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const QRectF rect = line.naturalTextRect();
        if (rect.top() > pos.y()) {
            offset = std::min(offset, line.textStart());
        } else if (rect.bottom() <= pos.y()) {
            offset = std::max(offset, line.textStart() + line.textLength());
        } else {
            exact = rect.left() <= pos.x() && rect.right() >= pos.x();
            offset = line.xToCursor(pos.x(), accuracy == Qt::ExactHit
                                                 ? QTextLine::CursorOnCharacter
                                                 : QTextLine::CursorBetweenCharacters);
            break;
        }
    }
    if (accuracy == Qt::ExactHit && !exact) {
        return -1;
    }
    return block.position() + offset;
}
