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
    // Drops what is not written yet and queues the removal of the file.
    void remove();
    // The record's file, still locked, once everything queued is done; nothing is written after.
    LockedFile release();
    // Waits until everything queued is done.
    void wait();

    // The ticket of the last append that is durable.
    quint64 durable() const { return durable_.load(); }
    // Empty while everything went well, else the message of the first failure.
    QString error() const;
    // Called on the writing thread each time it has done what was queued.
    void setNotify(std::function<void()> notify);
    // Bytes queued since the record was made.
    qint64 bytesQueued() const { return queued_; }
    QString path() const;

private:
    struct Op {
        enum Kind { Append, Replace, Remove } kind;
        QByteArray bytes;
        quint64 ticket = 0;
        LockedFile target;
        std::function<QByteArray()> make;
    };

    void push(Op op);
    void run();
    void process(std::vector<Op>& ops);
    void doAppend(const Op& op);
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
    QString error_; // guarded by mutex_
    std::atomic<quint64> durable_{0};
    quint64 nextTicket_ = 0;
    qint64 queued_ = 0;
    std::thread thread_;
};
