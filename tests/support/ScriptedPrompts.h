#pragma once

#include "CancellingPrompts.h"

#include <QList>
#include <QString>
#include <QStringList>

// Prompts with answers given in advance. A file dialog answer is a file name, or an empty string
// for Cancel. Every question and dialog is recorded.
class ScriptedPrompts : public CancellingPrompts {
public:
    QList<int> answers;
    QStringList openAnswers;
    QStringList saveAnswers;
    QStringList questions;
    QStringList openDialogNames; // the name each open dialog showed
    QStringList saveDialogNames;

    int centeredMessage(const QString& text, MsgDlgType /*type*/, int /*buttons*/) override {
        questions.append(text);
        return answers.isEmpty() ? mrCancel : answers.takeFirst();
    }
    bool runOpenDialog(FileDialogState& state) override {
        return answer(state, openAnswers, openDialogNames);
    }
    bool runSaveDialog(FileDialogState& state) override {
        return answer(state, saveAnswers, saveDialogNames);
    }

private:
    static bool answer(FileDialogState& state, QStringList& script, QStringList& shown) {
        shown.append(state.fileName);
        const QString name = script.isEmpty() ? QString() : script.takeFirst();
        if (name.isEmpty()) {
            return false;
        }
        state.fileName = name;
        return true;
    }
};
