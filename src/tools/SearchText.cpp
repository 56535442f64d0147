#include "SearchText.h"

#include "ParagraphPieces.h"
#include "RichEdit.h"

#include <QTextDocument>
#include <algorithm>
#include <memory>

namespace {

// QChar::toLower of every UTF-16 unit, built once: a table lookup per character folds a large
// document about twice as fast as asking QChar for each.
const char16_t* lowerTable() {
    static const std::unique_ptr<char16_t[]> table = [] {
        auto t = std::make_unique<char16_t[]>(0x10000);
        for (char32_t unit = 0; unit < 0x10000; ++unit) {
            t[unit] = char16_t(QChar::toLower(unit));
        }
        return t;
    }();
    return table.get();
}

} // namespace

SearchText::SearchText(RichEdit& editor, QObject* parent) : QObject(parent), editor_(editor) {
    follow(editor_.document());
    // Opening a file hands the editor a new document object: follow that one instead.
    connect(&editor_, &RichEdit::documentReplaced, this, [this] {
        drop();
        follow(editor_.document());
    });
}

void SearchText::follow(QTextDocument* document) {
    connect(document, &QTextDocument::contentsChange, this, &SearchText::noteChange,
            Qt::UniqueConnection);
}

void SearchText::drop() {
    textValid_ = false;
    foldedValid_ = false;
    changed_ = false;
    text_ = QString();
    folded_ = QString();
}

qsizetype SearchText::documentLength() const {
    // Every position but the one after the last paragraph, which holds no character.
    return editor_.document()->characterCount() - 1;
}

void SearchText::noteChange(int from, int removed, int added) {
    if (!textValid_) {
        return;
    }
    // The signal comes after the change: the text was this long before it.
    const qsizetype before = documentLength() - added + removed;
    const qsizetype head = std::max(0, from);
    // Qt may count the final paragraph break in both lengths; a negative tail then means none.
    const qsizetype tail = std::max<qsizetype>(0, before - from - removed);
    changedFrom_ = changed_ ? std::min(changedFrom_, head) : head;
    unchangedTail_ = changed_ ? std::min(unchangedTail_, tail) : tail;
    changed_ = true;
}

void SearchText::update() {
    const QTextDocument& document = *editor_.document();
    if (!textValid_) {
        text_ = ParagraphPieces::rawText(document);
        textValid_ = true;
        changed_ = false;
        return;
    }
    if (!changed_) {
        return;
    }
    changed_ = false;
    // The unchanged head and tail, in Qt positions of the document as it is now. The head gives
    // up its last character: the separator before a block whose format changed may have changed
    // what it stands for.
    const auto nowQt = static_cast<int>(documentLength());
    const auto headQt = static_cast<int>(std::clamp<qsizetype>(changedFrom_ - 1, 0, nowQt));
    const auto tailQt = static_cast<int>(std::min<qsizetype>(unchangedTail_, nowQt - headQt));
    // The same in indexes of the text, which leaves out the separators standing for nothing.
    const qsizetype old = text_.size();
    const TextIndex now = ParagraphPieces::textIndex(document, QtPosition(nowQt));
    const TextIndex tailStart = ParagraphPieces::textIndex(document, QtPosition(nowQt - tailQt));
    const qsizetype head =
        std::min<qsizetype>(ParagraphPieces::textIndex(document, QtPosition(headQt)).value, old);
    const qsizetype tail = std::min<qsizetype>(now - tailStart, old - head);
    const QString middle = ParagraphPieces::text(document, headQt, nowQt - tailQt);
    text_.replace(head, old - tail - head, middle);
    if (foldedValid_) {
        folded_.replace(head, old - tail - head, foldCase(middle));
    }
}

const QString& SearchText::text() {
    update();
    return text_;
}

const QString& SearchText::folded() {
    update();
    if (!foldedValid_) {
        folded_ = foldCase(text_);
        foldedValid_ = true;
    }
    return folded_;
}

QString SearchText::foldCase(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    const char16_t* src = text.utf16();
    auto* dst = reinterpret_cast<char16_t*>(out.data());
    const char16_t* lower = lowerTable();
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        dst[i] = lower[src[i]];
    }
    return out;
}
