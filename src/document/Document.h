#pragma once

#include "Prompts.h"
#include "TextFile.h"

#include <QObject>
#include <QString>
#include <memory>

class QTextDocument;
class RichEdit;

// How the save after the unsaved-changes question writes the bound file.
enum class DocFormat { PlainText, Rtf };

// The life of a document: which file it is bound to, when its text is read or written, the
// unsaved-changes question and the window title.
//
// A command never loses work on its own: cancelling the save dialog after Yes cancels the command,
// and a failed or cancelled open or save leaves text, title, binding and the file as they were.
// Reading and writing files report to the prompts' progress, which may show a dialog and handle
// events between chunks; a command that arrives meanwhile (a close by the window system, say) is
// refused: New, Open and Save do nothing, and the close question keeps the window open.
class Document : public QObject {
    Q_OBJECT
public:
    static const QString TitlePrefix;
    static const QString kNewFileTitle;
    static const QString kSaveQuestion;
    static const QString kOpenFilter;
    static const QString kSaveFilter;

    Document(RichEdit& editor, Prompts& prompts, QObject* parent = nullptr);

    // The path without its folder.
    static QString ShortFileName(const QString& path);

    QString title() const { return title_; }
    const QString& CurrentFileName() const { return currentFileName_; }
    bool HasFileName() const { return hasFileName_; }
    const DocFile& docFile() const { return docFile_; }
    DocFormat format() const { return format_; }
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
    // Shows doc, rebuilt from a recovery record, bound as it was (fileName is kept also when
    // hasFileName is false, as New keeps it), titled as that binding gives and modified.
    void restore(std::unique_ptr<QTextDocument> doc, const QString& fileName, bool hasFileName,
                 DocFormat format);

signals:
    void titleChanged(const QString& title);

private:
    // The unsaved-changes question; true when the command may go on.
    bool settleChanges();
    void reset();
    void bind(const QString& fileName, DocFormat format);
    void setTitle(const QString& title);
    void writeFile(const QString& fileName, DocFormat format);

    RichEdit& editor_;
    Prompts& prompts_;
    QString title_;
    QString currentFileName_;
    bool hasFileName_ = false;
    DocFile docFile_;
    DocFormat format_ = DocFormat::PlainText;
    bool working_ = false; // a file is being read or written
    FileDialogState openDialog_;
    FileDialogState saveDialog_;
};
