#include "DiskModel.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr qint64 kBlock = 4096;

quint64 inodeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QString parentOf(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('/')));
}

QString nameIn(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

void put(QByteArray& content, qint64 offset, QByteArrayView bytes) {
    if (content.size() < offset + bytes.size()) {
        content.resize(offset + bytes.size(), '\0');
    }
    std::copy(bytes.begin(), bytes.end(), content.begin() + offset);
}

} // namespace

void DiskModel::Op::apply(QByteArray& content) const {
    switch (kind) {
    case Write:
        put(content, offset, data);
        break;
    case Truncate:
        content.resize(offset, '\0');
        break;
    case Grow:
        content.resize(std::max<qint64>(content.size(), offset + length), '\0');
        break;
    case Punch:
        if (offset < content.size()) {
            std::fill_n(content.begin() + offset, std::min<qint64>(length, content.size() - offset),
                        '\0');
        }
        break;
    }
}

DiskModel::DiskModel(const QString& root) : root_(root), rootIno_(inodeOf(root)) {
    inodes_[rootIno_].folder = true;
    folders_[root_] = rootIno_;
    snapshot(root_, rootIno_);
}

void DiskModel::snapshot(const QString& folder, quint64 ino) {
    const QDir dir(folder);
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const quint64 child = inodeOf(entry.filePath());
        inodes_[ino].names[entry.fileName()] = {child};
        Inode& node = inodes_[child];
        if (entry.isDir() && !entry.isSymLink()) {
            node.folder = true;
            folders_[entry.filePath()] = child;
            snapshot(entry.filePath(), child);
        } else {
            QFile file(entry.filePath());
            if (file.open(QIODevice::ReadOnly)) {
                node.durable = file.readAll();
            }
        }
    }
}

quint64 DiskModel::nameOf(const QString& path) const {
    const auto folder = folders_.find(parentOf(path));
    if (folder == folders_.end()) {
        return 0;
    }
    const auto& names = inodes_.at(folder->second).names;
    const auto name = names.find(nameIn(path));
    return name == names.end() ? 0 : name->second.back();
}

void DiskModel::setName(const QString& path, quint64 ino) {
    const auto folder = folders_.find(parentOf(path));
    if (folder == folders_.end()) {
        return; // outside the folders known: not the root's
    }
    auto& values = inodes_[folder->second].names[nameIn(path)];
    if (values.empty()) {
        values.push_back(0); // no such name at the last sync
    }
    values.push_back(ino);
}

void DiskModel::apply(const Call& call) {
    switch (call.kind) {
    case 'O':
        if (call.created) {
            inodes_[call.ino] = Inode{};
            setName(call.path, call.ino);
        }
        if (call.folder) {
            folders_[call.path] = call.ino;
            inodes_[call.ino].folder = true;
        }
        break;
    case 'T':
        inodes_[call.ino] = Inode{};
        break;
    case 'M':
        inodes_[call.ino] = Inode{true, {}, {}, {}};
        folders_[call.path] = call.ino;
        setName(call.path, call.ino);
        break;
    case 'W':
        inodes_[call.ino].pending.push_back(Op{Op::Write, call.offset, 0, call.data});
        break;
    case 'R':
        inodes_[call.ino].pending.push_back(Op{Op::Truncate, call.offset, 0, {}});
        break;
    case 'A':
        // Room reserved past the end (FALLOC_FL_KEEP_SIZE alone) changes nothing the file holds.
        if ((call.mode & FALLOC_FL_PUNCH_HOLE) != 0) {
            inodes_[call.ino].pending.push_back(Op{Op::Punch, call.offset, call.length, {}});
        } else if ((call.mode & FALLOC_FL_KEEP_SIZE) == 0) {
            inodes_[call.ino].pending.push_back(Op{Op::Grow, call.offset, call.length, {}});
        }
        break;
    case 'F': {
        Inode& node = inodes_[call.ino];
        if (node.folder) {
            for (auto& [name, values] : node.names) {
                values = {values.back()};
            }
        } else {
            QByteArray content = node.durable;
            for (const Op& op : node.pending) {
                op.apply(content);
            }
            node.durable = content;
            node.pending.clear();
        }
        break;
    }
    case 'N': {
        const quint64 ino = nameOf(call.path);
        setName(call.to, ino);
        setName(call.path, 0);
        break;
    }
    case 'L':
        setName(call.path, call.ino);
        break;
    case 'U':
        setName(call.path, 0);
        break;
    default:
        break;
    }
}

std::vector<quint64> DiskModel::distinct(const std::vector<quint64>& values) {
    std::vector<quint64> out;
    for (const quint64 v : values) {
        if (std::find(out.begin(), out.end(), v) == out.end()) {
            out.push_back(v);
        }
    }
    return out;
}

std::vector<DiskModel::Blocks> DiskModel::pendingBlocks() const {
    std::vector<Blocks> all;
    for (const auto& [ino, node] : inodes_) {
        if (node.pending.empty()) {
            continue;
        }
        Blocks b{ino, {}, {}};
        std::map<qint64, size_t> blockIndex;
        for (size_t i = 0; i < node.pending.size(); ++i) {
            const Op& op = node.pending[i];
            if (op.kind != Op::Write) {
                b.sizes.push_back(i);
                continue;
            }
            for (qsizetype from = 0; from < op.data.size();) {
                const qint64 at = op.offset + from;
                const qsizetype size =
                    std::min<qint64>(op.data.size() - from, kBlock - at % kBlock);
                auto [slot, added] = blockIndex.try_emplace(at / kBlock, b.blocks.size());
                if (added) {
                    b.blocks.emplace_back();
                }
                b.blocks[slot->second].push_back(Piece{i, at, from, size});
                from += size;
            }
        }
        all.push_back(std::move(b));
    }
    return all;
}

std::vector<DiskModel::Question> DiskModel::questions() const {
    std::vector<Question> all;
    for (const auto& [ino, node] : inodes_) {
        for (const auto& [name, values] : node.names) {
            if (const auto d = distinct(values); d.size() > 1) {
                const auto now = std::find(d.begin(), d.end(), values.back());
                all.push_back({int(d.size()), int(now - d.begin())});
            }
        }
    }
    for (const Blocks& b : pendingBlocks()) {
        for (const auto& pieces : b.blocks) {
            // none; each prefix, its last piece whole or torn
            const int n = int(pieces.size());
            all.push_back({1 + 2 * n, 2 * n - 1});
        }
        all.insert(all.end(), b.sizes.size(), Question{2, 1});
    }
    return all;
}

std::vector<int> DiskModel::dimensions() const {
    std::vector<int> dims;
    for (const Question& q : questions()) {
        dims.push_back(q.choices);
    }
    return dims;
}

std::vector<int> DiskModel::current() const {
    std::vector<int> choice;
    for (const Question& q : questions()) {
        choice.push_back(q.current);
    }
    return choice;
}

Tree DiskModel::state(const std::vector<int>& choice) const {
    size_t at = 0;
    std::map<quint64, std::map<QString, quint64>> names;
    for (const auto& [ino, node] : inodes_) {
        for (const auto& [name, values] : node.names) {
            const auto d = distinct(values);
            names[ino][name] = d.size() > 1 ? d[size_t(choice[at++])] : d.front();
        }
    }
    std::map<quint64, QByteArray> contents;
    for (const auto& [ino, node] : inodes_) {
        contents[ino] = node.durable;
    }
    for (const Blocks& b : pendingBlocks()) {
        const Inode& node = inodes_.at(b.ino);
        // How much of each op reaches the disk, piece by piece: (offset, from, size).
        std::vector<std::vector<Piece>> kept(node.pending.size());
        for (const auto& pieces : b.blocks) {
            const int c = choice[at++];
            const int whole = (c + 1) / 2; // pieces kept, the last torn when c is even
            for (int k = 0; k < whole; ++k) {
                Piece p = pieces[size_t(k)];
                if (k == whole - 1 && c % 2 == 0) {
                    p.size /= 2;
                }
                kept[p.op].push_back(p);
            }
        }
        std::vector<bool> done(node.pending.size(), false);
        for (const size_t t : b.sizes) {
            done[t] = choice[at++] == 1;
        }
        QByteArray& content = contents[b.ino];
        for (size_t i = 0; i < node.pending.size(); ++i) {
            const Op& op = node.pending[i];
            if (op.kind != Op::Write && done[i]) {
                op.apply(content);
            }
            for (const Piece& p : kept[i]) {
                put(content, p.offset, QByteArrayView(op.data).sliced(p.from, p.size));
            }
        }
    }
    Tree tree;
    build(tree, QString(), rootIno_, names, contents);
    return tree;
}

void DiskModel::build(Tree& tree, const QString& prefix, quint64 folder,
                      const std::map<quint64, std::map<QString, quint64>>& names,
                      const std::map<quint64, QByteArray>& contents) const {
    const auto entries = names.find(folder);
    if (entries == names.end()) {
        return;
    }
    for (const auto& [name, ino] : entries->second) {
        const auto node = inodes_.find(ino);
        if (ino == 0 || node == inodes_.end()) {
            continue;
        }
        const QString path = prefix + name;
        if (node->second.folder) {
            tree[path] = std::nullopt;
            build(tree, path + QLatin1Char('/'), ino, names, contents);
        } else {
            tree[path] = contents.at(ino);
        }
    }
}
