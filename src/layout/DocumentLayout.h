#pragma once

#include <QAbstractTextDocumentLayout>
#include <QHash>
#include <QList>
#include <QTextBlock>
#include <QTextOption>

class HeightSettler;
class QTextLayout;

// The editor's document layout. Lays out only the paragraphs that are drawn, hit or asked for
// and estimates the height of the others, so that opening, jumping to the end and typing cost
// the same in a large document as in a small one.
//
// Each paragraph's height in pixels is kept in the block's line count (QTextBlock::setLineCount):
// the document's own block map then answers "where does this paragraph start" (firstLineNumber)
// and "which paragraph is at this height" (findBlockByLineNumber) in O(log n). The block's user
// state records for which geometry that height holds and whether it is estimated, measured (real,
// but the lines were not kept) or laid out (real, and the block's QTextLayout holds its lines).
// Estimates, made from each paragraph's length, margins and indents, turn into measured heights in
// idle time near the view (HeightSettler).
//
// Draws alignment, indents, first-line indents, bullets and character formats as Qt's stock
// layout does. Tables and frames other than the root frame are not laid out.
class DocumentLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    explicit DocumentLayout(QTextDocument* document);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // Lays out block at the current geometry unless it already is; its QTextLayout then holds its
    // lines.
    void ensureLaidOut(const QTextBlock& block) const;
    // Whether block is laid out at the current geometry: its height is real and its QTextLayout
    // holds its lines.
    bool isLaidOut(const QTextBlock& block) const;
    // Replaces block's estimated height by its real one, measured without keeping its lines,
    // unless the paragraph is too long to measure without holding up the user.
    // Returns whether it measured it.
    bool settle(const QTextBlock& block) const;
    // Whether no paragraph is left for the idle time to measure.
    bool isSettled() const;
    // How many paragraphs idle time has measured.
    int settledCount() const;

    // Where a paragraph starts, and which paragraph lies at a height, in document coordinates.
    qreal blockTop(const QTextBlock& block) const;
    QTextBlock blockAt(qreal y) const;

signals:
    // A paragraph that ended at oldBottom grew by delta pixels (shrank when negative): everything
    // below it moved. A view keeps its text still by moving its scroll position along. Comes
    // before the documentSizeChanged that follows from it.
    void blockHeightChanged(qreal oldBottom, qreal delta);

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    // What every paragraph's geometry depends on beyond its own text and format.
    struct Geometry {
        qreal width = -2; // page width; negative: no wrapping
        qreal margin = 0;
        QString font;
        QTextOption::WrapMode wrap = QTextOption::WrapAtWordBoundaryOrAnywhere;
        QList<QTextOption::Tab> tabs;
        bool operator==(const Geometry&) const = default;
    };

    enum class Height { Estimated, Measured, LaidOut };

    Geometry currentGeometry() const;
    // The user state that marks a paragraph's height as kind at the current geometry.
    int stateFor(Height kind) const;
    void refreshGeometry();
    // Estimates every paragraph's height after a change of geometry, once, when first needed.
    void estimateAllIfPending() const;
    int estimateHeight(const QTextBlock& block) const;
    // What a paragraph's estimated height depends on beyond its length, per block format (and
    // character format of an empty paragraph's mark).
    struct Shape {
        qreal charWidth = 0;  // average advance of a character
        qreal lineHeight = 0; // line spacing
        qreal width = 0;      // between the paragraph's margins
        bool wraps = false;
        qreal indent = 0;  // of the first line
        qreal spacing = 0; // above and below
    };
    Shape shapeOf(const QTextBlock& block) const;
    // Lays block's text out into layout (the block's own or a scratch one); returns the height.
    int layoutLines(QTextLayout& layout, const QTextBlock& block) const;
    int layoutBlock(const QTextBlock& block) const;
    int measureBlock(const QTextBlock& block) const;
    // Stores height as block's height and tells views what moved (blockHeightChanged); whether the
    // height changed. The caller then tells the document's new size (documentSizeChanged): views
    // first keep their text still, then learn the new size, or a view scrolled to the end would
    // see its position cut to a shrunk range first and move it twice.
    bool setBlockHeight(const QTextBlock& block, int height, Height kind) const;
    qreal contentHeight() const;
    static int hitTestBlock(const QTextBlock& block, const QPointF& point,
                            Qt::HitTestAccuracy accuracy);
    void notifySizeChange(qreal oldHeight) const;

    Geometry geometry_;
    int generation_ = 0; // counts geometry changes; a block's user state names its generation
    mutable bool pending_ = false;
    // Shapes per pair of format indexes; emptied when the geometry changes.
    mutable QHash<quint64, Shape> shapes_;
    mutable QHash<quint64, Shape>::const_iterator lastShape_ = shapes_.cend();
    HeightSettler* settler_;
};

// Puts a DocumentLayout on document unless it already has one.
DocumentLayout* installDocumentLayout(QTextDocument* document);
