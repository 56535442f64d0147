// The recovery record the power-cut explorer records: a session over an empty document, or over
// the text file BASE as Open reads it, that types, deletes and commits, makes a fresh record that
// replaces the first (as the recorder does when a record grows long), and removes it at a clean
// end. With BASE, the record's thread copies the file in small slices from the first commit on,
// and another program replaces the file, once the copy is whole (copied) or at once (racing the
// copy), and removes it after the sixth commit. Before each
// commit is queued it writes the document's text to OUT/commit-<sequence>; once a commit is
// durable it marks "durable <sequence>" in the call log, and "ending" before the removal.
//   powercut_record OUT COMMITS [BASE copied|racing]     (records go to
//   $XDG_STATE_HOME/zelto/recovery)
#include "ChangeSpans.h"
#include "Mark.h"
#include "PlainTextBuilder.h"
#include "RecordSession.h"
#include "TextFile.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

// Small slices, so that the copy of a small file takes several steps.
constexpr qsizetype kBaseSlice = 4096;

class Session {
public:
    explicit Session(QString out, const QString& base) : out_(std::move(out)) {
        if (!base.isEmpty()) {
            open(base);
        }
        // As the recorder notes changes: one that does not fit marks everything changed.
        QObject::connect(&doc_, &QTextDocument::contentsChange,
                         [this](int at, int removed, int added) {
                             const int recorded = spans_.recordedLength();
                             const int length = doc_.characterCount() - 1;
                             if (!spans_.change(at, removed, added) || spans_.length() != length) {
                                 spans_.markAll(recorded, length);
                             }
                         });
        doc_.documentLayout(); // a document without a layout reports no change
        spans_.reset(doc_.characterCount() - 1);
    }

    // The document as Open builds it from the text file, which the first record begins with.
    void open(const QString& base) {
        PlainTextBuilder builder(doc_);
        DocFile file;
        file.assign(base);
        const DocFile::Read read =
            file.readLines([&builder](const QString& text) { builder.append(text); });
        const std::unique_ptr<QTextDocument> built = builder.take();
        doc_.setPlainText(built->toPlainText());
        start_.base = Record::BaseKind::TextFile;
        start_.file = base;
        start_.stamp = read.stamp;
        start_.characters = static_cast<quint32>(doc_.characterCount() - 1);
        start_.blocks = static_cast<quint32>(doc_.blockCount());
    }

    void edit(int step) {
        QTextCursor cursor(&doc_);
        const int length = doc_.characterCount() - 1;
        if (step % 3 == 2 && length > 10) {
            cursor.setPosition(length / 3);
            cursor.setPosition(length / 3 + 7, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        } else {
            cursor.setPosition(step % 2 == 0 ? length : length / 2);
            cursor.insertText(QStringLiteral("Шаг %1: строка, что длиннее блока? нет.\n")
                                  .arg(step)
                                  .repeated(step % 4 == 0 ? 60 : 2));
        }
    }

    void commit() {
        if (!session_) {
            session_ =
                std::make_unique<RecordSession>(RecordFolder::standard(), start_, kBaseSlice);
        }
        while (!session_->flush(doc_, spans_, 4000)) {
        }
        ++sequence_;
        QFile file(QStringLiteral("%1/commit-%2").arg(out_).arg(sequence_));
        if (!file.open(QIODevice::WriteOnly) || file.write(doc_.toPlainText().toUtf8()) < 0) {
            std::_Exit(3);
        }
        file.close();
        session_->commit(doc_, DocBinding{}, qint64(sequence_), sequence_);
        tickets_.emplace_back(sequence_, session_->lastCommitTicket());
        if (retiring_.isOpen()) {
            session_->file().replace(std::move(retiring_));
        }
        // Commits queue up behind the disk as the user goes on typing; now and then the work
        // waits for them.
        if (sequence_ % 3 == 0) {
            session_->file().wait();
        }
        if (!session_->file().error().isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(session_->file().error()));
            std::_Exit(1);
        }
        noteDurable();
    }

    // Waits for the record's thread to copy the opened file into the record.
    void copied() { session_->file().wait(true); }

    // Marks the last commit the record reports durable, as the recorder learns it.
    void noteDurable() {
        const quint64 durable = session_->file().durable();
        while (!tickets_.empty() && tickets_.front().second <= durable) {
            mark(("durable " + QByteArray::number(tickets_.front().first)).constData());
            tickets_.erase(tickets_.begin());
        }
    }

    // A fresh record of the whole document, which takes the old one's place at its first commit.
    void restart() {
        session_->file().wait();
        noteDurable();
        tickets_.clear();
        retiring_ = session_->file().release();
        session_.reset();
        start_ = RecordStart{};
        spans_.markAll(0, doc_.characterCount() - 1);
    }

    void end() {
        session_->file().wait();
        noteDurable();
        mark("ending");
        session_->file().remove();
        session_->file().wait();
        session_.reset();
    }

private:
    QString out_;
    QTextDocument doc_;
    RecordStart start_; // of the next record
    ChangeSpans spans_;
    std::unique_ptr<RecordSession> session_;
    LockedFile retiring_;
    std::vector<std::pair<quint64, quint64>> tickets_; // (sequence, ticket) not yet durable
    quint64 sequence_ = 0;
};

// Another program saves the file its own way: new bytes under a new name put in its place.
void replaceFile(const QString& path) {
    const QString fresh = path + QStringLiteral(".new");
    QFile file(fresh);
    if (!file.open(QIODevice::WriteOnly) || file.write("Changed by another program.\n") < 0) {
        std::_Exit(3);
    }
    file.close();
    if (::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(path).constData()) != 0) {
        std::_Exit(3);
    }
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: powercut_record OUT COMMITS [BASE copied|racing]\n");
        return 2;
    }
    const QString base = argc == 5 ? QString::fromLocal8Bit(argv[3]) : QString();
    const bool copyFirst = argc == 5 && QByteArray(argv[4]) == "copied";
    Session session(QString::fromLocal8Bit(argv[1]), base);
    const int commits = QByteArray(argv[2]).toInt();
    for (int i = 1; i <= commits; ++i) {
        session.edit(i);
        session.commit();
        if (!base.isEmpty() && i == 1 && copyFirst) {
            session.copied(); // the file changes only once the record holds it
        }
        if (!base.isEmpty() && i == (copyFirst ? 2 : 1)) {
            replaceFile(base);
        } else if (!base.isEmpty() && i == 6) {
            ::unlink(QFile::encodeName(base).constData());
        }
        if (i == commits / 2) {
            session.restart();
        }
    }
    session.end();
    return 0;
}
