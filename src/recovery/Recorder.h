#pragma once

#include "ChangeSpans.h"
#include "DocBinding.h"
#include "RecordFolder.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

class Prompts;
class QTextDocument;
class RecordSession;

// When a Recorder writes.
struct RecorderTiming {
    int quietMs = 1000;    // the record catches up once the text was quiet this long
    int longestMs = 10000; // and at the latest this long after the first change it lacks
    int sliceMs = 8;       // the longest step of a long write on the user's thread
    int retryMs = 5000;    // how often a record stopped by a full disk looks for room again
};

// Keeps a recovery record of the editor's document while it has unsaved changes, so that a
// crash, a kill or a power cut loses at most the last moments of typing.
//
// Each change is only noted (ChangeSpans: a few stretches); the record catches up once the text
// has been quiet for a moment, and at least every so often during continuous typing, with the
// changed stretches and a commit, written and made durable by the record's own thread. The
// record starts when the document first has unsaved changes, from the text file Open read (by
// reference, when the document is still that file's text, while the record's thread copies the
// file's bytes into the record) or from nothing (the document then is written whole, a slice at
// a time between the user's events). It ends (the file goes) when the document has no unsaved
// changes any more, when another document replaces it, and when the recorder is destroyed at a
// normal end. A record that grows past a few times the document is started afresh. A folder
// that cannot be written is reported once; editing goes on. A disk that fills keeps the record
// as of its last durable commit, and a fresh record takes its place once there is room again.
class Recorder : public QObject {
    Q_OBJECT
public:
    using Timing = RecorderTiming;
    // The editor's document of the moment, and the file it is bound to.
    using DocumentOf = std::function<QTextDocument*()>;
    using BindingOf = std::function<DocBinding()>;

    explicit Recorder(Prompts& prompts, RecordFolder folder = RecordFolder::standard(),
                      Timing timing = Timing());
    // A normal end: the record goes.
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Follows the document that document gives, bound as binding gives; attach() again each time
    // the editor takes another document.
    void follow(DocumentOf document, BindingOf binding);
    // Another document in the editor: New or Open took the place of the old one, whose changes
    // the user chose to drop or saved.
    void attach();

    const RecordFolder& folder() const { return folder_; }
    Prompts& prompts() const { return prompts_; }
    // The editor now shows the document of a record that an earlier editor left (the offer at
    // start-up restored it), last changed at lastChangeMs: that record is kept, locked, until
    // this recorder's own one holds the document, which then takes its place.
    void takeOver(LockedFile record, qint64 lastChangeMs);
    // Catches up now, a fresh record included, and waits until the record is durable.
    void flushNow();
    // The path of the record being written; empty when there is none.
    QString recordPath() const;
    // Bytes queued for the record since it started.
    qint64 recordBytes() const;
    // The record holds its own durable copy of the file its document began as.
    bool baseDurable() const;
    // Waits until the record's copy of that file is done.
    void waitForBase();

signals:
    // A commit with this sequence number is about to be queued: the document is the one it
    // records.
    void committing(quint64 sequence);
    // The last commit queued is durable.
    void durable();

private:
    enum class Base { Empty, OpenedFile, Whole };

    void startEarly();
    void noteChange(int position, int removed, int added);
    void noteModified(bool modified);
    void schedule();
    void tick();
    void startRecord();
    // Writes the front of the changes for up to budget characters at a time until it is done or
    // the time is up; then commits. True when it committed.
    bool catchUp(qint64 timeMs);
    void afterCommit();
    void endRecord();
    void checkFile();
    void warn(const QString& error, bool kept, bool full);
    void retry();

    DocumentOf documentOf_;
    BindingOf bindingOf_;
    Prompts& prompts_;
    RecordFolder folder_;
    Timing timing_;
    QPointer<QTextDocument> doc_;
    QMetaObject::Connection changeConnection_;
    QMetaObject::Connection modifiedConnection_;
    ChangeSpans spans_;
    Base base_ = Base::Empty;
    int baseBlocks_ = 1;
    std::unique_ptr<RecordSession> session_;
    LockedFile retiring_; // the record the current one replaces once it commits
    bool modified_ = false;
    bool flushing_ = false;
    bool broken_ = false; // the record failed: none until the next one starts, or room returns
    bool warned_ = false;
    qint64 lastChangeMs_ = 0;
    QElapsedTimer quiet_;   // since the last change
    QElapsedTimer pending_; // since the first change the record lacks
    quint64 sequence_ = 0;
    QTimer timer_;
    QTimer retryTimer_; // while the disk is full
};
