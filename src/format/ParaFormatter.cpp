#include "ParaFormatter.h"

#include "Errors.h"
#include "RichEdit.h"

#include <algorithm>
#include <climits>

ParaFormatter::ParaFormatter(RichEdit& editor, Prompts& prompts)
    : editor_(editor), prompts_(prompts) {}

int ParaFormatter::pointsToTwips(int points) {
    const long long twips = static_cast<long long>(points) * kTwipsPerPoint;
    return static_cast<int>(std::clamp<long long>(twips, INT_MIN, INT_MAX));
}

void ParaFormatter::setAlignment(ParaAlignment alignment) {
    editor_.setParaAlignment(alignment);
}

void ParaFormatter::toggleBullet() {
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
    switch (alignmentIndex) {
    case 0:
        editor_.setParaAlignment(ParaAlignment::Left);
        break;
    case 1:
        editor_.setParaAlignment(ParaAlignment::Center);
        break;
    case 2:
        editor_.setParaAlignment(ParaAlignment::Right);
        break;
    default:
        break;
    }
    editor_.setParaOffset(pointsToTwips(toInteger(offset)));
    editor_.setParaRightIndent(pointsToTwips(toInteger(rightIndent)));
    editor_.setParaStartIndent(pointsToTwips(toInteger(firstLineIndent)));
}
