#include "CallLog.h"

#include <QFile>
#include <stdexcept>

namespace {

[[noreturn]] void bad(const QByteArray& line) {
    throw std::runtime_error("powercut: cannot read log line: " + line.toStdString());
}

} // namespace

QString Call::describe() const {
    switch (kind) {
    case 'O':
        return QStringLiteral("open%1 %2%3 [inode %4]")
            .arg(folder ? QStringLiteral(" folder") : QString(), path,
                 created ? QStringLiteral(" (created)") : QString())
            .arg(ino);
    case 'T':
        return QStringLiteral("open unnamed in %1 [inode %2]").arg(path).arg(ino);
    case 'W':
        return QStringLiteral("write [inode %1] at %2, %3 bytes")
            .arg(ino)
            .arg(offset)
            .arg(data.size());
    case 'R':
        return QStringLiteral("ftruncate [inode %1] to %2").arg(ino).arg(offset);
    case 'A':
        return QStringLiteral("fallocate [inode %1] mode %2 at %3, %4 bytes")
            .arg(ino)
            .arg(mode)
            .arg(offset)
            .arg(length);
    case 'F':
        return QStringLiteral("fsync [inode %1]").arg(ino);
    case 'N':
        return QStringLiteral("rename %1 -> %2").arg(path, to);
    case 'L':
        return QStringLiteral("link [inode %1] as %2").arg(ino).arg(path);
    case 'U':
        return QStringLiteral("unlink %1").arg(path);
    case 'M':
        return QStringLiteral("mkdir %1 [inode %2]").arg(path).arg(ino);
    case 'K':
        return QStringLiteral("-- %1").arg(path);
    default:
        return QStringLiteral("?");
    }
}

std::vector<Call> readCallLog(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("powercut: cannot read " + fileName.toStdString());
    }
    const QByteArray all = file.readAll();
    std::vector<Call> calls;
    qsizetype at = 0;
    while (at < all.size()) {
        const qsizetype end = all.indexOf('\n', at);
        if (end < 0) {
            bad(all.mid(at, 80));
        }
        const QByteArray line = all.mid(at, end - at);
        at = end + 1;
        if (line.size() < 3 || line[1] != ' ') {
            bad(line);
        }
        Call c;
        c.kind = line[0];
        const QByteArray rest = line.mid(2);
        // The fields before the path, split off one at a time.
        const QList<QByteArray> f = rest.split(' ');
        const auto tail = [&](int fields) {
            qsizetype from = 0;
            for (int i = 0; i < fields; ++i) {
                from = rest.indexOf(' ', from) + 1;
            }
            return QString::fromLocal8Bit(rest.mid(from));
        };
        switch (c.kind) {
        case 'O':
            c.ino = f.value(0).toULongLong();
            c.folder = f.value(1) == "d";
            c.created = f.value(2) == "1";
            c.path = tail(3);
            break;
        case 'T':
        case 'L':
        case 'M':
            c.ino = f.value(0).toULongLong();
            c.path = tail(1);
            break;
        case 'W':
            c.ino = f.value(0).toULongLong();
            c.offset = f.value(1).toLongLong();
            c.data = all.mid(at, f.value(2).toLongLong());
            at += f.value(2).toLongLong();
            break;
        case 'R':
            c.ino = f.value(0).toULongLong();
            c.offset = f.value(1).toLongLong();
            break;
        case 'A':
            c.ino = f.value(0).toULongLong();
            c.mode = f.value(1).toInt();
            c.offset = f.value(2).toLongLong();
            c.length = f.value(3).toLongLong();
            break;
        case 'F':
            c.ino = f.value(0).toULongLong();
            break;
        case 'N': {
            const qsizetype tab = rest.indexOf('\t');
            c.path = QString::fromLocal8Bit(rest.left(tab));
            c.to = QString::fromLocal8Bit(rest.mid(tab + 1));
            break;
        }
        case 'U':
        case 'K':
            c.path = QString::fromLocal8Bit(rest);
            break;
        default:
            bad(line);
        }
        calls.push_back(std::move(c));
    }
    return calls;
}
