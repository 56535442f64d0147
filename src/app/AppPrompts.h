#pragma once

#include "Prompts.h"

#include <QFileDialog>
#include <QString>

class QWidget;

// The real dialogs behind Prompts.
class AppPrompts : public Prompts {
public:
    // Installs Qt's own Russian translation, so that the file dialogs speak Russian.
    AppPrompts();

    int centeredMessage(const QString& text, MsgDlgType type, int buttons) override;
    int applicationMessage(const QString& text, MsgDlgType type, int buttons) override;
    bool runOpenDialog(FileDialogState& state) override;
    bool runSaveDialog(FileDialogState& state) override;
    bool runFontDialog(TextFont& font) override;
    // The progress dialog over the main window.
    std::unique_ptr<Progress> startProgress(ProgressTask task) override;

private:
    bool runFileDialog(FileDialogState& state, QFileDialog::AcceptMode mode);

    // The folder the last file dialog ended in, where the next one opens without a name.
    QString lastDirectory_;
};
