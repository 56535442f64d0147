#include "SizeBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

namespace SizeBox {

const QStringList& entries() {
    static const QStringList list = {
        QStringLiteral("8"),  QStringLiteral("9"),  QStringLiteral("10"), QStringLiteral("11"),
        QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16"), QStringLiteral("18"),
        QStringLiteral("20"), QStringLiteral("22"), QStringLiteral("24"), QStringLiteral("26"),
        QStringLiteral("28"), QStringLiteral("36"), QStringLiteral("48"), QStringLiteral("72"),
    };
    return list;
}

namespace {

// Makes the box's current entry the one equal to its text, or none, keeping the text and the
// caret: the opened list then highlights that entry, and Down and Up step from it.
void selectEntryOfText(QComboBox* box) {
    QLineEdit* edit = box->lineEdit();
    const QString text = edit->text();
    const int index = box->findText(text, Qt::MatchExactly);
    if (index == box->currentIndex()) {
        return;
    }
    const int caret = edit->cursorPosition();
    const QSignalBlocker blockBox(box);
    const QSignalBlocker blockEdit(edit);
    box->setCurrentIndex(index); // sets the entry's text, or none
    edit->setText(text);
    edit->setCursorPosition(caret);
}

} // namespace

void setup(QComboBox* box) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    box->clear();
    box->addItems(entries());
    box->setCurrentIndex(0);
    QLineEdit* edit = box->lineEdit();
    edit->setMaxLength(kMaxTyped);
    // The combo box selects the entry that equals the typed text when editing finishes (Enter or
    // leaving the box) and reports that as a pick: a size would be written twice on Enter, and
    // once on merely leaving the box. Only a pick from the list and Enter apply a size here.
    QObject::disconnect(edit, &QLineEdit::editingFinished, nullptr, nullptr);
    // A longer text put there by showText lifts the limit until the text fits it again.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [box, edit](const QString& text) {
        if (edit->maxLength() > kMaxTyped) {
            edit->setMaxLength(std::max(kMaxTyped, static_cast<int>(text.size())));
        }
        selectEntryOfText(box);
    });
}

void showText(QComboBox* box, const QString& text) {
    const QSignalBlocker blocker(box);
    QLineEdit* edit = box->lineEdit();
    if (edit != nullptr) {
        edit->setMaxLength(std::max(kMaxTyped, static_cast<int>(text.size())));
    }
    box->setEditText(text);
    if (edit != nullptr) {
        selectEntryOfText(box);
    }
}

} // namespace SizeBox
