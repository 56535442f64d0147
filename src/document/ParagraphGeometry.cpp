#include "ParagraphGeometry.h"

#include "TextFormat.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>

namespace ParagraphGeometry {

void apply(QTextBlockFormat& f, qreal k) {
    const long long start = f.intProperty(TextProperty::StartIndent);
    const long long offset = f.intProperty(TextProperty::Offset);
    const long long right = f.intProperty(TextProperty::RightIndent);
    const bool bullet = f.objectIndex() >= 0;
    const long long later = std::max(0LL, start + offset);
    const long long firstLine = bullet ? later : std::max(0LL, start);
    f.setLeftMargin(later * k);
    f.setTextIndent((firstLine - later) * k);
    f.setRightMargin(std::max(0LL, right) * k);
}

bool follows(const QTextBlockFormat& f, qreal k) {
    QTextBlockFormat expected = f;
    apply(expected, k);
    return expected.leftMargin() == f.leftMargin() && expected.textIndent() == f.textIndent() &&
           expected.rightMargin() == f.rightMargin();
}

} // namespace ParagraphGeometry

GeometryMender::GeometryMender(QTextDocument* document, qreal pixelsPerTwip)
    : QObject(document), document_(document), pixelsPerTwip_(pixelsPerTwip) {
    connect(document, &QTextDocument::contentsChange, this, &GeometryMender::check);
}

void GeometryMender::check(int position, int /*removed*/, int added) {
    // Only the paragraphs the change touched: linear in the size of the change.
    const int end = position + added;
    for (QTextBlock b = document_->findBlock(position); b.isValid() && b.position() <= end;
         b = b.next()) {
        if (!ParagraphGeometry::follows(b.blockFormat(), pixelsPerTwip_)) {
            if (from_ < 0) {
                // After the edit that caused it has finished: the document is not to be changed
                // from within its own change notification.
                QTimer::singleShot(0, this, &GeometryMender::mend);
                from_ = b.position();
                to_ = end;
            } else {
                from_ = std::min(from_, b.position());
                to_ = std::max(to_, end);
            }
            return;
        }
    }
}

void GeometryMender::mend() {
    const int from = from_;
    const int to = to_;
    from_ = to_ = -1;
    QTextCursor step(document_);
    bool joined = false;
    for (QTextBlock b = document_->findBlock(from); b.isValid() && b.position() <= to;
         b = b.next()) {
        QTextBlockFormat f = b.blockFormat();
        if (ParagraphGeometry::follows(f, pixelsPerTwip_)) {
            continue;
        }
        if (!joined) {
            // Part of the edit that caused it, for undo as well.
            step.joinPreviousEditBlock();
            joined = true;
        }
        ParagraphGeometry::apply(f, pixelsPerTwip_);
        QTextCursor(b).setBlockFormat(f);
    }
    if (joined) {
        step.endEditBlock();
    }
}
