#pragma once

#include <QChar>
#include <QDateTime>
#include <QObject>
#include <functional>

class RichEdit;

// The text commands of the "Правка" menu and the removal of extra spaces. Each acts on the editor
// whatever has the keyboard focus, and each change it makes is one undo step.
class TextCommands : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextCommands)
public:
    using Clock = std::function<QDateTime()>;
    using SeparatorReader = std::function<QChar()>;

    explicit TextCommands(RichEdit& editor, QObject* parent = nullptr);
    ~TextCommands() override;

    void undo();
    void cut();
    void copy();
    void paste();
    void selectAll();
    // Empties the text (undoable) and clears the modified flag.
    void clear();
    // Replaces the selection with the date-and-time stamp of the clock's current time.
    void insertStamp();
    // Shortens every run of spaces to one space, keeping all formatting; the editor is not touched
    // when there is no run of two spaces. Returns the number of spaces removed.
    qsizetype removeExtraSpaces();

    // The separator between the time fields of the stamp: the system locale's, read at
    // construction and again whenever the application is told that the locale changed.
    QChar timeSeparator() const { return timeSeparator_; }
    // The clock the stamp reads; the local system clock unless replaced.
    void setClock(Clock clock);
    // Where the time separator is read from; the system locale unless replaced. Reads it at once.
    void setSeparatorReader(SeparatorReader reader);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RichEdit& editor_;
    Clock clock_;
    SeparatorReader readSeparator_;
    QChar timeSeparator_;
};
