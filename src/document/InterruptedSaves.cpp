#include "InterruptedSaves.h"

#include "Errors.h"
#include "FileName.h"
#include "FileWriter.h"
#include "PrivateCopy.h"

const QString InterruptedSaves::kQuestion = QStringLiteral(
    "Сохранение файла «%1» не было завершено: Zelto был остановлен, и файл мог остаться "
    "неполным. Его прежнее содержимое сохранено в копии:\n%2\n\n"
    "Вернуть файлу прежнее содержимое?\n"
    "Yes — вернуть; No — оставить файл как есть и удалить копию; Cancel — спросить при следующем "
    "запуске.");

void InterruptedSaves::offer(Prompts& prompts) {
    for (const auto& copy : PrivateCopy::leftBehind()) {
        const QString target = FileName::decode(copy->target());
        const QString question = kQuestion.arg(FileName::display(target),
                                               FileName::display(FileName::decode(copy->path())));
        // Yes by default: the file is torn, and the old contents make it whole again; the edits
        // the save was writing come back from the recovery record offered next.
        const int answer =
            prompts.centeredMessage(question, MsgDlgType::Confirmation, mbYes | mbNo | mbCancel);
        if (answer == mrNo) {
            copy->remove();
        } else if (answer == mrYes) {
            runGuarded([&] {
                const std::unique_ptr<Progress> progress =
                    prompts.startProgress(ProgressTask::Save);
                FileWriter writer(target, *progress, copy->size());
                writer.reserve(copy->size());
                qint64 done = 0;
                copy->read([&](QByteArrayView bytes) {
                    writer.write(bytes);
                    done += bytes.size();
                    writer.progress().step(done);
                });
                writer.commit();
                copy->remove();
            });
        }
    }
}
