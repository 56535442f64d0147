#include "Finder.h"

#include "RichEdit.h"

#include <QStringMatcher>
#include <QTextDocument>

Finder::Finder(RichEdit& editor, Prompts& prompts) : editor_(editor), prompts_(prompts) {
    watchDocument();
    // Opening a file hands the editor a new document object: watch that one instead.
    connect(&editor_, &RichEdit::documentReplaced, this, [this] {
        watchDocument();
        invalidate();
    });
}

void Finder::watchDocument() {
    // Any change of the text (format changes included, which is harmless) drops the cached copies.
    connect(editor_.document(), &QTextDocument::contentsChange, this, &Finder::invalidate,
            Qt::UniqueConnection);
}

void Finder::invalidate() {
    textValid_ = false;
    foldedValid_ = false;
    // Give the memory back now: a cached copy of a large document is as large as its text.
    text_ = QString();
    folded_ = QString();
}

const QString& Finder::searchText(bool folded) {
    if (!textValid_) {
        text_ = editor_.text();
        textValid_ = true;
    }
    if (!folded) {
        return text_;
    }
    if (!foldedValid_) {
        folded_ = foldCase(text_);
        foldedValid_ = true;
    }
    return folded_;
}

QString Finder::foldCase(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (const QChar ch : text) {
        *dst++ = ch.toLower();
    }
    return out;
}

qsizetype Finder::indexOf(QStringView text, QStringView what, qsizetype from) {
    if (what.isEmpty() || from < 0 || from >= text.size()) {
        return -1;
    }
    return QStringMatcher(what, Qt::CaseSensitive).indexIn(text, from);
}

QString Finder::beginFind() {
    FindPos = editor_.selStart();
    return editor_.selectedText().left(MaxFindText);
}

bool Finder::findNext(const QString& what, bool matchCase) {
    const QString& text = searchText(!matchCase);
    const QString needle = matchCase ? what : foldCase(what);
    const qsizetype at = indexOf(text, needle, FindPos);
    if (at < 0) {
        prompts_.centeredMessage(QStringLiteral("Текст не найден"), MsgDlgType::Confirmation, mbOK);
    } else {
        editor_.select(int(at), int(needle.size()));
        // The next step starts right at the end of this occurrence, so overlapping and adjacent
        // occurrences are all found.
        FindPos = int(at + needle.size());
    }
    editor_.setFocus();
    return at >= 0;
}
