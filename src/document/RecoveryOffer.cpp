#include "RecoveryOffer.h"

#include "Document.h"
#include "Errors.h"
#include "FileName.h"
#include "PlainTextBuilder.h"
#include "Prompts.h"
#include "RecordReader.h"
#include "Recorder.h"
#include "RichEdit.h"
#include "TextFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTextDocument>
#include <algorithm>

namespace {

struct Candidate {
    LockedFile record;
    RecordBinding binding;
    qint64 lastChangeMs = 0;
};

std::unique_ptr<QTextDocument> makeBase(const RecordStart& start, RichEdit& editor,
                                        Prompts& prompts) {
    PlainTextBuilder builder(*editor.document());
    if (start.base == Record::BaseKind::TextFile) {
        DocFile file;
        file.assign(start.file);
        const std::unique_ptr<Progress> progress = prompts.startProgress(ProgressTask::Open);
        DocFile::Read read;
        try {
            read = file.readLines([&builder](const QString& text) { builder.append(text); },
                                  *progress);
        } catch (const Error&) {
            throw RecordError("the file the document was opened from cannot be read");
        }
        // Another stamp with the same bytes (a file put back from a copy, say) serves too.
        if (read.stamp != start.stamp && (!start.sum || fileSum(start.file) != start.sum)) {
            throw RecordError("the file the document was opened from has changed");
        }
    }
    return builder.take();
}

QString documentName(const RecordBinding& binding) {
    return binding.fileName.isEmpty()
               ? Document::kUntitledName
               : FileName::display(Document::ShortFileName(binding.fileName));
}

QString asideMessage(const QStringList& paths) {
    return QStringLiteral("Записи для восстановления, которые не удалось прочитать, сохранены "
                          "под именами:\n%1")
        .arg(paths.join(QLatin1Char('\n')));
}

// Restores candidate into the editor; false (and the record put aside) when it cannot be.
bool restore(Candidate& candidate, Recorder& recorder, Document& document, RichEdit& editor) {
    Prompts& prompts = recorder.prompts();
    try {
        QFile file(candidate.record.path());
        if (!file.open(QIODevice::ReadOnly)) {
            throw RecordError("the record cannot be read");
        }
        RecordReader reader(file);
        std::unique_ptr<QTextDocument> doc = reader.replay(recordBase(editor, prompts));
        const RecordBinding& b = reader.binding();
        document.restore(
            std::move(doc),
            {b.fileName, b.format == 1 ? DocFormat::Rtf : DocFormat::PlainText, b.stamp, b.unread});
        recorder.takeOver(std::move(candidate.record));
        editor.setFocus();
        return true;
    } catch (const RecordError&) {
    } catch (const SilentAbort&) {
        return false; // the user cancelled reading the file: the record stays for the next start
    }
    QString aside;
    try {
        aside = RecordFolder::putAside(candidate.record);
    } catch (const InOutError&) {
        aside = candidate.record.path();
    }
    prompts.applicationMessage(
        QStringLiteral("Документ «%1» не удалось восстановить: запись повреждена или файл, из "
                       "которого он был открыт, с тех пор изменился.\nЗапись сохранена как %2.")
            .arg(documentName(candidate.binding), QDir::toNativeSeparators(aside)),
        MsgDlgType::Warning, mbOK);
    return false;
}

} // namespace

RecordReader::MakeBase recordBase(RichEdit& editor, Prompts& prompts) {
    return
        [&editor, &prompts](const RecordStart& start) { return makeBase(start, editor, prompts); };
}

bool offerRecovery(Recorder& recorder, Document& document, RichEdit& editor) {
    Prompts& prompts = recorder.prompts();
    std::vector<Candidate> candidates;
    QStringList aside;
    for (LockedFile& record : recorder.folder().claimOrphans()) {
        QFile file(record.path());
        try {
            if (!file.open(QIODevice::ReadOnly)) {
                throw RecordError("the record cannot be read");
            }
            const RecordReader reader(file);
            if (reader.empty()) {
                // Nothing of it ever became durable.
                RecordFolder::remove(record);
                continue;
            }
            candidates.push_back(
                {std::move(record), reader.binding(), reader.commit().lastChangeMs});
        } catch (const RecordError&) {
            try {
                aside << QDir::toNativeSeparators(RecordFolder::putAside(record));
            } catch (const InOutError&) {
                aside << QDir::toNativeSeparators(record.path());
            }
        }
    }
    if (!aside.isEmpty()) {
        prompts.applicationMessage(asideMessage(aside), MsgDlgType::Warning, mbOK);
    }
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const Candidate& a, const Candidate& b) { return a.lastChangeMs > b.lastChangeMs; });
    for (Candidate& candidate : candidates) {
        const QString when = QDateTime::fromMSecsSinceEpoch(candidate.lastChangeMs)
                                 .toString(QStringLiteral("dd.MM.yyyy HH:mm"));
        const int answer = prompts.applicationMessage(
            QStringLiteral("Программа завершилась, не сохранив изменения документа «%1» "
                           "(последнее изменение %2).\n\nВосстановить документ?")
                .arg(documentName(candidate.binding), when),
            MsgDlgType::Confirmation, mbYes | mbNo | mbCancel);
        if (answer == mrYes && restore(candidate, recorder, document, editor)) {
            return true;
        }
        if (answer == mrNo) {
            RecordFolder::remove(candidate.record);
        }
        // Cancel: the lock goes with the candidate, and the record waits for the next start.
    }
    return false;
}
