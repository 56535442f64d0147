#include "Finder.h"

#include "LineBreaks.h"
#include "RichEdit.h"

#include <QStringMatcher>

Finder::Finder(RichEdit& editor, Prompts& prompts)
    : editor_(editor), prompts_(prompts), text_(editor) {}

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
    const QString needle =
        LineBreaks::crLfToSeparators(matchCase ? what : SearchText::foldCase(what));
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
