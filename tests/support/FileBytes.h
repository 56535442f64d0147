#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>

// A file's whole contents, or "<missing>" when it cannot be read, so that a comparison names the
// fault instead of matching an empty file.
inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Writes bytes as the whole file; a file that cannot be opened or written whole fails the test.
inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

// The same for a name given as the system's bytes, which need not be UTF-8.
inline QByteArray readNative(const QByteArray& path) {
    QByteArray bytes = "<missing>";
    if (std::FILE* f = std::fopen(path.constData(), "rb")) {
        bytes.clear();
        char block[4096];
        for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) {
            bytes.append(block, static_cast<qsizetype>(n));
        }
        std::fclose(f);
    }
    return bytes;
}

inline void writeNative(const QByteArray& path, const QByteArray& bytes) {
    std::FILE* f = std::fopen(path.constData(), "wb");
    QVERIFY(f != nullptr);
    QCOMPARE(std::fwrite(bytes.constData(), 1, bytes.size(), f), size_t(bytes.size()));
    QCOMPARE(std::fclose(f), 0);
}

// Limits the size of any file this process writes for as long as it lives, so that a write fails
// half-way as on a full disk. The signal of a write past the limit is ignored: the write then
// fails with EFBIG instead of killing the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};
