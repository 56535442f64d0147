// A preloaded library that logs the file-system calls a program makes below one folder, for the
// power-cut explorer to replay. Only calls that succeed are logged, each as one line, a write's
// bytes after its line:
//   O ino d|f created path     an open (a folder or a file; created: it did not exist before)
//                              then "R ino 0" when O_TRUNC emptied an old file
//   T ino folder               an unnamed file (O_TMPFILE) in folder
//   W ino offset length        a write, followed by its bytes
//   R ino length               a truncation
//   A ino mode offset length   a fallocate
//   F ino                      an fsync or fdatasync of a file or a folder
//   N from\tto                 a rename
//   L ino to                   a new name for a file
//   U path                     an unlink
//   M ino path                 a new folder
//   K text                     a mark the program set through powercut_mark()
// Environment: POWERCUT_ROOT the folder (absolute), POWERCUT_LOG the log file,
// POWERCUT_NOSYNC=1 makes fsync and fdatasync do nothing (to show that the exploration sees it),
// POWERCUT_EXIT_AFTER=N ends the process at once after the Nth logged call (a killed program),
// POWERCUT_NO_TMPFILE=1 refuses unnamed files, as file systems without them do.
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxFd = 65536;

struct Shim {
    std::string root; // with a trailing slash
    int log = -1;
    bool noSync = false;
    bool noTmpfile = false;
    long exitAfter = 0;
    long logged = 0;
    std::recursive_mutex mutex;
    ino_t fds[kMaxFd] = {};
};

Shim& shim() {
    static Shim* s = [] {
        auto* made = new Shim; // NOLINT(cppcoreguidelines-owning-memory): lives with the process
        const char* root = std::getenv("POWERCUT_ROOT");
        const char* log = std::getenv("POWERCUT_LOG");
        if (root != nullptr && log != nullptr) {
            made->root = std::string(root) + '/';
            using OpenFn = int (*)(const char*, int, ...);
            auto realOpen = reinterpret_cast<OpenFn>(dlsym(RTLD_NEXT, "open"));
            made->log = realOpen(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        }
        const char* noSync = std::getenv("POWERCUT_NOSYNC");
        made->noSync = noSync != nullptr && noSync[0] == '1';
        const char* noTmpfile = std::getenv("POWERCUT_NO_TMPFILE");
        made->noTmpfile = noTmpfile != nullptr && noTmpfile[0] == '1';
        if (const char* after = std::getenv("POWERCUT_EXIT_AFTER")) {
            made->exitAfter = std::strtol(after, nullptr, 10);
        }
        return made;
    }();
    return *s;
}

template <typename Fn> Fn real(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

void rawWrite(int fd, const void* data, size_t size) {
    static auto realWrite = real<ssize_t (*)(int, const void*, size_t)>("write");
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = realWrite(fd, p, size);
        if (n <= 0) {
            return;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
}

void logLine(const std::string& line, const void* data = nullptr, size_t size = 0) {
    Shim& s = shim();
    std::string out = line + '\n';
    if (data != nullptr) {
        out.append(static_cast<const char*>(data), size);
    }
    rawWrite(s.log, out.data(), out.size());
    if (s.exitAfter > 0 && ++s.logged >= s.exitAfter) {
        _exit(9);
    }
}

std::string absolute(int dirfd, const char* path) {
    if (path == nullptr) {
        return {};
    }
    if (path[0] == '/') {
        return path;
    }
    std::string base;
    if (dirfd == AT_FDCWD) {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd) == nullptr) {
            return {};
        }
        base = cwd;
    } else {
        char link[64];
        char target[PATH_MAX];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
        const ssize_t n = readlink(link, target, sizeof target - 1);
        if (n <= 0) {
            return {};
        }
        base.assign(target, static_cast<size_t>(n));
    }
    return base + '/' + path;
}

bool below(const std::string& path) {
    const Shim& s = shim();
    return s.log >= 0 && path.compare(0, s.root.size(), s.root) == 0;
}

ino_t tracked(int fd) {
    return fd >= 0 && fd < kMaxFd ? shim().fds[fd] : 0;
}

std::string num(unsigned long long n) {
    return std::to_string(n);
}

// Notes fd as open on path (below the root) and logs it.
void opened(int fd, const std::string& path, bool created, bool unnamed) {
    struct stat st {};
    if (fd < 0 || fd >= kMaxFd || fstat(fd, &st) != 0) {
        return;
    }
    shim().fds[fd] = st.st_ino;
    if (unnamed) {
        logLine("T " + num(st.st_ino) + ' ' + path);
    } else {
        logLine("O " + num(st.st_ino) + (S_ISDIR(st.st_mode) ? " d " : " f ") +
                (created ? "1 " : "0 ") + path);
    }
}

int doOpen(int dirfd, const char* path, int flags, mode_t mode) {
    static auto realOpenat = real<int (*)(int, const char*, int, ...)>("openat");
    const std::string full = absolute(dirfd, path);
    if (!below(full)) {
        return realOpenat(dirfd, path, flags, mode);
    }
    const std::lock_guard lock(shim().mutex);
    struct stat st {};
    const bool unnamed = (flags & O_TMPFILE) == O_TMPFILE;
    if (unnamed && shim().noTmpfile) {
        errno = EOPNOTSUPP;
        return -1;
    }
    const bool existed = unnamed || lstat(full.c_str(), &st) == 0;
    const int fd = realOpenat(dirfd, path, flags, mode);
    if (fd >= 0) {
        const int err = errno;
        opened(fd, full, !existed, unnamed);
        // An old file opened with O_TRUNC lost its bytes: a truncation like any other.
        if (existed && !unnamed && (flags & O_TRUNC) != 0 && S_ISREG(st.st_mode)) {
            logLine("R " + num(tracked(fd)) + " 0");
        }
        errno = err;
    }
    return fd;
}

mode_t modeOf(int flags, va_list args) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
}

ssize_t doWrite(int fd, const void* data, size_t size, off_t at, bool positioned) {
    static auto realWrite = real<ssize_t (*)(int, const void*, size_t)>("write");
    static auto realPwrite = real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    const ino_t ino = tracked(fd);
    if (ino == 0) {
        return positioned ? realPwrite(fd, data, size, at) : realWrite(fd, data, size);
    }
    const std::lock_guard lock(shim().mutex);
    off_t offset = at;
    if (!positioned) {
        struct stat st {};
        const bool append = (fcntl(fd, F_GETFL) & O_APPEND) != 0;
        offset = append ? (fstat(fd, &st) == 0 ? st.st_size : 0) : lseek(fd, 0, SEEK_CUR);
    }
    const ssize_t n = positioned ? realPwrite(fd, data, size, at) : realWrite(fd, data, size);
    if (n > 0) {
        const int err = errno;
        logLine("W " + num(ino) + ' ' + num(static_cast<unsigned long long>(offset)) + ' ' +
                    num(static_cast<unsigned long long>(n)),
                data, static_cast<size_t>(n));
        errno = err;
    }
    return n;
}

int doSync(int fd, const char* name) {
    const ino_t ino = tracked(fd);
    const auto realSync = real<int (*)(int)>(name);
    if (ino == 0) {
        return realSync(fd);
    }
    if (shim().noSync) {
        return 0;
    }
    const std::lock_guard lock(shim().mutex);
    const int r = realSync(fd);
    if (r == 0) {
        logLine("F " + num(ino));
    }
    return r;
}

int doTruncate(int fd, off_t length, const char* name) {
    const auto realTruncate = real<int (*)(int, off_t)>(name);
    const ino_t ino = tracked(fd);
    if (ino == 0) {
        return realTruncate(fd, length);
    }
    const std::lock_guard lock(shim().mutex);
    const int r = realTruncate(fd, length);
    if (r == 0) {
        logLine("R " + num(ino) + ' ' + num(static_cast<unsigned long long>(length)));
    }
    return r;
}

int doFallocate(int fd, int mode, off_t offset, off_t length, const char* name) {
    const auto realFallocate = real<int (*)(int, int, off_t, off_t)>(name);
    const ino_t ino = tracked(fd);
    if (ino == 0) {
        return realFallocate(fd, mode, offset, length);
    }
    const std::lock_guard lock(shim().mutex);
    const int r = realFallocate(fd, mode, offset, length);
    if (r == 0) {
        logLine("A " + num(ino) + ' ' + num(static_cast<unsigned>(mode)) + ' ' +
                num(static_cast<unsigned long long>(offset)) + ' ' +
                num(static_cast<unsigned long long>(length)));
    }
    return r;
}

int doRename(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    static auto realRenameat2 =
        real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    static auto realRenameat = real<int (*)(int, const char*, int, const char*)>("renameat");
    const std::string a = absolute(fromDir, from);
    const std::string b = absolute(toDir, to);
    const auto call = [&] {
        return flags == 0 ? realRenameat(fromDir, from, toDir, to)
                          : realRenameat2(fromDir, from, toDir, to, flags);
    };
    if (!below(a) && !below(b)) {
        return call();
    }
    const std::lock_guard lock(shim().mutex);
    const int r = call();
    if (r == 0) {
        logLine("N " + a + '\t' + b);
    }
    return r;
}

int doLink(int fromDir, const char* from, int toDir, const char* to, int flags) {
    static auto realLinkat = real<int (*)(int, const char*, int, const char*, int)>("linkat");
    const std::string b = absolute(toDir, to);
    if (!below(b)) {
        return realLinkat(fromDir, from, toDir, to, flags);
    }
    const std::lock_guard lock(shim().mutex);
    const int r = realLinkat(fromDir, from, toDir, to, flags);
    struct stat st {};
    if (r == 0 && lstat(b.c_str(), &st) == 0) {
        logLine("L " + num(st.st_ino) + ' ' + b);
    }
    return r;
}

int doUnlink(int dirfd, const char* path, int flags) {
    static auto realUnlinkat = real<int (*)(int, const char*, int)>("unlinkat");
    const std::string full = absolute(dirfd, path);
    if (!below(full)) {
        return realUnlinkat(dirfd, path, flags);
    }
    const std::lock_guard lock(shim().mutex);
    const int r = realUnlinkat(dirfd, path, flags);
    if (r == 0) {
        logLine("U " + full);
    }
    return r;
}

int doMkdir(int dirfd, const char* path, mode_t mode) {
    static auto realMkdirat = real<int (*)(int, const char*, mode_t)>("mkdirat");
    const std::string full = absolute(dirfd, path);
    if (!below(full)) {
        return realMkdirat(dirfd, path, mode);
    }
    const std::lock_guard lock(shim().mutex);
    const int r = realMkdirat(dirfd, path, mode);
    struct stat st {};
    if (r == 0 && lstat(full.c_str(), &st) == 0) {
        logLine("M " + num(st.st_ino) + ' ' + full);
    }
    return r;
}

} // namespace

extern "C" {

// NOLINTBEGIN(cppcoreguidelines-pro-type-vararg,cert-dcl50-cpp,readability-inconsistent-declaration-parameter-name)
int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    return doOpen(AT_FDCWD, path, flags, mode);
}
int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    return doOpen(AT_FDCWD, path, flags, mode);
}
int openat(int dirfd, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    return doOpen(dirfd, path, flags, mode);
}
int openat64(int dirfd, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    return doOpen(dirfd, path, flags, mode);
}
int creat(const char* path, mode_t mode) {
    return doOpen(AT_FDCWD, path, O_CREAT | O_WRONLY | O_TRUNC, mode);
}
// NOLINTEND(cppcoreguidelines-pro-type-vararg,cert-dcl50-cpp,readability-inconsistent-declaration-parameter-name)

int mkostemp(char* pattern, int flags) {
    static auto realMkostemp = real<int (*)(char*, int)>("mkostemp");
    const int fd = realMkostemp(pattern, flags);
    const std::string full = absolute(AT_FDCWD, pattern);
    if (fd >= 0 && below(full)) {
        const std::lock_guard lock(shim().mutex);
        opened(fd, full, true, false);
    }
    return fd;
}
int mkstemp(char* pattern) {
    return mkostemp(pattern, 0);
}

ssize_t write(int fd, const void* data, size_t size) {
    return doWrite(fd, data, size, 0, false);
}
ssize_t pwrite(int fd, const void* data, size_t size, off_t at) {
    return doWrite(fd, data, size, at, true);
}
ssize_t pwrite64(int fd, const void* data, size_t size, off_t at) {
    return doWrite(fd, data, size, at, true);
}
int fsync(int fd) {
    return doSync(fd, "fsync");
}
int fdatasync(int fd) {
    return doSync(fd, "fdatasync");
}
int ftruncate(int fd, off_t length) {
    return doTruncate(fd, length, "ftruncate");
}
int ftruncate64(int fd, off_t length) {
    return doTruncate(fd, length, "ftruncate64");
}
int fallocate(int fd, int mode, off_t offset, off_t length) {
    return doFallocate(fd, mode, offset, length, "fallocate");
}
int fallocate64(int fd, int mode, off_t offset, off_t length) {
    return doFallocate(fd, mode, offset, length, "fallocate64");
}
int rename(const char* from, const char* to) {
    return doRename(AT_FDCWD, from, AT_FDCWD, to, 0);
}
int renameat(int fromDir, const char* from, int toDir, const char* to) {
    return doRename(fromDir, from, toDir, to, 0);
}
int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    return doRename(fromDir, from, toDir, to, flags);
}
int link(const char* from, const char* to) {
    return doLink(AT_FDCWD, from, AT_FDCWD, to, 0);
}
int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    return doLink(fromDir, from, toDir, to, flags);
}
int unlink(const char* path) {
    return doUnlink(AT_FDCWD, path, 0);
}
int unlinkat(int dirfd, const char* path, int flags) {
    return doUnlink(dirfd, path, flags);
}
int rmdir(const char* path) {
    return doUnlink(AT_FDCWD, path, AT_REMOVEDIR);
}
int mkdir(const char* path, mode_t mode) {
    return doMkdir(AT_FDCWD, path, mode);
}
int mkdirat(int dirfd, const char* path, mode_t mode) {
    return doMkdir(dirfd, path, mode);
}
int close(int fd) {
    static auto realClose = real<int (*)(int)>("close");
    if (tracked(fd) != 0) {
        shim().fds[fd] = 0;
    }
    return realClose(fd);
}

// A mark the program under test sets between its calls (found with dlsym).
void powercut_mark(const char* text) {
    if (shim().log >= 0) {
        const std::lock_guard lock(shim().mutex);
        logLine(std::string("K ") + text);
    }
}
}
