#include "RecordSession.h"

#include "FileSnapshot.h"
#include "RangeCodec.h"

#include <QTextDocument>
#include <algorithm>
#include <memory>

RecordSession::RecordSession(RecordFolder folder, const RecordStart& start, qsizetype baseSlice)
    : file_(std::move(folder)), baseSlice_(baseSlice) {
    QByteArray head(Record::kMagic.data(), Record::kMagic.size());
    appendEntry(head, Record::EntryType::Start, start.encode());
    file_.append(std::move(head));
    if (start.base == Record::BaseKind::TextFile) {
        // The record's own copy of the file, so that a restore needs the file no more.
        base_ = start.stamp;
        snapshot(start.file, start.stamp, true);
    }
}

void RecordSession::snapshot(const QString& path, const FileStamp& stamp, bool copy) {
    auto reader = std::make_shared<FileSnapshot>(path, stamp, copy, baseSlice_);
    file_.runInBackground([reader](QByteArray& out) { return reader->step(out); });
}

bool RecordSession::flush(const QTextDocument& document, ChangeSpans& spans, int budget) {
    QByteArray out;
    while (!spans.empty() && budget > 0) {
        // The front stretch starts at the same place in the recorded document: everything before
        // it is recorded.
        const ChangeSpans::Span s = spans.front();
        const int n = std::min(s.to - s.from, budget);
        appendEntry(out, Record::EntryType::Replace,
                    RangeCodec::encode(document, s.from, s.recorded, s.from, s.from + n));
        spans.recordFront(n);
        budget -= std::max(n, 1);
    }
    if (!out.isEmpty()) {
        file_.append(std::move(out));
    }
    return spans.empty();
}

void RecordSession::commit(const QTextDocument& document, const DocBinding& binding,
                           qint64 lastChangeMs, quint64 sequence) {
    QByteArray out;
    if (binding_ != binding) {
        appendEntry(out, Record::EntryType::Binding, BindingEntry::encode(binding));
        // The sum of the bound file as the document knows it: a file that comes back with the
        // same bytes under another stamp (written back from a private copy) is then known for
        // the same.
        if (binding.bound() && binding.stamp.isRegular() && binding.stamp != base_) {
            snapshot(binding.fileName, binding.stamp, false);
        }
        binding_ = binding;
    }
    const RecordCommit commit{lastChangeMs, static_cast<quint32>(document.characterCount() - 1),
                              sequence};
    appendEntry(out, Record::EntryType::Commit, commit.encode());
    commitTicket_ = file_.append(std::move(out));
    if (firstCommitTicket_ == 0) {
        firstCommitTicket_ = commitTicket_;
    }
    ++commits_;
}
