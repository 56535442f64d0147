#include "ParaFormatter.h"

#include "Errors.h"
#include "RichEdit.h"

#include <algorithm>
#include <climits>

ParaFormatter::ParaFormatter(RichEdit& editor) : editor_(editor) {}

int ParaFormatter::pointsToTwips(int points) {
    const long long twips = static_cast<long long>(points) * kTwipsPerPoint;
    return static_cast<int>(std::clamp<long long>(twips, INT_MIN, INT_MAX));
}

void ParaFormatter::setAlignment(ParaAlignment alignment) {
    editor_.setParaAlignment(alignment);
}

void ParaFormatter::toggleBullet() {
    const RichEdit::UndoStep step(editor_);
    if (editor_.paraNumbering() == ParaNumbering::Bullet) {
        editor_.setParaOffset(0);
        editor_.setParaNumbering(ParaNumbering::None);
        return;
    }
    // Whole points, the quotient truncated toward zero.
    if (editor_.paraOffset() / kTwipsPerPoint < kBulletOffset) {
        editor_.setParaOffset(pointsToTwips(kBulletOffset));
    }
    editor_.setParaNumbering(ParaNumbering::Bullet);
}

void ParaFormatter::applyDialog(int alignmentIndex, const QString& offset,
                                const QString& rightIndent, const QString& firstLineIndent) {
    const RichEdit::UndoStep step(editor_);
    if (alignmentIndex >= static_cast<int>(ParaAlignment::Left) &&
        alignmentIndex <= static_cast<int>(ParaAlignment::Right)) {
        editor_.setParaAlignment(static_cast<ParaAlignment>(alignmentIndex));
    }
    editor_.setParaOffset(pointsToTwips(toInteger(offset)));
    editor_.setParaRightIndent(pointsToTwips(toInteger(rightIndent)));
    editor_.setParaStartIndent(pointsToTwips(toInteger(firstLineIndent)));
}
