#pragma once

#include "Prompts.h"

// Prompts that cancel every file and font dialog and give one fixed answer to every question
// (Cancel unless told otherwise). Tests that script one kind of prompt derive from it and override
// only that one.
class CancellingPrompts : public Prompts {
public:
    explicit CancellingPrompts(int answer = mrCancel) : answer_(answer) {}

    int centeredMessage(const QString&, MsgDlgType, int) override { return answer_; }
    bool runOpenDialog(FileDialogState&) override { return false; }
    bool runSaveDialog(FileDialogState&) override { return false; }
    bool runFontDialog(TextFont&) override { return false; }

private:
    int answer_;
};
