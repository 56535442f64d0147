#include "RecordSession.h"

#include "RangeCodec.h"

#include <QTextDocument>
#include <algorithm>

RecordSession::RecordSession(RecordFolder folder, const RecordStart& start)
    : file_(std::move(folder)) {
    QByteArray head(Record::kMagic.data(), Record::kMagic.size());
    appendEntry(head, Record::EntryType::Start, start.encode());
    file_.append(std::move(head));
    if (start.base == Record::BaseKind::TextFile) {
        file_.appendMade([path = start.file, stamp = start.stamp] {
            QByteArray entry;
            if (const auto sum = fileSum(path, stamp)) {
                QByteArray payload;
                ByteWriter w(payload);
                w.u32(sum->first);
                w.i64(sum->second);
                appendEntry(entry, Record::EntryType::BaseSum, payload);
            }
            return entry;
        });
    }
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

void RecordSession::commit(const QTextDocument& document, const RecordBinding& binding,
                           qint64 lastChangeMs, quint64 sequence) {
    QByteArray out;
    if (binding_ != binding) {
        appendEntry(out, Record::EntryType::Binding, binding.encode());
        binding_ = binding;
    }
    const RecordCommit commit{lastChangeMs, static_cast<quint32>(document.characterCount() - 1),
                              sequence};
    appendEntry(out, Record::EntryType::Commit, commit.encode());
    commitTicket_ = file_.append(std::move(out));
    ++commits_;
}
