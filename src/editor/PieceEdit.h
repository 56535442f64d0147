#pragma once

#include "KeptJoint.h"

#include <QTextCursor>

class QTextEdit;

// One user action's edit of a view's document held in one undo step with the tidying of the
// paragraph pieces it touched (ParagraphPieces): pieces it made too long are cut, pieces it left
// without characters are joined. One undo takes back the action and the tidying together. The
// action edits at the view's selection, its caret, or both (a move by drag and drop).
class PieceEdit {
public:
    // Begins the undo step and marks the view's selection.
    explicit PieceEdit(QTextEdit& view);
    ~PieceEdit();
    PieceEdit(const PieceEdit&) = delete;
    PieceEdit& operator=(const PieceEdit&) = delete;

    // Tidies the pieces from the marked selection to the view's caret and ends the undo step.
    void finish();

private:
    QTextEdit& view_;
    // Qt moves these along with every edit of the document; start_ stays before text put in
    // where it stands.
    QTextCursor start_;
    QTextCursor end_;
    KeptJoint joint_;
    bool open_ = true;
};
