#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

class QWidget;

// The text a menu shows for a shortcut: "Shift+", "Ctrl+", "Alt+" in this order for the
// modifiers present, then the key's name ("Shift+Ctrl+O", "Alt+X", "F5").
QString shortcutText(const QKeySequence& shortcut);

// Lets the window's shortcuts win over the focused control: text and line edits claim standard
// keys (Ctrl+Z, Ctrl+C, ...) for themselves through ShortcutOverride, which would keep the
// shortcut from firing and hand the key to the control instead. Installed on the application,
// it refuses that claim for the given key sequences in every widget inside window.
class ShortcutGuard : public QObject {
    Q_OBJECT
public:
    ShortcutGuard(QWidget* window, QList<QKeySequence> sequences, QObject* parent = nullptr);

    bool guards(const QKeySequence& sequence) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QList<QKeySequence> sequences_;
};
