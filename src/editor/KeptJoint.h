#pragma once

#include "ParagraphPieces.h"

#include <QTextCursor>

// What the separator before a block stands for (ParagraphPieces), kept through an edit that
// replaces a selection starting at that block's start. Qt gives the block that such a removal
// leaves the format of the block the selection ended in: a paragraph's first piece would
// continue the paragraph before it, losing a paragraph break, or a piece would start a paragraph
// of its own.
class KeptJoint {
public:
    // Notes the joint before the block that selection starts, where it starts at a block's start.
    explicit KeptJoint(const QTextCursor& selection);

    // After the edit, inside the caller's edit block: gives that block its joint back.
    void restore() const;

private:
    QTextCursor start_; // null where the selection starts inside a block
    ParagraphPieces::Joint joint_ = ParagraphPieces::Joint::Break;
};
