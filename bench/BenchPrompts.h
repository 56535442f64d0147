#pragma once

#include "Prompts.h"

#include <QString>

// Answers every question without a person: the file dialogs give the names set here, messages
// are answered with answer.
class BenchPrompts : public Prompts {
public:
    QString openName;
    QString saveName;
    int answer = mrYes;

    int centeredMessage(const QString&, MsgDlgType, int) override { return answer; }
    bool runOpenDialog(FileDialogState& state) override {
        state.fileName = openName;
        return !openName.isEmpty();
    }
    bool runSaveDialog(FileDialogState& state) override {
        state.fileName = saveName;
        return !saveName.isEmpty();
    }
    bool runFontDialog(TextFont&) override { return false; }
};
