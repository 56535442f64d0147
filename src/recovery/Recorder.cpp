#include "Recorder.h"

#include "FileName.h"
#include "Prompts.h"
#include "RecordSession.h"

#include <QDateTime>
#include <QDir>
#include <QTextDocument>
#include <algorithm>
#include <climits>
#include <sys/statvfs.h>

namespace {

// Characters written per step of a long write.
constexpr int kChunk = 1 << 16;

// A record this many bytes past the document's own size is started afresh.
qint64 restartLimit(int characters) {
    return 6LL * characters + (4LL << 20);
}

// How long after the first change a record starts.
constexpr int kStartDelayMs = 100;

// Room enough for a fresh record of a document of characters characters.
bool roomFor(const QString& folder, int characters) {
    struct statvfs st {};
    if (::statvfs(FileName::encode(folder).constData(), &st) != 0) {
        return false;
    }
    const auto free = static_cast<qint64>(st.f_bavail) * static_cast<qint64>(st.f_frsize);
    return free > 4LL * characters + (1LL << 20);
}

} // namespace

Recorder::Recorder(Prompts& prompts, RecordFolder folder, Timing timing)
    : prompts_(prompts), folder_(std::move(folder)), timing_(timing) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Recorder::tick);
    retryTimer_.setInterval(timing_.retryMs);
    connect(&retryTimer_, &QTimer::timeout, this, &Recorder::retry);
}

void Recorder::follow(DocumentOf document, BindingOf binding) {
    documentOf_ = std::move(document);
    bindingOf_ = std::move(binding);
    attach();
}

Recorder::~Recorder() {
    endRecord();
    if (retiring_.isOpen()) {
        RecordFolder::remove(retiring_);
    }
}

void Recorder::attach() {
    endRecord();
    disconnect(changeConnection_);
    disconnect(modifiedConnection_);
    doc_ = documentOf_();
    changeConnection_ = connect(doc_, &QTextDocument::contentsChange, this, &Recorder::noteChange);
    modifiedConnection_ =
        connect(doc_, &QTextDocument::modificationChanged, this, &Recorder::noteModified);
    const int length = doc_->characterCount() - 1;
    spans_.reset(length);
    base_ = length == 0 ? Base::Empty : Base::OpenedFile;
    baseBlocks_ = doc_->blockCount();
    // A restored document comes in modified.
    modified_ = doc_->isModified();
    quiet_.start();
    schedule();
}

void Recorder::takeOver(LockedFile record, qint64 lastChangeMs) {
    retiring_ = std::move(record);
    base_ = Base::Whole;
    lastChangeMs_ = lastChangeMs;
}

void Recorder::startEarly() {
    // The record starts a moment after the first change, so that its copy of an opened file is
    // under way while the user types: late enough for the first key's frame to be drawn before
    // the copy competes for the processor, and for a restored document to be taken over first.
    if (modified_ && !session_ && !broken_ && doc_) {
        startRecord();
    }
}

void Recorder::noteChange(int position, int removed, int added) {
    const int recorded = spans_.recordedLength();
    const int length = doc_->characterCount() - 1;
    if (!spans_.change(position, removed, added) || spans_.length() != length) {
        spans_.markAll(recorded, length);
    }
    lastChangeMs_ = QDateTime::currentMSecsSinceEpoch();
    quiet_.start();
    schedule();
}

void Recorder::noteModified(bool modified) {
    modified_ = modified;
    if (modified) {
        quiet_.start();
        schedule();
        return;
    }
    endRecord();
}

void Recorder::schedule() {
    if (modified_ && !session_) {
        QTimer::singleShot(kStartDelayMs, this, &Recorder::startEarly);
    }
    if (modified_ && !timer_.isActive()) {
        pending_.start();
        timer_.start(timing_.quietMs);
    }
}

void Recorder::tick() {
    if (!modified_ || broken_) {
        return;
    }
    if (!flushing_) {
        const qint64 quiet = quiet_.elapsed();
        const qint64 pending = pending_.elapsed();
        if (quiet < timing_.quietMs && pending < timing_.longestMs) {
            timer_.start(
                static_cast<int>(std::min(timing_.quietMs - quiet, timing_.longestMs - pending)));
            return;
        }
        flushing_ = true;
    }
    if (catchUp(timing_.sliceMs)) {
        afterCommit();
    } else {
        timer_.start(0);
    }
}

void Recorder::flushNow() {
    if (modified_ && !broken_) {
        // A record started afresh (afterCommit) is written at once too.
        do {
            timer_.stop();
            flushing_ = true;
            while (!catchUp(LLONG_MAX)) {
            }
            afterCommit();
        } while (!session_);
        timer_.stop();
    }
    if (session_) {
        session_->file().wait();
    }
}

void Recorder::startRecord() {
    RecordStart start;
    start.createdMs = QDateTime::currentMSecsSinceEpoch();
    // A document that Open read and nothing changed since is that file's text, while the file
    // is as it was read.
    const DocBinding bound = bindingOf_();
    const bool opened = base_ == Base::OpenedFile && bound.bound() &&
                        bound.format == DocFormat::PlainText && bound.stamp.isRegular() &&
                        FileStamp::of(bound.fileName) == bound.stamp;
    if (opened) {
        start.base = Record::BaseKind::TextFile;
        start.file = bound.fileName;
        start.stamp = bound.stamp;
        start.characters = static_cast<quint32>(spans_.recordedLength());
        start.blocks = static_cast<quint32>(baseBlocks_);
    } else if (base_ != Base::Empty) {
        // The document began as nothing the record can name: it is written whole.
        spans_.markAll(0, spans_.length());
    }
    session_ = std::make_unique<RecordSession>(folder_, start);
    session_->file().setNotify(
        [this] { QMetaObject::invokeMethod(this, &Recorder::checkFile, Qt::QueuedConnection); });
}

bool Recorder::catchUp(qint64 timeMs) {
    if (!session_) {
        startRecord();
    }
    QElapsedTimer clock;
    clock.start();
    bool done = false;
    do {
        done = session_->flush(*doc_, spans_, kChunk);
    } while (!done && clock.elapsed() < timeMs);
    if (done) {
        emit committing(++sequence_);
        session_->commit(*doc_, bindingOf_(), lastChangeMs_, sequence_);
        flushing_ = false;
    }
    return done;
}

void Recorder::afterCommit() {
    if (retiring_.isOpen()) {
        session_->file().replace(std::move(retiring_));
    }
    if (session_->file().bytesQueued() > restartLimit(spans_.length())) {
        // A fresh record of the whole document takes the place of this one once it commits;
        // until then this one stays, locked, with its last commit.
        retiring_ = session_->file().release();
        session_.reset();
        base_ = Base::Whole;
        spans_.markAll(0, spans_.length());
        flushing_ = true;
        timer_.start(0);
    }
}

void Recorder::endRecord() {
    timer_.stop();
    retryTimer_.stop();
    flushing_ = false;
    broken_ = false;
    if (session_) {
        session_->file().remove();
        session_.reset();
    }
    // The record that a restored document replaces goes with the first end the user chose.
    if (retiring_.isOpen()) {
        RecordFolder::remove(retiring_);
    }
    if (doc_) {
        // What the document holds now is what a next record must begin with.
        const int length = doc_->characterCount() - 1;
        spans_.reset(length);
        base_ = length == 0 ? Base::Empty : Base::Whole;
    }
}

void Recorder::checkFile() {
    if (!session_) {
        return;
    }
    const QString error = session_->file().error();
    if (error.isEmpty()) {
        if (session_->file().durable() >= session_->lastCommitTicket()) {
            emit durable();
        }
        return;
    }
    // A record that gives a document back stays, locked, as of its last durable commit (a torn
    // entry after it is left out on reading); one that does not goes.
    const bool kept = session_->holdsCommit();
    if (kept) {
        if (retiring_.isOpen()) {
            RecordFolder::remove(retiring_);
        }
        retiring_ = session_->file().release();
    } else {
        session_->file().remove();
    }
    const bool full = session_->file().outOfRoom();
    session_.reset();
    broken_ = true;
    flushing_ = false;
    timer_.stop();
    // Editing goes on without a record until the next one starts (after a save, say, or in
    // another document), or, on a full disk, until there is room for a fresh one.
    if (full) {
        retryTimer_.start();
    }
    warn(error, kept || retiring_.isOpen(), full);
}

void Recorder::retry() {
    if (!broken_ || !modified_ || !doc_) {
        retryTimer_.stop();
        return;
    }
    if (!roomFor(folder_.path(), spans_.length())) {
        return;
    }
    retryTimer_.stop();
    broken_ = false;
    base_ = Base::Whole;
    spans_.markAll(0, spans_.length());
    flushing_ = true;
    timer_.start(0);
}

void Recorder::warn(const QString& error, bool kept, bool full) {
    if (warned_) {
        return;
    }
    warned_ = true;
    const QString folder = QDir::toNativeSeparators(FileName::display(folder_.path()));
    QString consequence =
        kept ? QStringLiteral("Правка продолжается. При сбое программы будут восстановлены "
                              "изменения, записанные до этого момента.")
             : QStringLiteral("Правка продолжается, но при сбое программы несохранённые "
                              "изменения будут потеряны.");
    if (full) {
        consequence += QStringLiteral(" Запись возобновится, когда на диске появится место.");
    }
    prompts_.applicationMessage(
        QStringLiteral("Не удаётся вести запись для восстановления в папке «%1»: %2.\n%3")
            .arg(folder, error, consequence),
        MsgDlgType::Warning, mbOK);
}

QString Recorder::recordPath() const {
    return session_ ? session_->file().path() : QString();
}

qint64 Recorder::recordBytes() const {
    return session_ ? session_->file().bytesQueued() : 0;
}

bool Recorder::baseDurable() const {
    return session_ && session_->file().backgroundDone();
}

void Recorder::waitForBase() {
    if (session_) {
        session_->file().wait(true);
    }
}
