#include "Recorder.h"

#include "Document.h"
#include "Prompts.h"
#include "RecordSession.h"
#include "RichEdit.h"

#include <QDateTime>
#include <QDir>
#include <QTextDocument>
#include <algorithm>
#include <climits>

namespace {

// Characters written per step of a long write.
constexpr int kChunk = 1 << 16;

// A record this many bytes past the document's own size is started afresh.
qint64 restartLimit(int characters) {
    return 6LL * characters + (4LL << 20);
}

} // namespace

Recorder::Recorder(RichEdit& editor, const Document& document, Prompts& prompts,
                   RecordFolder folder, Timing timing)
    : editor_(editor), document_(document), prompts_(prompts), folder_(std::move(folder)),
      timing_(timing) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Recorder::tick);
    connect(&editor_, &RichEdit::documentReplaced, this, &Recorder::attach);
    attach();
}

Recorder::~Recorder() {
    endRecord();
    if (retiring_.isOpen()) {
        RecordFolder::remove(retiring_);
    }
}

void Recorder::attach() {
    // Another document in the editor: New or Open took the place of the old one, whose changes
    // the user chose to drop or saved.
    endRecord();
    disconnect(changeConnection_);
    disconnect(modifiedConnection_);
    doc_ = editor_.document();
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

void Recorder::takeOver(LockedFile record) {
    retiring_ = std::move(record);
    base_ = Base::Whole;
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
        timer_.stop();
        flushing_ = true;
        while (!catchUp(LLONG_MAX)) {
        }
        afterCommit();
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
    const DocBinding& bound = document_.binding();
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
        session_->commit(*doc_, binding(), lastChangeMs_, sequence_);
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
    // Editing goes on without a record until the next one starts (after a save, say, or in
    // another document), which tries again.
    session_->file().remove();
    session_.reset();
    broken_ = true;
    flushing_ = false;
    timer_.stop();
    if (!warned_) {
        warned_ = true;
        prompts_.applicationMessage(
            QStringLiteral("Не удаётся вести запись для восстановления в папке «%1»: %2.\n"
                           "Правка продолжается, но при сбое программы несохранённые изменения "
                           "будут потеряны.")
                .arg(QDir::toNativeSeparators(folder_.path()), error),
            MsgDlgType::Warning, mbOK);
    }
}

QString Recorder::recordPath() const {
    return session_ ? session_->file().path() : QString();
}

qint64 Recorder::recordBytes() const {
    return session_ ? session_->file().bytesQueued() : 0;
}

RecordBinding Recorder::binding() const {
    const DocBinding& b = document_.binding();
    return {b.fileName, static_cast<quint8>(b.format == DocFormat::Rtf ? 1 : 0), b.stamp, b.unread};
}
