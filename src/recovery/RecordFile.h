#pragma once

#include "RecordFolder.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// One record being written, by a thread of its own: a call queues its work and returns at once;
// the thread makes the file (in its folder, at the first append), writes what was queued in order
// and makes it durable (fdatasync) before it counts it done. No call on the user's thread waits
// for the disk, except wait(), release() and the destructor. After a failure nothing more is
// written; error() tells why.
class RecordFile {
public:
    explicit RecordFile(RecordFolder folder);
    // Does what is queued, then stops; the file stays unless remove() was called.
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Queues bytes to append; returns their ticket, counted from 1.
    quint64 append(QByteArray bytes);
    // Queues bytes that make() gives on the writing thread (none: nothing), for work that reads
    // files.
    void appendMade(std::function<QByteArray()> make);
    // Queues: once what came before is durable, the record takes target's name, replacing it,
    // and target's lock is let go. For a newer record of the same document, or one it restored.
    void replace(LockedFile target);
    // A job for the thread whenever nothing else is queued: step() appends the bytes it gives
    // each time, until it returns false; the job is then done once those bytes are durable. A
    // new job takes the place of one not done yet.
    using Job = std::function<bool(QByteArray& out)>;
    void runInBackground(Job step);
    // The last job given is done and durable (none given: false).
    bool backgroundDone() const { return backgroundDone_.load(); }
    // Drops what is not written yet and queues the removal of the file.
    void remove();
    // The record's file, still locked, once everything queued is done; nothing is written after.
    LockedFile release();
    // Waits until everything queued is done, and with background until the job is done too.
    void wait(bool background = false);

    // The ticket of the last append that is durable.
    quint64 durable() const { return durable_.load(); }
    // Empty while everything went well, else the message of the first failure.
    QString error() const;
    // The first failure was a full disk (or a used-up quota).
    bool outOfRoom() const;
    // Called on the writing thread each time it has done what was queued.
    void setNotify(std::function<void()> notify);
    // Bytes queued since the record was made.
    qint64 bytesQueued() const { return queued_; }
    QString path() const;

private:
    struct Op {
        enum Kind { Append, Replace, Remove, Background } kind = Append;
        QByteArray bytes;
        quint64 ticket = 0;
        LockedFile target;
        std::function<QByteArray()> make;
        Job job;
    };

    void push(Op op);
    void run();
    void process(std::vector<Op>& ops);
    void doAppend(const Op& op);
    // Writes bytes at the end of the file, made at the first write. False after a failure.
    bool write(const QByteArray& bytes);
    bool hasJob() const; // called with mutex_ held
    void stepJob();
    void doReplace(Op& op);
    void syncData();
    void syncFolder();
    void fail(int err);

    RecordFolder folder_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::vector<Op> queue_;
    bool busy_ = false;
    bool stopping_ = false;
    std::function<void()> notify_;
    // Owned by the writing thread while it runs.
    LockedFile file_;
    bool removed_ = false;
    bool unsynced_ = false;
    Job job_; // guarded by mutex_
    std::atomic<bool> backgroundDone_{false};
    QString error_; // guarded by mutex_
    int errorCode_ = 0;
    std::atomic<quint64> durable_{0};
    quint64 nextTicket_ = 0;
    qint64 queued_ = 0;
    std::thread thread_;
};
