#include "KeptJoint.h"

#include "ParagraphPieces.h"

#include <QTextBlock>

using ParagraphPieces::Joint;

KeptJoint::KeptJoint(const QTextCursor& selection) {
    const QTextBlock block = selection.document()->findBlock(selection.selectionStart());
    if (selection.hasSelection() && block.position() == selection.selectionStart()) {
        start_ = QTextCursor(block);
        // Text typed or pasted in place of the selection goes after this place.
        start_.setKeepPositionOnInsert(true);
        joint_ = ParagraphPieces::jointBefore(block);
    }
}

void KeptJoint::restore() const {
    if (start_.isNull()) {
        return;
    }
    const QTextBlock block = start_.block();
    if (block.position() != start_.position() || ParagraphPieces::jointBefore(block) == joint_) {
        return;
    }
    QTextBlockFormat format = ParagraphPieces::startingFormat(block.blockFormat());
    if (joint_ != Joint::Break) {
        format.setProperty(ParagraphPieces::kContinues, true);
    }
    if (joint_ == Joint::Nothing) {
        format.setProperty(ParagraphPieces::kJoinsWithNothing, true);
    }
    QTextCursor(block).setBlockFormat(format);
}
