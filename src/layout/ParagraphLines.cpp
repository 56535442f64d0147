#include "ParagraphLines.h"

#include "ParagraphPieces.h"
#include "SizeLimits.h"

#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Qt works out the width of every tab that stands before the last listed stop by walking all the
// rest of its paragraph, which makes laying out a long paragraph with many tabs cost its length
// squared (minutes for 20 MB). A very long paragraph gets evenly spaced stops instead, at the
// listed stops' mean distance: the first ones lie within about a pixel of the listed ones, later
// ones closer together than a short paragraph's stops past the listed ones.
void evenTabs(QTextOption& option) {
    const QList<QTextOption::Tab> tabs = option.tabs();
    if (tabs.isEmpty() || tabs.back().position <= 0) {
        return;
    }
    option.setTabs({});
    option.setTabStopDistance(tabs.back().position / tabs.size());
}

// A first line that starts left of the later lines has a stop where they start, as in word
// processors: a tab there lines the first line's text up with the rest. Stops count from the
// line's start.
void addHangingStop(QTextOption& option, qreal at) {
    QList<QTextOption::Tab> tabs = option.tabs();
    const auto after = std::find_if(tabs.begin(), tabs.end(),
                                    [at](const QTextOption::Tab& t) { return t.position >= at; });
    if (after != tabs.end() && after->position == at) {
        return;
    }
    tabs.insert(after, QTextOption::Tab(at, QTextOption::LeftTab));
    option.setTabs(tabs);
}

} // namespace

int ParagraphLines::layOut(QTextLayout& layout, const QTextBlock& block,
                           const QTextOption& defaultOption, double pageWidth, double margin) {
    const QTextBlockFormat format = block.blockFormat();
    const Qt::LayoutDirection direction = block.textDirection();

    QTextOption option = defaultOption;
    option.setTextDirection(direction);
    option.setAlignment(QStyle::visualAlignment(direction, format.alignment()));
    if (format.hasProperty(QTextFormat::TabPositions)) {
        option.setTabs(format.tabPositions());
    }
    if (format.textIndent() < 0) {
        addHangingStop(option, -format.textIndent());
    }
    if (block.length() > SizeLimits::kEvenTabsParagraph) {
        evenTabs(option);
    }
    const bool wraps = pageWidth > 0 && !format.nonBreakableLines();
    if (!wraps) {
        option.setWrapMode(QTextOption::ManualWrap);
    }

    layout.setTextOption(option);
    const qreal left = margin + format.leftMargin();
    const qreal right = pageWidth - margin - format.rightMargin();
    // Only a paragraph's first piece starts it (ParagraphPieces).
    const bool starts = !format.boolProperty(ParagraphPieces::kContinues);
    qreal y = format.topMargin();
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        qreal x = left;
        if (line.lineNumber() == 0 && starts) {
            x += format.textIndent();
        }
        if (wraps) {
            line.setLineWidth(std::max<qreal>(0, right - x));
        } else {
            line.setNumColumns(INT_MAX / 256);
        }
        line.setPosition(QPointF(x, y));
        y += line.height();
    }
    layout.endLayout();
    y += format.bottomMargin();
    return std::max(1, static_cast<int>(std::ceil(y)));
}
