#include "FaultInjection.h"

#include <QByteArray>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Armed {
    std::atomic<bool> on{false};
    char folder[PATH_MAX] = {};
    Fault::Call call = Fault::Call::Write;
    int err = 0;
    long long allow = 0;
    long long written = 0;
    bool once = false;
    std::atomic<int> failures{0};
};

Armed& armed() {
    static Armed a;
    return a;
}

template <typename F> F next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool under(const char* path) {
    const Armed& a = armed();
    const size_t n = std::strlen(a.folder);
    return path != nullptr && std::strncmp(path, a.folder, n) == 0 &&
           (path[n] == '/' || path[n] == '\0');
}

bool fdUnder(int fd) {
    char link[64];
    char target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t len = readlink(link, target, sizeof target - 1);
    if (len <= 0) {
        return false;
    }
    target[len] = '\0';
    return under(target);
}

bool hits(Fault::Call call) {
    const Armed& a = armed();
    return a.on.load() && a.call == call;
}

int fail() {
    Armed& a = armed();
    a.failures.fetch_add(1);
    if (a.once) {
        a.on = false;
    }
    errno = a.err;
    return -1;
}

// Whether an open with these flags fails under the armed fault.
bool opensBadly(const char* path, int flags) {
    const bool creates = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    const bool writes = creates || (flags & O_ACCMODE) != O_RDONLY;
    return ((hits(Fault::Call::Create) && creates) ||
            (hits(Fault::Call::OpenForWrite) && writes)) &&
           under(path);
}

// The mode argument of an open, present only when the flags create a file.
mode_t modeOf(int flags, va_list args) {
    const bool creates = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    return creates ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

} // namespace

void Fault::arm(const QString& folder, Call call, int err, long long allowBytes, bool once) {
    Armed& a = armed();
    a.on = false;
    const QByteArray path = folder.toLocal8Bit();
    std::snprintf(a.folder, sizeof a.folder, "%s", path.constData());
    a.call = call;
    a.err = err;
    a.allow = allowBytes;
    a.written = 0;
    a.once = once;
    a.failures = 0;
    a.on = true;
}

void Fault::disarm() {
    armed().on = false;
}

int Fault::failures() {
    return armed().failures.load();
}

extern "C" {

#define ZELTO_OPEN(name)                                                                           \
    int name(const char* path, int flags, ...) {                                                   \
        static const auto real = next<int (*)(const char*, int, ...)>(#name);                      \
        va_list args;                                                                              \
        va_start(args, flags);                                                                     \
        const mode_t mode = modeOf(flags, args);                                                   \
        va_end(args);                                                                              \
        if (opensBadly(path, flags)) {                                                             \
            return fail();                                                                         \
        }                                                                                          \
        return real(path, flags, mode);                                                            \
    }
ZELTO_OPEN(open)
ZELTO_OPEN(open64)
#undef ZELTO_OPEN

// Opens relative to a folder descriptor are not redirected: the program names files by full path.

ssize_t write(int fd, const void* buf, size_t count) {
    static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    if (hits(Fault::Call::Write) && fd > 2 && fdUnder(fd)) {
        Armed& a = armed();
        const long long room = a.allow - a.written;
        if (room <= 0) {
            fail();
            return a.err == 0 ? 0 : -1; // err 0: nothing written, and no error either
        }
        const size_t part = std::min<size_t>(count, static_cast<size_t>(room));
        const ssize_t done = real(fd, buf, part);
        if (done > 0) {
            a.written += done;
        }
        return done;
    }
    return real(fd, buf, count);
}

int fdatasync(int fd) {
    static const auto real = next<int (*)(int)>("fdatasync");
    if (hits(Fault::Call::Sync) && fdUnder(fd)) {
        return fail();
    }
    return real(fd);
}

int fsync(int fd) {
    static const auto real = next<int (*)(int)>("fsync");
    if (hits(Fault::Call::Sync) && fdUnder(fd)) {
        return fail();
    }
    return real(fd);
}

#define ZELTO_FALLOCATE(name)                                                                      \
    int name(int fd, int mode, off_t offset, off_t len) {                                          \
        static const auto real = next<int (*)(int, int, off_t, off_t)>(#name);                     \
        if (hits(Fault::Call::Allocate) && fdUnder(fd)) {                                          \
            return fail();                                                                         \
        }                                                                                          \
        return real(fd, mode, offset, len);                                                        \
    }
ZELTO_FALLOCATE(fallocate)
ZELTO_FALLOCATE(fallocate64)
#undef ZELTO_FALLOCATE

int linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags) {
    static const auto real = next<int (*)(int, const char*, int, const char*, int)>("linkat");
    if (hits(Fault::Call::Link) && under(newpath)) {
        return fail();
    }
    return real(olddirfd, oldpath, newdirfd, newpath, flags);
}

int rename(const char* oldpath, const char* newpath) {
    static const auto real = next<int (*)(const char*, const char*)>("rename");
    if (hits(Fault::Call::Rename) && under(newpath)) {
        return fail();
    }
    return real(oldpath, newpath);
}

} // extern "C"
