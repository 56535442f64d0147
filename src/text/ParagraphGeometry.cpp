#include "ParagraphGeometry.h"

#include "TextFormat.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>

namespace ParagraphGeometry {

LineStarts lineStarts(const QTextBlockFormat& format) {
    const long long start = format.intProperty(TextProperty::StartIndent);
    const long long offset = format.intProperty(TextProperty::Offset);
    const bool bullet = format.objectIndex() >= 0;
    const long long later = std::max(0LL, start + offset);
    return {bullet ? later : std::max(0LL, start), later};
}

void apply(QTextBlockFormat& format, qreal pixelsPerTwip) {
    const long long right = format.intProperty(TextProperty::RightIndent);
    const LineStarts starts = lineStarts(format);
    format.setLeftMargin(starts.later * pixelsPerTwip);
    format.setTextIndent((starts.firstLine - starts.later) * pixelsPerTwip);
    format.setRightMargin(std::max(0LL, right) * pixelsPerTwip);
}

bool follows(const QTextBlockFormat& format, qreal pixelsPerTwip) {
    QTextBlockFormat expected = format;
    apply(expected, pixelsPerTwip);
    return expected.leftMargin() == format.leftMargin() &&
           expected.textIndent() == format.textIndent() &&
           expected.rightMargin() == format.rightMargin();
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
