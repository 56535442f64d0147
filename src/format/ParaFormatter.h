#pragma once

#include "TextFormat.h"

#include <QString>

class RichEdit;

// Paragraph formatting of the paragraphs the editor's selection touches (the caret's paragraph
// when nothing is selected): alignment, the bullet toggle and the values of the paragraph dialog.
// Every write names one attribute only, so the others keep their values. Indents are whole points
// here and twips (points x 20) in the editor.
class ParaFormatter {
public:
    explicit ParaFormatter(RichEdit& editor);

    // The smallest offset of the later lines that turning a bullet on leaves, in points.
    static constexpr int kBulletOffset = 10;

    void setAlignment(ParaAlignment alignment);

    // Bullet on: the offset becomes at least kBulletOffset points (a larger one stays), then the
    // bullet. Bullet off: the offset becomes 0, then no numbering. The decision follows what the
    // editor reports for the selection (its first paragraph). One undo step.
    void toggleBullet();

    // The paragraph dialog's values, in the dialog's order: the alignment entry (0 left, 1 centre,
    // 2 right; any other index writes no alignment), then the texts of the offset of the later
    // lines, the right indent and the first-line indent, in points. Each text is converted just
    // before its own write; a text that is not an integer throws ConvertError there, and the
    // writes before it stay. All writes are one undo step.
    void applyDialog(int alignmentIndex, const QString& offset, const QString& rightIndent,
                     const QString& firstLineIndent);

    // Twips for whole points, saturated to the range of int.
    static int pointsToTwips(int points);

private:
    RichEdit& editor_;
};
