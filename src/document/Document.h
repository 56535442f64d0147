#pragma once

#include "DocBinding.h"
#include "Prompts.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class QTextDocument;
class RichEdit;

// The life of a document: which file it is bound to, when its text is read or written, the
// unsaved-changes question and the window title.
//
// A command never loses work on its own: cancelling the save dialog after Yes cancels the command,
// and a failed or cancelled open or save leaves text, title, binding and the file as they were.
// Reading and writing files report to the prompts' progress, which may show a dialog and handle
// events between chunks; a command that arrives meanwhile (a close by the window system, say) is
// refused: New, Open and Save do nothing, and the close question keeps the window open.
//
// A save into the bound file that another program changed since it was read or written asks
// first, Cancel being the default. A file whose reading a Ctrl-Z ended says so once it is open,
// and a save into it keeps the bytes left unread after the text.
class Document : public QObject {
    Q_OBJECT
public:
    static const QString TitlePrefix;
    static const QString kUntitledName; // a document not bound to a file
    static const QString kNewFileTitle;
    static const QString kSaveQuestion;
    static const QString kOpenFilter;
    static const QString kSaveFilter;
    static const QString kChangedQuestion; // %1: the file's name
    static const QString kUnreadNotice;    // %1: the file's name, %2: the line

    Document(RichEdit& editor, Prompts& prompts, QObject* parent = nullptr);

    // The path without its folder.
    static QString ShortFileName(const QString& path);

    QString title() const { return title_; }
    const QString& CurrentFileName() const { return binding_.fileName; }
    bool HasFileName() const { return binding_.bound(); }
    DocFormat format() const { return binding_.format; }
    const DocBinding& binding() const { return binding_; }
    // Binds the document as binding says and titles the window after it.
    void setBinding(const DocBinding& binding);
    FileDialogState& openDialog() { return openDialog_; }
    FileDialogState& saveDialog() { return saveDialog_; }

    void formShow();
    void newFile();    // New
    void open();       // Open, after the question when the text was modified
    void saveAs();     // "Сохранить...": RTF under a name asked for
    bool queryClose(); // the close question; false keeps the window open

    // The save after a Yes: writes the bound file in its format, or asks for a name first.
    // Returns false when the user cancelled the save dialog.
    bool SaveDocument();
    // Asks for a file and loads it as plain lines.
    void OpenDocument();
    // Loads fileName as plain lines and binds the document to it, as OpenDocument does with the
    // file picked in the dialog.
    void openFile(const QString& fileName);
    // Shows doc, rebuilt from a recovery record, bound as it was, titled as that binding gives
    // and modified.
    void restore(std::unique_ptr<QTextDocument> doc, const DocBinding& binding);

signals:
    void titleChanged(const QString& title);

private:
    // The unsaved-changes question; true when the command may go on.
    bool settleChanges();
    void reset();
    void setTitle(const QString& title);
    // Writes the document to fileName in format and returns the stamp of the written file; none
    // when the user chose not to overwrite the bound file that another program changed.
    std::optional<FileStamp> writeFile(const QString& fileName, DocFormat format);
    // Whether the bound file may be written: unchanged since it was read or written, or the user
    // said so.
    bool mayOverwrite();

    RichEdit& editor_;
    Prompts& prompts_;
    QString title_;
    DocBinding binding_;
    bool working_ = false; // a file is being read or written
    FileDialogState openDialog_;
    FileDialogState saveDialog_;
};
