#pragma once

#include "Prompts.h"

class QWidget;

// The real dialogs behind Prompts.
class AppPrompts : public Prompts {
public:
    int centeredMessage(const QString& text, MsgDlgType type, int buttons) override;
    bool runOpenDialog(FileDialogState& state) override;
    bool runSaveDialog(FileDialogState& state) override;
    bool runFontDialog(TextFont& font) override;
};
