#pragma once

#include <QObject>
#include <QTextBlockFormat>

class QTextDocument;

// How a paragraph's indents and bullet are drawn. The indents are kept in twips as block
// properties (TextProperty::StartIndent, Offset, RightIndent: what the program wrote, read back as
// is) and drawn through Qt's margins in pixels:
//  - later lines at start + offset from the left margin: leftMargin = start + offset;
//  - the first line at start: textIndent = start - (start + offset), negative for a hanging
//    paragraph;
//  - with a bullet (the block is in a QTextList, ListDisc, list indent 0) the first line's text
//    also starts at start + offset (textIndent 0) and the bullet stands in the hanging space just
//    left of it;
//  - every line ends at the right indent: rightMargin = right.
// Nothing is drawn left of the left margin: a negative position counts as 0.
namespace ParagraphGeometry {

// Where the text of a paragraph's first line and of its later lines starts, in twips from the left
// margin.
struct LineStarts {
    long long firstLine;
    long long later;
};
LineStarts lineStarts(const QTextBlockFormat& format);

// Sets format's margins from its indents and bullet; pixelsPerTwip is the screen's scale.
void apply(QTextBlockFormat& format, qreal pixelsPerTwip);
// Whether format is drawn as its indents and bullet say.
bool follows(const QTextBlockFormat& format, qreal pixelsPerTwip);

} // namespace ParagraphGeometry

// Qt's editor takes paragraphs out of their bullet list by itself (Backspace at the start of
// one). A change that leaves a paragraph drawn otherwise than its format says
// gets its geometry mended right after, in the same undo step. Watches one document.
class GeometryMender : public QObject {
    Q_OBJECT
public:
    GeometryMender(QTextDocument* document, qreal pixelsPerTwip);

private:
    void check(int position, int removed, int added);
    void mend();

    QTextDocument* document_;
    qreal pixelsPerTwip_;
    // Range of Qt positions whose paragraphs mend() looks at; -1 when none is pending.
    int from_ = -1;
    int to_ = -1;
};
