#include "Shortcuts.h"

#include <QKeyEvent>
#include <QWidget>

QString shortcutText(const QKeySequence& shortcut) {
    if (shortcut.isEmpty()) {
        return {};
    }
    const QKeyCombination combination = shortcut[0];
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    QString text;
    if (modifiers & Qt::ShiftModifier) {
        text += QStringLiteral("Shift+");
    }
    if (modifiers & Qt::ControlModifier) {
        text += QStringLiteral("Ctrl+");
    }
    if (modifiers & Qt::AltModifier) {
        text += QStringLiteral("Alt+");
    }
    text += QKeySequence(combination.key()).toString(QKeySequence::PortableText);
    return text;
}

ShortcutGuard::ShortcutGuard(QWidget* window, QList<QKeySequence> sequences, QObject* parent)
    : QObject(parent), window_(window), sequences_(std::move(sequences)) {}

bool ShortcutGuard::guards(const QKeySequence& sequence) const {
    return sequences_.contains(sequence);
}

bool ShortcutGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType()) {
        return false;
    }
    const auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != window_) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers =
        key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (!guards(QKeySequence(QKeyCombination(modifiers, Qt::Key(key->key()))))) {
        return false;
    }
    // Unclaimed: the shortcut map runs the window's shortcut and the key goes no further.
    event->ignore();
    return true;
}
