#include "SpinEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <cmath>

namespace {

bool isSign(QChar c) {
    return c == QLatin1Char('+') || c == QLatin1Char('-');
}

} // namespace

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(false);
    setKeyboardTracking(true);
    lineEdit()->setText(QStringLiteral("0"));
}

int SpinEdit::valueOf(const QString& text) {
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || std::isnan(number)) {
        return 0;
    }
    const double clamped = std::clamp(number, double(kMinimum), double(kMaximum));
    return static_cast<int>(std::lround(clamped));
}

void SpinEdit::setValue(int value) {
    lineEdit()->setText(QString::number(std::clamp(value, kMinimum, kMaximum)));
}

void SpinEdit::setText(const QString& text) {
    lineEdit()->setText(text);
}

void SpinEdit::stepBy(int steps) {
    // In 64 bits: a wheel turned far with Ctrl held may ask for huge steps.
    const long long next = static_cast<long long>(value()) + steps;
    setValue(static_cast<int>(std::clamp<long long>(next, kMinimum, kMaximum)));
    selectAll();
}

QValidator::State SpinEdit::validate(QString& /*input*/, int& /*pos*/) const {
    // Every text stands: typing is filtered by keyPressEvent, pasted text is taken as it is, and
    // leaving the field corrects it.
    return QValidator::Acceptable;
}

void SpinEdit::fixup(QString& /*input*/) const {}

QSize SpinEdit::sizeHint() const {
    const QSize hint = QAbstractSpinBox::sizeHint();
    return {std::min(hint.width(), 60), hint.height()};
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
    const int v = value();
    StepEnabled enabled = StepNone;
    if (v < kMaximum) {
        enabled |= StepUpEnabled;
    }
    if (v > kMinimum) {
        enabled |= StepDownEnabled;
    }
    return enabled;
}

bool SpinEdit::acceptsTyped(const QString& typed) const {
    if (typed.size() == 1 && isSign(typed.front())) {
        const QLineEdit* edit = lineEdit();
        const QString current = edit->text();
        const bool wholeSelected =
            !current.isEmpty() && edit->selectedText().size() == current.size();
        const int at = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        const bool hasSign = !current.isEmpty() && isSign(current.front());
        return wholeSelected || (at == 0 && !hasSign);
    }
    return std::all_of(typed.begin(), typed.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
    int steps = 0;
    switch (event->key()) {
    case Qt::Key_Up:
        steps = 1;
        break;
    case Qt::Key_Down:
        steps = -1;
        break;
    case Qt::Key_PageUp:
        steps = kPageStep;
        break;
    case Qt::Key_PageDown:
        steps = -kPageStep;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter is refused like any other key the field does not take, and goes no further: it
        // must not reach the dialog's buttons.
        QApplication::beep();
        event->accept();
        return;
    default:
        break;
    }
    if (steps != 0) {
        event->accept();
        if (stepEnabled() & (steps > 0 ? StepUpEnabled : StepDownEnabled)) {
            stepBy(steps);
        }
        return;
    }
    const QString typed = event->text();
    const bool command =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!command && !typed.isEmpty() && typed.front().isPrint() && !acceptsTyped(typed)) {
        QApplication::beep();
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void SpinEdit::focusOutEvent(QFocusEvent* event) {
    // Only when the focus moves on inside the window: a context menu or another window taking
    // the activation leaves the text as it is.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) {
        setValue(value());
    }
    QAbstractSpinBox::focusOutEvent(event);
}
