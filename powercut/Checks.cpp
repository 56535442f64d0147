#include "Checks.h"

#include "Errors.h"
#include "FileName.h"
#include "InterruptedSaves.h"
#include "PrivateCopy.h"
#include "RecordFormat.h"
#include "RecordReader.h"
#include "RecoveryOffer.h"
#include "RichEdit.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextDocument>
#include <algorithm>

namespace {

// Answers Yes to every question: every copy offered is written back.
class YesPrompts : public Prompts {
public:
    int centeredMessage(const QString& /*text*/, MsgDlgType /*type*/, int /*buttons*/) override {
        ++questions;
        return mrYes;
    }
    bool runOpenDialog(FileDialogState& /*state*/) override { return false; }
    bool runSaveDialog(FileDialogState& /*state*/) override { return false; }
    bool runFontDialog(TextFont& /*font*/) override { return false; }
    int questions = 0;
};

std::optional<QByteArray> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

template <typename T> bool contains(const std::vector<T>& all, const T& one) {
    return std::find(all.begin(), all.end(), one) != all.end();
}

// The bytes of each copy left behind for target that the next start would offer; the copies
// made by the save explored (not in before) are counted in made.
std::vector<std::optional<QByteArray>> offeredCopies(const QString& target, const QString& root,
                                                     const Tree& before, int& made) {
    std::vector<std::optional<QByteArray>> bytes;
    for (const auto& copy : PrivateCopy::leftBehind()) {
        if (copy->target() != FileName::encode(target)) {
            continue;
        }
        made += before.contains(FileName::decode(copy->path()).mid(root.size() + 1)) ? 0 : 1;
        QByteArray held;
        copy->read([&held](QByteArrayView chunk) { held += chunk.toByteArray(); });
        bytes.emplace_back(held);
    }
    return bytes;
}

} // namespace

QString unchangedBelow(const QString& prefix, const Tree& before, const Tree& state,
                       const std::function<bool(const QString& path)>& exempt) {
    for (const auto& [path, bytes] : before) {
        if (path.startsWith(prefix) && !exempt(path)) {
            const auto now = state.find(path);
            if (now == state.end() || now->second != bytes) {
                return QStringLiteral("%1 changed or went").arg(path);
            }
        }
    }
    for (const auto& [path, bytes] : state) {
        if (path.startsWith(prefix) && !exempt(path) && !before.contains(path)) {
            return QStringLiteral("%1 appeared").arg(path);
        }
    }
    return {};
}

QString checkSave(const SaveRules& rules, const Tree& before, const Tree& state,
                  const QString& root, bool saved) {
    // The save's own names, and a temporary name beside the file, are its; nothing else is.
    const QString home = rules.target.left(rules.target.lastIndexOf(QLatin1Char('/')) + 1);
    const QRegularExpression temporary(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(home + QLatin1Char('.') + rules.target.mid(home.size())) +
        QStringLiteral("\\.[A-Za-z0-9]{6}")));
    QString other = unchangedBelow(home, before, state, [&](const QString& path) {
        return path == rules.target || contains(rules.sameFile, path) ||
               temporary.match(path).hasMatch();
    });
    if (!other.isEmpty()) {
        return other;
    }
    const QString target = root + QLatin1Char('/') + rules.target;
    const std::optional<QByteArray> held = readFile(target);
    int made = 0;
    const auto copies = offeredCopies(target, root, before, made);
    if (held == rules.fresh) {
        return saved && made > 0 ? QStringLiteral("the save returned, yet its copy is offered "
                                                  "back as the copy of a save never finished")
                                 : QString();
    }
    if (rules.precious && held != rules.precious && !contains(copies, rules.precious)) {
        return QStringLiteral("the old bytes are lost: neither the file nor a copy offered "
                              "back holds them");
    }
    const bool restorable = std::any_of(
        copies.begin(), copies.end(), [&](const auto& copy) { return contains(rules.olds, copy); });
    if (!contains(rules.olds, held) && !restorable) {
        return held ? QStringLiteral("the file holds neither the old bytes nor the new ones, "
                                     "and no copy of the old ones is offered back")
                    : QStringLiteral("the file is gone and no copy is offered back");
    }
    if (copies.size() == 1) {
        // The copy as the next start writes it back.
        YesPrompts yes;
        InterruptedSaves::offer(yes);
        if (readFile(target) != copies.front()) {
            return QStringLiteral("the copy offered back did not restore the old bytes");
        }
    }
    return {};
}

QString checkRecord(const QString& root, const std::vector<QString>& expected, quint64 durable,
                    bool ending, const std::optional<OpenedFile>& opened) {
    const QDir folder(root + QStringLiteral("/state/zelto/recovery"));
    // The editor whose document the restored one is built like; kept to the end of the run.
    static RichEdit* const editor = new RichEdit;
    YesPrompts prompts;
    const RecordReader::MakeBase makeBase = recordBase(*editor, prompts);
    quint64 newest = 0;
    for (const QString& name :
         folder.entryList({QLatin1Char('*') + Record::kSuffix.toString()}, QDir::Files)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            return QStringLiteral("%1 cannot be opened").arg(name);
        }
        try {
            RecordReader reader(file);
            if (reader.empty()) {
                continue;
            }
            const quint64 sequence = reader.commit().sequence;
            std::unique_ptr<QTextDocument> document;
            try {
                document = reader.replay(makeBase);
            } catch (const BaseUnavailable&) {
                // Kept for a later start, which the offer says; only right when the file is gone.
                if (reader.holdsBase() || !opened || readFile(opened->path) == opened->bytes) {
                    return QStringLiteral("%1 is not restored, yet the file it was opened from "
                                          "is as it was or the record holds its copy")
                        .arg(name);
                }
                newest = std::max(newest, sequence);
                continue;
            }
            if (sequence == 0 || sequence > expected.size() ||
                document->toPlainText() != expected[sequence - 1]) {
                return QStringLiteral("%1 replays to a document no commit recorded").arg(name);
            }
            newest = std::max(newest, sequence);
        } catch (const RecordError&) {
            // Put aside by the next start: it offers nothing, which the rule below weighs.
        }
    }
    if (!ending && newest < durable) {
        return QStringLiteral("the records replay to commit %1 at best, older than commit %2, "
                              "reported durable")
            .arg(newest)
            .arg(durable);
    }
    return {};
}
