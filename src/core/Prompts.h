#pragma once

#include "Progress.h"
#include "TextFormat.h"

#include <QString>
#include <memory>

enum class MsgDlgType { Warning, Error, Information, Confirmation };

// Buttons of a message dialog; combine with |. mbDefaultCancel is no button: it makes Cancel the
// default, for a question whose other answer loses data.
enum MsgDlgButton { mbYes = 0x1, mbNo = 0x2, mbOK = 0x4, mbCancel = 0x8, mbDefaultCancel = 0x100 };

// Answers of a message dialog.
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

// What a file dialog remembers between uses. filter is "description|pattern|..." as the program
// writes it; filterIndex counts from 1.
struct FileDialogState {
    QString filter;
    QString fileName;
    int filterIndex = 1;
};

// Everything modal the program asks of the user. The application shows the real dialogs; tests
// give scripted answers.
class Prompts {
public:
    virtual ~Prompts() = default;

    // Beeps, shows a modal message centred over the active window, returns mrYes, mrNo, mrOk or
    // mrCancel.
    virtual int centeredMessage(const QString& text, MsgDlgType type, int buttons) = 0;
    // The same, captioned with the application's title instead of the dialog type: for what the
    // program says on its own, outside any command.
    virtual int applicationMessage(const QString& text, MsgDlgType type, int buttons) {
        return centeredMessage(text, type, buttons);
    }
    // Run the open or save dialog on state; true with state.fileName set when the user chose a
    // file, false when cancelled. The dialog updates state.filterIndex either way.
    virtual bool runOpenDialog(FileDialogState& state) = 0;
    virtual bool runSaveDialog(FileDialogState& state) = 0;
    // Runs the font dialog on font; true (font updated) on OK, false on cancel.
    virtual bool runFontDialog(TextFont& font) = 0;
    // Feedback for reading or writing a file that may take long. Shows nothing unless overridden.
    virtual std::unique_ptr<Progress> startProgress(ProgressTask /*task*/) {
        return std::make_unique<NullProgress>();
    }
};
