#include "Explorer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <cstdio>

namespace {

constexpr int kPrinted = 3; // violations printed in full per operation when brief

QByteArray fingerprint(const Tree& tree) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const auto& [path, bytes] : tree) {
        hash.addData(path.toUtf8());
        hash.addData(bytes ? QByteArray("f") + QByteArray::number(bytes->size()) : "d");
        if (bytes) {
            hash.addData(*bytes);
        }
    }
    return hash.result();
}

void readInto(Tree& tree, const QString& root, const QString& prefix) {
    const QDir dir(root + QLatin1Char('/') + prefix);
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QString path = prefix + entry.fileName();
        if (entry.isDir()) {
            tree[path] = std::nullopt;
            readInto(tree, root, path + QLatin1Char('/'));
        } else {
            QFile file(entry.filePath());
            tree[path] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }
    }
}

} // namespace

int runRecorded(const QString& program, const QStringList& args, const QString& root,
                const QString& log, const QStringList& environment) {
    QFile::remove(log);
    QProcess process;
    QStringList env = QProcess::systemEnvironment();
    env << QStringLiteral("LD_PRELOAD=" POWERCUT_SHIM) << QStringLiteral("POWERCUT_ROOT=") + root
        << QStringLiteral("POWERCUT_LOG=") + log << QStringLiteral("QT_QPA_PLATFORM=offscreen")
        << environment;
    // A sanitized program finds the shim loaded before its runtime.
    env << QStringLiteral("ASAN_OPTIONS=verify_asan_link_order=0:") +
               qEnvironmentVariable("ASAN_OPTIONS");
    process.setEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, args);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void Explorer::materialise(const Tree& tree) const {
    QDir dir(root_);
    for (const QString& entry :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        QFileInfo info(dir.filePath(entry));
        if (info.isDir()) {
            QDir(info.filePath()).removeRecursively();
        } else {
            QFile::remove(info.filePath());
        }
    }
    for (const auto& [path, bytes] : tree) {
        const QString full = root_ + QLatin1Char('/') + path;
        if (!bytes) {
            dir.mkpath(full);
            continue;
        }
        QFile file(full);
        if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size()) {
            std::fprintf(stderr, "powercut: cannot write %s\n", qPrintable(full));
            std::exit(2);
        }
    }
}

Tree Explorer::read() const {
    Tree tree;
    readInto(tree, root_, QString());
    return tree;
}

std::vector<std::vector<int>> Explorer::choices(const DiskModel& model, int cut) const {
    const std::vector<int> dims = model.dimensions();
    double total = 1;
    for (const int d : dims) {
        total *= d;
    }
    std::vector<std::vector<int>> all;
    if (total <= sampling_.perCut) {
        // Every combination, counted in mixed radix.
        std::vector<int> c(dims.size(), 0);
        for (int n = 0; n < int(total); ++n) {
            all.push_back(c);
            for (size_t i = 0; i < c.size() && ++c[i] == dims[i]; ++i) {
                c[i] = 0;
            }
        }
        return all;
    }
    // Too many: what the syncs left, what the program sees, and a fixed draw of the rest.
    all.emplace_back(dims.size(), 0);
    all.push_back(model.current());
    QRandomGenerator random(sampling_.seed + quint32(cut));
    while (int(all.size()) < sampling_.perCut) {
        std::vector<int> c(dims.size());
        for (size_t i = 0; i < c.size(); ++i) {
            c[i] = random.bounded(dims[i]);
        }
        all.push_back(std::move(c));
    }
    return all;
}

std::pair<int, int> Explorer::explore(const QString& operation, DiskModel model, const Tree& start,
                                      const std::vector<Call>& calls, const Check& check) {
    QSet<QByteArray> seen;
    CutContext context;
    int states = 0;
    int violations = 0;
    for (size_t cut = 0; cut <= calls.size(); ++cut) {
        if (cut > 0) {
            const Call& call = calls[cut - 1];
            model.apply(call);
            if (call.kind == 'K' && call.path.startsWith(QLatin1String("durable "))) {
                context.durable = call.path.mid(8).toULongLong();
            }
            context.ending = context.ending || (call.kind == 'K' && call.path == "ending");
            context.saved = context.saved || (call.kind == 'K' && call.path == "saved");
        }
        for (const std::vector<int>& choice : choices(model, int(cut))) {
            const Tree state = model.state(choice);
            // The same state at a later cut is checked again only when the marks differ.
            const QByteArray key = fingerprint(state) + QByteArray::number(context.durable) +
                                   (context.ending ? "e" : "") + (context.saved ? "s" : "");
            if (seen.contains(key)) {
                continue;
            }
            seen.insert(key);
            ++states;
            materialise(state);
            const QString reason = check(state, context);
            if (!reason.isEmpty()) {
                if (++violations <= kPrinted || !sampling_.brief) {
                    report(operation, calls, cut, state, reason);
                } else {
                    std::printf("violation: %s, power cut after call %zu of %zu: %s\n",
                                qPrintable(operation), cut, calls.size(), qPrintable(reason));
                }
            }
        }
    }
    materialise(start);
    return {states, violations};
}

QString Explorer::describe(const QByteArray& bytes) const {
    const auto known = labels_.find(bytes);
    if (known != labels_.end()) {
        return QStringLiteral("%1 bytes, %2").arg(bytes.size()).arg(known->second);
    }
    QByteArray head = bytes.left(40);
    head.replace('\n', "\\n");
    head.replace('\0', "\\0");
    return QStringLiteral("%1 bytes, beginning \"%2\"")
        .arg(bytes.size())
        .arg(QString::fromUtf8(head));
}

void Explorer::report(const QString& operation, const std::vector<Call>& calls, size_t cut,
                      const Tree& state, const QString& reason) const {
    std::printf("violation: %s, power cut after call %zu of %zu: %s\n  calls:\n",
                qPrintable(operation), cut, calls.size(), qPrintable(reason));
    for (size_t i = 0; i < cut; ++i) {
        std::printf("    %zu %s\n", i + 1, qPrintable(calls[i].describe()));
    }
    std::printf("  state:\n");
    for (const auto& [path, bytes] : state) {
        std::printf("    %s: %s\n", qPrintable(path),
                    bytes ? qPrintable(describe(*bytes)) : "folder");
    }
}
