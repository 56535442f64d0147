#include "SearchText.h"

#include "RichEdit.h"

#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace {

// Lower case of one UTF-16 unit; ASCII and the Russian alphabet, nearly all of any document,
// skip the general table.
inline char16_t foldUnit(char16_t c) {
    if (c < 0x80) {
        return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;
    }
    if (c >= 0x410 && c < 0x430) { // А..Я
        return char16_t(c + 0x20);
    }
    if (c >= 0x430 && c < 0x450) { // а..я
        return c;
    }
    return char16_t(QChar::toLower(char32_t(c)));
}

// The document's characters from Qt position from up to to, paragraph breaks as separators.
QString documentText(QTextDocument* document, qsizetype from, qsizetype to) {
    if (to <= from) {
        return {};
    }
    QTextCursor c(document);
    c.setPosition(int(from));
    c.setPosition(int(to), QTextCursor::KeepAnchor);
    return c.selectedText();
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
    if (!textValid_) {
        text_ = editor_.document()->toRawText();
        textValid_ = true;
        changed_ = false;
        return;
    }
    if (!changed_) {
        return;
    }
    changed_ = false;
    const qsizetype now = documentLength();
    const qsizetype old = text_.size();
    const qsizetype head = std::min({changedFrom_, old, now});
    const qsizetype tail = std::min({unchangedTail_, old - head, now - head});
    const QString middle = documentText(editor_.document(), head, now - tail);
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
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        dst[i] = foldUnit(src[i]);
    }
    return out;
}
