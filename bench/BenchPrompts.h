#pragma once

#include "ProgressDialog.h"
#include "Prompts.h"

#include <QString>
#include <QWidget>

// Answers every question without a person: the file dialogs give the names set here, messages
// are answered with answer.
class BenchPrompts : public Prompts {
public:
    QString openName;
    QString saveName;
    int answer = mrYes;
    // The window that shows the progress dialog; none: no progress is shown.
    QWidget* progressWindow = nullptr;

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
    std::unique_ptr<Progress> startProgress(ProgressTask task) override {
        if (progressWindow == nullptr) {
            return std::make_unique<NullProgress>();
        }
        return std::make_unique<ProgressDialog>(progressWindow, QStringLiteral("zelto"), task);
    }
};
