#include "RecordFile.h"

#include "Errors.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

RecordFile::RecordFile(RecordFolder folder)
    : folder_(std::move(folder)), thread_([this] { run(); }) {}

RecordFile::~RecordFile() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void RecordFile::push(Op op) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(op));
    }
    wake_.notify_all();
}

quint64 RecordFile::append(QByteArray bytes) {
    queued_ += bytes.size();
    const quint64 ticket = ++nextTicket_;
    Op op;
    op.bytes = std::move(bytes);
    op.ticket = ticket;
    push(std::move(op));
    return ticket;
}

void RecordFile::appendMade(std::function<QByteArray()> make) {
    Op op;
    op.make = std::move(make);
    push(std::move(op));
}

void RecordFile::replace(LockedFile target) {
    Op op;
    op.kind = Op::Replace;
    op.target = std::move(target);
    push(std::move(op));
}

void RecordFile::runInBackground(Job step) {
    backgroundDone_.store(false);
    Op op;
    op.kind = Op::Background;
    op.job = std::move(step);
    push(std::move(op));
}

void RecordFile::remove() {
    {
        const std::lock_guard lock(mutex_);
        // What is not written yet would only be deleted.
        std::erase_if(queue_, [](const Op& op) { return op.kind == Op::Append; });
        Op op;
        op.kind = Op::Remove;
        queue_.push_back(std::move(op));
    }
    wake_.notify_all();
}

void RecordFile::wait(bool background) {
    std::unique_lock lock(mutex_);
    idle_.wait(
        lock, [this, background] { return queue_.empty() && !busy_ && !(background && hasJob()); });
}

bool RecordFile::hasJob() const {
    return job_ && !removed_ && error_.isEmpty();
}

LockedFile RecordFile::release() {
    wait();
    const std::lock_guard lock(mutex_);
    removed_ = true; // nothing more is written
    job_ = nullptr;
    return std::move(file_);
}

QString RecordFile::error() const {
    const std::lock_guard lock(mutex_);
    return error_;
}

bool RecordFile::outOfRoom() const {
    const std::lock_guard lock(mutex_);
    return errorCode_ == ENOSPC || errorCode_ == EDQUOT;
}

QString RecordFile::path() const {
    const std::lock_guard lock(mutex_);
    return file_.path();
}

void RecordFile::setNotify(std::function<void()> notify) {
    const std::lock_guard lock(mutex_);
    notify_ = std::move(notify);
}

void RecordFile::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return !queue_.empty() || stopping_ || hasJob(); });
        const bool background = queue_.empty();
        if (background && (stopping_ || !hasJob())) {
            break; // a job not done when the record closes stays undone
        }
        std::vector<Op> ops = std::move(queue_);
        queue_.clear();
        busy_ = true;
        lock.unlock();
        if (background) {
            stepJob();
        } else {
            process(ops);
        }
        lock.lock();
        busy_ = false;
        const std::function<void()> notify = notify_;
        if (queue_.empty()) {
            idle_.notify_all();
        }
        if (notify && !(background && hasJob())) {
            lock.unlock();
            notify();
            lock.lock();
        }
    }
}

void RecordFile::stepJob() {
    Job job;
    {
        const std::lock_guard lock(mutex_);
        job = job_;
    }
    QByteArray bytes;
    const bool more = job(bytes);
    if (!bytes.isEmpty()) {
        write(bytes);
    }
    if (!more) {
        syncData();
        const std::lock_guard lock(mutex_);
        if (error_.isEmpty() && !removed_) {
            backgroundDone_.store(true);
        }
        job_ = nullptr;
    }
}

void RecordFile::process(std::vector<Op>& ops) {
    quint64 last = 0;
    for (Op& op : ops) {
        if (!error().isEmpty() && op.kind != Op::Remove) {
            continue;
        }
        switch (op.kind) {
        case Op::Append:
            doAppend(op);
            last = std::max(last, op.ticket);
            break;
        case Op::Replace:
            doReplace(op);
            break;
        case Op::Background: {
            const std::lock_guard lock(mutex_);
            job_ = std::move(op.job);
            break;
        }
        case Op::Remove:
            if (file_.isOpen()) {
                RecordFolder::remove(file_);
                syncFolder();
            }
            removed_ = true;
            break;
        }
    }
    syncData();
    if (error().isEmpty() && last > 0) {
        durable_.store(last);
    }
}

void RecordFile::doAppend(const Op& op) {
    if (!removed_) {
        write(op.make ? op.make() : op.bytes);
    }
}

bool RecordFile::write(const QByteArray& bytes) {
    if (removed_ || !error().isEmpty()) {
        return false;
    }
    if (!file_.isOpen()) {
        try {
            LockedFile made = folder_.create();
            const std::lock_guard lock(mutex_);
            file_ = std::move(made);
        } catch (const InOutError& e) {
            const std::lock_guard lock(mutex_);
            error_ = e.message();
            return false;
        }
        syncFolder();
    }
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(file_.fd(), p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            fail(n < 0 ? errno : ENOSPC);
            return false;
        }
        p += n;
        left -= n;
    }
    unsynced_ = true;
    return true;
}

void RecordFile::doReplace(Op& op) {
    syncData();
    if (!error().isEmpty() || !file_.isOpen()) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        try {
            file_.replace(op.target);
        } catch (const InOutError& e) {
            if (error_.isEmpty()) {
                error_ = e.message();
            }
            return;
        }
    }
    syncFolder();
}

void RecordFile::syncData() {
    if (unsynced_ && error().isEmpty()) {
        unsynced_ = false;
        if (::fdatasync(file_.fd()) != 0 && errno != EINVAL) {
            fail(errno);
        }
    }
}

void RecordFile::syncFolder() {
    const QByteArray name = QFile::encodeName(folder_.path());
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg)
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void RecordFile::fail(int err) {
    const std::lock_guard lock(mutex_);
    if (error_.isEmpty()) {
        error_ = InOutError(InOutError::codeFromErrno(err)).message();
        errorCode_ = err;
    }
}
