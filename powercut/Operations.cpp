#include "Operations.h"

#include "Checks.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <unistd.h>

namespace {

const QString kTarget = QStringLiteral("home/doc.txt");
constexpr int kCommits = 36;

// Lines that differ in every line and in length from one text to the other, so that a mix shows.
QByteArray text(const QString& line, int bytes) {
    QByteArray out;
    for (int i = 0; out.size() < bytes; ++i) {
        out += (line + QString::number(i) + QLatin1Char('\n')).toUtf8();
    }
    return out;
}

const QByteArray& oldBytes() {
    static const QByteArray bytes = text(QStringLiteral("Первый вариант, строка номер "), 40000);
    return bytes;
}

const QByteArray& newBytes() {
    static const QByteArray bytes = text(QStringLiteral("Second variant, line "), 27000);
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "powercut: cannot write %s\n", qPrintable(path));
        std::exit(2);
    }
}

// The scratch root with the user's folder, holding a file no save touches, and the empty cache
// and state folders that the program's private folders go into.
QString freshRoot(const Options& options) {
    QString root = options.scratch + QStringLiteral("/root");
    QDir(root).removeRecursively();
    for (const char* folder : {"home", "cache", "state"}) {
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(folder));
    }
    writeFile(root + QStringLiteral("/home/other.txt"), "Another file of the user's.\n");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/cache")));
    qputenv("XDG_STATE_HOME", QFile::encodeName(root + QStringLiteral("/state")));
    return root;
}

QStringList environment(const QString& root, const Options& options) {
    QStringList env{QStringLiteral("XDG_CACHE_HOME=") + root + QStringLiteral("/cache"),
                    QStringLiteral("XDG_STATE_HOME=") + root + QStringLiteral("/state"),
                    QStringLiteral("HOME=") + root + QStringLiteral("/home")};
    if (options.noSync) {
        env << QStringLiteral("POWERCUT_NOSYNC=1");
    }
    return env;
}

// Runs the save of the new bytes over what root holds; exitAfter > 0 kills it after that many
// logged calls. Returns the calls, or nothing when the save failed.
std::optional<std::vector<Call>> save(const Options& options, const QString& root,
                                      int exitAfter = 0, bool named = false) {
    const QString source = options.scratch + QStringLiteral("/new.txt");
    writeFile(source, newBytes());
    const QString log = options.scratch + QStringLiteral("/calls.log");
    QStringList env = environment(root, options);
    if (exitAfter > 0) {
        env << QStringLiteral("POWERCUT_EXIT_AFTER=%1").arg(exitAfter);
    }
    if (named) {
        env << QStringLiteral("POWERCUT_NO_TMPFILE=1");
    }
    const int code = runRecorded(
        QStringLiteral(POWERCUT_SAVE),
        {root + QLatin1Char('/') + kTarget, source, QStringLiteral("5000")}, root, log, env);
    if (code != (exitAfter > 0 ? 9 : 0)) {
        std::fprintf(stderr, "powercut: the save ended with %d\n", code);
        return std::nullopt;
    }
    return readCallLog(log);
}

// The old file, and a second name for it, which makes the save write it in place.
void inPlaceFile(const QString& root) {
    writeFile(root + QLatin1Char('/') + kTarget, oldBytes());
    ::link(QFile::encodeName(root + QLatin1Char('/') + kTarget).constData(),
           QFile::encodeName(root + QStringLiteral("/home/doc-link.txt")).constData());
}

// The number of logged calls up to the second write to the target in place.
int secondTargetWrite(const std::vector<Call>& calls, const QString& target) {
    quint64 ino = 0;
    int writes = 0;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].kind == 'O' && calls[i].path == target && !calls[i].created) {
            ino = calls[i].ino;
        } else if (calls[i].kind == 'W' && calls[i].ino == ino && ino != 0 && ++writes == 2) {
            return int(i) + 1;
        }
    }
    return 0;
}

using Setup = std::function<bool(const Options&, const QString& root, SaveRules& rules)>;

// Explores the save of the new bytes over what setup leaves; named: the save finds no unnamed
// files and writes under a temporary name.
std::pair<int, int> exploreSave(const QString& name, const Options& options,
                                const Sampling& sampling, const Setup& setup, bool named) {
    const QString root = freshRoot(options);
    SaveRules rules{kTarget, {std::nullopt}, std::nullopt, newBytes(), {}};
    if (!setup(options, root, rules)) {
        return {0, 1};
    }
    Explorer explorer(root, sampling);
    const Tree start = explorer.read();
    DiskModel model(root);
    const auto calls = save(options, root, 0, named);
    if (!calls) {
        return {0, 1};
    }
    explorer.label(oldBytes(), QStringLiteral("the old bytes"));
    explorer.label(newBytes(), QStringLiteral("the new bytes"));
    if (const auto torn = start.find(kTarget);
        torn != start.end() && torn->second && *torn->second != oldBytes()) {
        explorer.label(*torn->second, QStringLiteral("the bytes the killed save left"));
    }
    const QString shown = named ? name + QStringLiteral(" (under a temporary name)") : name;
    return explorer.explore(shown, std::move(model), start, *calls,
                            [&](const Tree& state, const CutContext& context) {
                                return checkSave(rules, start, state, root, context.saved);
                            });
}

bool replacing(const Options& /*options*/, const QString& root, SaveRules& rules) {
    writeFile(root + QLatin1Char('/') + kTarget, oldBytes());
    rules.olds = {oldBytes()};
    rules.precious = oldBytes();
    return true;
}

bool inPlace(const Options& /*options*/, const QString& root, SaveRules& rules) {
    inPlaceFile(root);
    rules.olds = {oldBytes()};
    rules.precious = oldBytes();
    rules.sameFile = {QStringLiteral("home/doc-link.txt")};
    return true;
}

bool firstSave(const Options& /*options*/, const QString& /*root*/, SaveRules& /*rules*/) {
    return true;
}

// An in-place save killed after its second write to the file leaves the file torn and its
// private copy behind; the user keeps the copy (Cancel at the start's question) and saves again.
bool afterKilled(const Options& options, const QString& root, SaveRules& rules) {
    inPlaceFile(root);
    const auto full = save(options, root);
    const int exitAfter = full ? secondTargetWrite(*full, root + QLatin1Char('/') + kTarget) : 0;
    QDir(root).removeRecursively();
    freshRoot(options);
    inPlaceFile(root);
    if (exitAfter == 0 || !save(options, root, exitAfter)) {
        std::fprintf(stderr, "powercut: the save could not be killed half-way\n");
        return false;
    }
    QFile torn(root + QLatin1Char('/') + kTarget);
    if (!torn.open(QIODevice::ReadOnly)) {
        return false;
    }
    rules.olds = {oldBytes(), torn.readAll()};
    rules.precious = oldBytes();
    rules.sameFile = {QStringLiteral("home/doc-link.txt")};
    return true;
}

// The opened file's name in the user's folder, and where the file itself is kept meanwhile.
const QString kOpened = QStringLiteral("home/opened.txt");

// After a cut that lost every change to the opened file, the file is the one that was opened,
// stamp and all: the one kept aside takes its place.
void keepIdentity(const QString& root, const QString& kept, const Tree& state,
                  const QByteArray& bytes) {
    const auto file = state.find(kOpened);
    if (file != state.end() && file->second == bytes) {
        const QByteArray path = QFile::encodeName(root + QLatin1Char('/') + kOpened);
        ::unlink(path.constData());
        if (::link(QFile::encodeName(kept).constData(), path.constData()) != 0) {
            std::fprintf(stderr, "powercut: cannot link %s\n", path.constData());
            std::exit(2);
        }
    }
}

// Explores a record of a document begun empty, or, opened, as a text file that another program
// replaces and then removes, after the record copied it or while it does (racing).
std::pair<int, int> exploreRecord(const QString& name, const Options& options,
                                  const Sampling& sampling, bool opened, bool racing = false) {
    const QString root = freshRoot(options);
    const QString out = options.scratch + QStringLiteral("/commits");
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    QStringList args{out, QString::number(kCommits)};
    std::optional<OpenedFile> base;
    const QString kept = options.scratch + QStringLiteral("/opened.kept");
    if (opened) {
        base = OpenedFile{root + QLatin1Char('/') + kOpened,
                          text(QStringLiteral("Opened file, line number "), 30000)};
        writeFile(base->path, base->bytes);
        QFile::remove(kept);
        ::link(QFile::encodeName(base->path).constData(), QFile::encodeName(kept).constData());
        args << base->path << QLatin1String(racing ? "racing" : "copied");
    }
    Explorer explorer(root, sampling);
    const Tree start = explorer.read();
    DiskModel model(root);
    const QString log = options.scratch + QStringLiteral("/calls.log");
    const int code =
        runRecorded(QStringLiteral(POWERCUT_RECORD), args, root, log, environment(root, options));
    if (code != 0) {
        std::fprintf(stderr, "powercut: the record ended with %d\n", code);
        return {0, 1};
    }
    std::vector<QString> expected;
    for (int i = 1; i <= kCommits; ++i) {
        QFile file(QStringLiteral("%1/commit-%2").arg(out).arg(i));
        expected.push_back(file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll())
                                                          : QString());
    }
    if (base) {
        explorer.label(base->bytes, QStringLiteral("the opened file's bytes"));
    }
    return explorer.explore(
        name, std::move(model), start, readCallLog(log),
        [&](const Tree& state, const CutContext& context) {
            // The other program's changes to the opened file are its own.
            const QString home =
                unchangedBelow(QStringLiteral("home/"), start, state, [&](const QString& path) {
                    return opened && path.startsWith(kOpened);
                });
            if (!home.isEmpty()) {
                return home;
            }
            if (base) {
                keepIdentity(root, kept, state, base->bytes);
            }
            return checkRecord(root, expected, context.durable, context.ending, base);
        });
}

Operation recordOperation(const QString& name, bool opened) {
    return {name, [=](const Options& options, const Sampling& sampling) {
                auto [states, violations] = exploreRecord(name, options, sampling, opened);
                if (opened) {
                    const auto [n, v] = exploreRecord(name, options, sampling, true, true);
                    states += n;
                    violations += v;
                }
                return std::pair{states, violations};
            }};
}

// A save; replacing: also where the file system has no unnamed files, which makes the
// temporary file visible before it is complete.
Operation saveOperation(const QString& name, const Setup& setup, bool replacing) {
    return {name, [=](const Options& options, const Sampling& sampling) {
                auto [states, violations] = exploreSave(name, options, sampling, setup, false);
                if (replacing) {
                    const auto [n, v] = exploreSave(name, options, sampling, setup, true);
                    states += n;
                    violations += v;
                }
                return std::pair{states, violations};
            }};
}

} // namespace

const std::vector<Operation>& operations() {
    static const std::vector<Operation> all = {
        saveOperation(QStringLiteral("replacing save"), replacing, true),
        saveOperation(QStringLiteral("in-place save"), inPlace, false),
        saveOperation(QStringLiteral("first save"), firstSave, true),
        saveOperation(QStringLiteral("save after a killed save"), afterKilled, false),
        recordOperation(QStringLiteral("recovery record"), false),
        recordOperation(QStringLiteral("record-opened"), true),
    };
    return all;
}
