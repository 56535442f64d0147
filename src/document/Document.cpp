#include "Document.h"

#include "PlainTextBuilder.h"
#include "RichEdit.h"
#include "RtfWriter.h"

#include <QScopedValueRollback>
#include <QTextDocument>
#include <algorithm>
#include <memory>

const QString Document::TitlePrefix = QStringLiteral("Текстовый редактор Zelto ver 1.0 - ");
const QString Document::kNewFileTitle = Document::TitlePrefix + QStringLiteral("Новый файл");
const QString Document::kSaveQuestion =
    QStringLiteral("Файл был изменён, желаете сохранить изменения?");
const QString Document::kOpenFilter =
    QStringLiteral(".rtf|*.rtf|Текстовые файлы (*.txt)|*.txt|Все файлы|*.*");
const QString Document::kSaveFilter = QStringLiteral(".rtf|.rtf");

Document::Document(RichEdit& editor, Prompts& prompts, QObject* parent)
    : QObject(parent), editor_(editor), prompts_(prompts) {
    openDialog_.filter = kOpenFilter;
    saveDialog_.filter = kSaveFilter;
    // The layout gives the save dialog the default extension "0", which names no file type and
    // which the program never reads: a name typed without an extension is saved as typed.
}

QString Document::ShortFileName(const QString& path) {
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    cut = std::max(cut, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return path.mid(cut + 1);
}

void Document::setTitle(const QString& title) {
    title_ = title;
    emit titleChanged(title_);
}

void Document::formShow() {
    setTitle(kNewFileTitle);
    hasFileName_ = false;
    editor_.setFocus();
}

bool Document::settleChanges() {
    if (!editor_.modified()) {
        return true;
    }
    switch (prompts_.centeredMessage(kSaveQuestion, MsgDlgType::Confirmation,
                                     mbYes | mbNo | mbCancel)) {
    case mrYes:
        return SaveDocument();
    case mrNo:
        return true;
    default:
        return false;
    }
}

void Document::newFile() {
    if (!working_ && settleChanges()) {
        reset();
    }
}

void Document::open() {
    if (!working_ && settleChanges()) {
        OpenDocument();
    }
}

bool Document::queryClose() {
    return !working_ && settleChanges();
}

void Document::reset() {
    editor_.clear();
    setTitle(kNewFileTitle);
    hasFileName_ = false;
    openDialog_.fileName.clear();
    saveDialog_.fileName.clear();
}

void Document::bind(const QString& fileName, DocFormat format) {
    currentFileName_ = fileName;
    docFile_.assign(fileName);
    format_ = format;
    hasFileName_ = true;
    setTitle(TitlePrefix + ShortFileName(fileName));
}

void Document::writeFile(const QString& fileName, DocFormat format) {
    const QScopedValueRollback working(working_, true);
    const std::unique_ptr<Progress> progress = prompts_.startProgress(ProgressTask::Save);
    if (format == DocFormat::Rtf) {
        RtfWriter::save(*editor_.document(), fileName, *progress);
    } else {
        DocFile file;
        file.assign(fileName);
        file.writeLines(*editor_.document(), *progress);
    }
}

bool Document::SaveDocument() {
    if (hasFileName_) {
        writeFile(docFile_.fileName(), format_);
        editor_.setModified(false);
        saveDialog_.fileName.clear();
        return true;
    }
    if (!prompts_.runSaveDialog(saveDialog_)) {
        return false;
    }
    const QString fileName = saveDialog_.fileName;
    const DocFormat format = fileName.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive)
                                 ? DocFormat::Rtf
                                 : DocFormat::PlainText;
    writeFile(fileName, format);
    saveDialog_.fileName.clear();
    bind(fileName, format);
    editor_.setModified(false);
    return true;
}

void Document::OpenDocument() {
    if (!prompts_.runOpenDialog(openDialog_)) {
        openDialog_.fileName.clear();
        return;
    }
    openFile(openDialog_.fileName);
    openDialog_.fileName.clear();
}

void Document::openFile(const QString& fileName) {
    const QScopedValueRollback working(working_, true);
    DocFile file;
    file.assign(fileName);
    // The new text is built aside, a chunk at a time as it is read; the editor takes it only when
    // the whole file was read, so a failed or cancelled open changes nothing.
    PlainTextBuilder builder(*editor_.document());
    {
        const std::unique_ptr<Progress> progress = prompts_.startProgress(ProgressTask::Open);
        file.readLines([&builder](const QString& text) { builder.append(text); }, *progress);
    }
    editor_.adopt(builder.take());
    bind(fileName, DocFormat::PlainText);
    editor_.setSelStart(0);
    editor_.scrollToTop();
}

void Document::saveAs() {
    if (working_ || !prompts_.runSaveDialog(saveDialog_)) {
        return;
    }
    const QString fileName = saveDialog_.fileName;
    writeFile(fileName, DocFormat::Rtf);
    bind(fileName, DocFormat::Rtf);
    editor_.setModified(false);
}

void Document::restore(std::unique_ptr<QTextDocument> doc, const QString& fileName,
                       bool hasFileName, DocFormat format) {
    editor_.adopt(std::move(doc));
    currentFileName_ = fileName;
    docFile_.assign(fileName);
    format_ = format;
    hasFileName_ = hasFileName;
    setTitle(hasFileName ? TitlePrefix + ShortFileName(fileName) : kNewFileTitle);
    editor_.setModified(true);
}
