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
    DocBinding binding;
    qint64 lastChangeMs = 0;
};

// The text file the record began as, from the record's own copy of its bytes.
std::unique_ptr<QTextDocument> baseFromRecord(RecordReader& reader, PlainTextBuilder& builder,
                                              Prompts& prompts) {
    const std::unique_ptr<Progress> progress = prompts.startProgress(ProgressTask::Open);
    progress->begin(reader.start().sum->second);
    TextFile::LineDecoder decoder;
    QString text;
    qint64 done = 0;
    bool more = true;
    reader.readBase([&](QByteArrayView bytes) {
        text.resize(0);
        more = more && decoder.decode(bytes, text);
        builder.append(text);
        done += bytes.size();
        progress->step(done);
    });
    text.resize(0);
    decoder.finish(text);
    builder.append(text);
    return builder.take();
}

// The text file the record began as, read again: only while it has the bytes it had.
std::unique_ptr<QTextDocument> baseFromFile(const RecordStart& start, PlainTextBuilder& builder,
                                            Prompts& prompts) {
    DocFile file;
    file.assign(start.file);
    const std::unique_ptr<Progress> progress = prompts.startProgress(ProgressTask::Open);
    DocFile::Read read;
    try {
        read = file.readLines([&builder](const QString& text) { builder.append(text); }, *progress);
    } catch (const SilentAbort&) {
        throw;
    } catch (const Error&) {
        throw BaseUnavailable("the file the document was opened from cannot be read");
    }
    // Another stamp with the same bytes (a file put back from a copy, say) serves too.
    if (read.stamp != start.stamp && (!start.sum || fileSum(start.file) != start.sum)) {
        throw BaseUnavailable("the file the document was opened from has changed");
    }
    return builder.take();
}

std::unique_ptr<QTextDocument> makeBase(RecordReader& reader, RichEdit& editor, Prompts& prompts) {
    PlainTextBuilder builder(*editor.document());
    if (reader.start().base != Record::BaseKind::TextFile) {
        return builder.take();
    }
    return reader.holdsBase() ? baseFromRecord(reader, builder, prompts)
                              : baseFromFile(reader.start(), builder, prompts);
}

QString documentName(const DocBinding& binding) {
    return binding.fileName.isEmpty()
               ? Document::kUntitledName
               : FileName::display(Document::ShortFileName(binding.fileName));
}

QString asideMessage(const QStringList& paths) {
    return QStringLiteral("Записи для восстановления, которые не удалось прочитать, сохранены "
                          "под именами:\n%1")
        .arg(paths.join(QLatin1Char('\n')));
}

void putAside(Candidate& candidate, Prompts& prompts) {
    QString aside;
    try {
        aside = RecordFolder::putAside(candidate.record);
    } catch (const InOutError&) {
        aside = candidate.record.path();
    }
    prompts.applicationMessage(
        QStringLiteral("Документ «%1» не удалось восстановить: запись повреждена.\n"
                       "Запись сохранена как %2.")
            .arg(documentName(candidate.binding), QDir::toNativeSeparators(aside)),
        MsgDlgType::Warning, mbOK);
}

// Restores candidate into the editor; false when it cannot be. A record that cannot serve now
// waits for the next start; only a damaged one is put aside.
bool restore(Candidate& candidate, Recorder& recorder, Document& document, RichEdit& editor) {
    Prompts& prompts = recorder.prompts();
    try {
        QFile file(candidate.record.path());
        if (!file.open(QIODevice::ReadOnly)) {
            throw BaseUnavailable("the record cannot be read");
        }
        RecordReader reader(file);
        std::unique_ptr<QTextDocument> doc = reader.replay(recordBase(editor, prompts));
        document.restore(std::move(doc), reader.currentBinding());
        recorder.takeOver(std::move(candidate.record), reader.commit().lastChangeMs);
        editor.setFocus();
        return true;
    } catch (const BaseUnavailable&) {
        prompts.applicationMessage(
            QStringLiteral("Документ «%1» сейчас не удаётся восстановить: файл «%2», из которого "
                           "он был открыт, недоступен или изменился, а запись не успела "
                           "сохранить его копию.\nЗапись сохранена; восстановить документ будет "
                           "предложено при следующем запуске.")
                .arg(documentName(candidate.binding),
                     FileName::display(QDir::toNativeSeparators(candidate.binding.fileName))),
            MsgDlgType::Warning, mbOK);
        return false;
    } catch (const RecordError&) {
    } catch (const SilentAbort&) {
        return false; // the user cancelled reading the file: the record stays for the next start
    }
    putAside(candidate, prompts);
    return false;
}

} // namespace

RecordReader::MakeBase recordBase(RichEdit& editor, Prompts& prompts) {
    return [&editor, &prompts](RecordReader& reader) { return makeBase(reader, editor, prompts); };
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
