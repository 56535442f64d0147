#include "Finder.h"

#include "RichEdit.h"

#include <QStringMatcher>
#include <QTextDocument>

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

// The find text as the document holds it: each CR LF becomes the paragraph separator.
QString toDocumentText(const QString& what) {
    QString out = what;
    out.replace(QLatin1String("\r\n"), QString(QChar::ParagraphSeparator));
    return out;
}

} // namespace

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
        text_ = editor_.document()->toRawText();
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
    const char16_t* src = text.utf16();
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        dst[i] = foldUnit(src[i]);
    }
    return out;
}

qsizetype Finder::indexOf(QStringView text, QStringView what, qsizetype from) {
    if (what.isEmpty() || from < 0 || from >= text.size()) {
        return -1;
    }
    return QStringMatcher(what, Qt::CaseSensitive).indexIn(text, from);
}

qsizetype Finder::searchStart() const {
    qsizetype start = editor_.toQtPosition(FindPos);
    // Past the end, or between CR and LF: the position maps back below FindPos.
    if (editor_.toPosition(int(start)) < FindPos) {
        ++start;
    }
    return start;
}

QString Finder::beginFind() {
    FindPos = editor_.selStart();
    return editor_.selectedText().left(MaxFindText);
}

bool Finder::findNext(const QString& what, bool matchCase) {
    const QString& text = searchText(!matchCase);
    const QString needle = toDocumentText(matchCase ? what : foldCase(what));
    const qsizetype at = indexOf(text, needle, searchStart());
    if (at < 0) {
        prompts_.centeredMessage(QStringLiteral("Текст не найден"), MsgDlgType::Confirmation, mbOK);
    } else {
        const int start = editor_.toPosition(int(at));
        const int end = editor_.toPosition(int(at + needle.size()));
        editor_.select(start, end - start);
        // The next step starts right at the end of this occurrence, so adjacent occurrences are
        // all found.
        FindPos = end;
    }
    editor_.setFocus();
    return at >= 0;
}
