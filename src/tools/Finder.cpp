#include "Finder.h"

#include "LineBreaks.h"
#include "ParagraphPieces.h"
#include "RichEdit.h"

#include <QStringMatcher>
#include <QTextDocument>

Finder::Finder(RichEdit& editor, Prompts& prompts)
    : editor_(editor), prompts_(prompts), text_(editor) {}

qsizetype Finder::indexOf(QStringView text, QStringView what, qsizetype from) {
    if (what.isEmpty() || from < 0 || from >= text.size()) {
        return -1;
    }
    return QStringMatcher(what, Qt::CaseSensitive).indexIn(text, from);
}

QString Finder::beginFind() {
    FindPos = editor_.selStart();
    return editor_.selectedText().left(kMaxFindText);
}

bool Finder::findNext(const QString& what, bool matchCase) {
    const QString& text = searchText(!matchCase);
    const QString needle =
        LineBreaks::crLfToSeparators(matchCase ? what : SearchText::foldCase(what));
    const QTextDocument& document = *editor_.document();
    const qsizetype at =
        indexOf(text, needle,
                ParagraphPieces::textIndex(document, editor_.qtPositionAtOrAfter(FindPos)).value);
    if (at < 0) {
        prompts_.centeredMessage(QStringLiteral("Текст не найден"), MsgDlgType::Confirmation, mbOK);
    } else {
        // Across a cut that stands for nothing, the occurrence starts after the cut and ends
        // before it.
        const TextIndex found(static_cast<int>(at));
        const QtPosition start = ParagraphPieces::qtPosition(document, found, true);
        const QtPosition end =
            ParagraphPieces::qtPosition(document, found + static_cast<int>(needle.size()), false);
        editor_.select(start, end);
        // The next step starts right at the end of this occurrence, so adjacent occurrences are
        // all found.
        FindPos = editor_.toPosition(end);
    }
    editor_.setFocus();
    return at >= 0;
}
