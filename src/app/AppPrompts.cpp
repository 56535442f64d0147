#include "AppPrompts.h"

#include "FontDialog.h"

#include <QApplication>

int AppPrompts::centeredMessage(const QString& /*text*/, MsgDlgType /*type*/, int /*buttons*/) {
    return mrCancel;
}

bool AppPrompts::runOpenDialog(FileDialogState& /*state*/) { return false; }

bool AppPrompts::runSaveDialog(FileDialogState& /*state*/) { return false; }

bool AppPrompts::runFontDialog(TextFont& font) {
    return FontDialog::execute(QApplication::activeWindow(), font);
}
