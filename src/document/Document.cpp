#include "Document.h"

#include "FileName.h"
#include "PlainTextBuilder.h"
#include "RichEdit.h"
#include "RtfWriter.h"
#include "TextFile.h"

#include <QScopedValueRollback>
#include <QTextDocument>
#include <algorithm>
#include <memory>

const QString Document::TitlePrefix = QStringLiteral("Текстовый редактор Zelto ver 1.0 - ");
const QString Document::kUntitledName = QStringLiteral("Новый файл");
const QString Document::kNewFileTitle = Document::TitlePrefix + Document::kUntitledName;
const QString Document::kSaveQuestion =
    QStringLiteral("Файл был изменён, желаете сохранить изменения?");
const QString Document::kOpenFilter =
    QStringLiteral(".rtf|*.rtf|Текстовые файлы (*.txt)|*.txt|Все файлы|*.*");
const QString Document::kSaveFilter = QStringLiteral(".rtf|.rtf");
const QString Document::kChangedQuestion =
    QStringLiteral("Файл «%1» был изменён другой программой. Перезаписать его и потерять эти "
                   "изменения?");
const QString Document::kUnreadNotice =
    QStringLiteral("Чтение файла «%1» остановлено в строке %2: в ней стоит символ конца текста "
                   "(Ctrl-Z). Остальная часть файла не показана; при сохранении в этот файл она "
                   "останется в нём без изменений.");

namespace {

// Whether bytes left unread hold more than the Ctrl-Z marks that old systems put at a file's end.
bool holdsText(const QByteArray& unread) {
    return std::any_of(unread.begin(), unread.end(), [](char c) { return c != '\x1a'; });
}

} // namespace

Document::Document(RichEdit& editor, Prompts& prompts, QObject* parent)
    : QObject(parent), editor_(editor), prompts_(prompts) {
    openDialog_.filter = kOpenFilter;
    saveDialog_.filter = kSaveFilter;
    // The layout gives the save dialog the default extension "0", which names no file type and
    // which the program never reads: a name typed without an extension is saved as typed.
}

QString Document::ShortFileName(const QString& path) {
    return FileName::shortName(path);
}

void Document::setTitle(const QString& title) {
    title_ = title;
    emit titleChanged(title_);
}

void Document::formShow() {
    setBinding({});
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
    setBinding({});
    openDialog_.fileName.clear();
    saveDialog_.fileName.clear();
}

void Document::setBinding(const DocBinding& binding) {
    binding_ = binding;
    setTitle(binding_.bound() ? TitlePrefix + FileName::display(ShortFileName(binding_.fileName))
                              : kNewFileTitle);
}

bool Document::mayOverwrite() {
    const FileStamp now = FileStamp::of(binding_.fileName);
    // A file gone or put aside is not overwritten; what is not a regular file is refused later.
    if (!now.isRegular() || !binding_.stamp.exists() || now == binding_.stamp) {
        return true;
    }
    const QString name = FileName::display(ShortFileName(binding_.fileName));
    return prompts_.centeredMessage(kChangedQuestion.arg(name), MsgDlgType::Confirmation,
                                    mbYes | mbCancel | mbDefaultCancel) == mrYes;
}

std::optional<FileStamp> Document::writeFile(const QString& fileName, DocFormat format) {
    const bool bound = binding_.bound() && fileName == binding_.fileName;
    if (bound && !mayOverwrite()) {
        return std::nullopt;
    }
    const QScopedValueRollback working(working_, true);
    const std::unique_ptr<Progress> progress = prompts_.startProgress(ProgressTask::Save);
    if (format == DocFormat::Rtf) {
        return RtfWriter::save(*editor_.document(), fileName, *progress);
    }
    DocFile file;
    file.assign(fileName);
    return file.writeLines(*editor_.document(), *progress, bound ? binding_.unread : QByteArray());
}

bool Document::SaveDocument() {
    if (binding_.bound()) {
        const std::optional<FileStamp> stamp = writeFile(binding_.fileName, binding_.format);
        if (!stamp) {
            return false;
        }
        binding_.stamp = *stamp;
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
    const std::optional<FileStamp> stamp = writeFile(fileName, format);
    saveDialog_.fileName.clear();
    setBinding({fileName, format, *stamp, {}});
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
    DocFile::Read read;
    {
        const QScopedValueRollback working(working_, true);
        DocFile file;
        file.assign(fileName);
        // The new text is built aside, a chunk at a time as it is read; the editor takes it only
        // when the whole file was read, so a failed or cancelled open changes nothing.
        PlainTextBuilder builder(*editor_.document());
        {
            const std::unique_ptr<Progress> progress = prompts_.startProgress(ProgressTask::Open);
            read = file.readLines([&builder](const QString& text) { builder.append(text); },
                                  *progress);
        }
        editor_.adopt(builder.take());
        setBinding({fileName, DocFormat::PlainText, read.stamp, read.unread});
        editor_.setSelStart(0);
        editor_.scrollToTop();
    }
    if (holdsText(read.unread)) {
        prompts_.centeredMessage(kUnreadNotice.arg(FileName::display(ShortFileName(fileName)),
                                                   QString::number(read.unreadLine)),
                                 MsgDlgType::Information, mbOK);
    }
}

void Document::saveAs() {
    if (working_ || !prompts_.runSaveDialog(saveDialog_)) {
        return;
    }
    const QString fileName = saveDialog_.fileName;
    const std::optional<FileStamp> stamp = writeFile(fileName, DocFormat::Rtf);
    if (stamp) {
        setBinding({fileName, DocFormat::Rtf, *stamp, {}});
        editor_.setModified(false);
    }
}

void Document::restore(std::unique_ptr<QTextDocument> doc, const DocBinding& binding) {
    editor_.adopt(std::move(doc));
    setBinding(binding);
    editor_.setModified(true);
}
