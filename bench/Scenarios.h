#pragma once

#include "BenchPrompts.h"
#include "Document.h"
#include "Finder.h"
#include "RichEdit.h"
#include "TextCommands.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// The benchmark scenarios: what a person does in the editor, run headless through the classes the
// editor uses (RichEdit, Document, Finder, TextCommands), each timed until the frame that shows
// its result is drawn.
class Scenarios {
public:
    // file: the Windows-1251 document to work on; workDir: where saves go.
    Scenarios(const QString& file, const QString& workDir);
    ~Scenarios();

    // One timed result: a scenario's times in milliseconds and the process's peak memory after it.
    struct Result {
        QString scenario;
        QList<double> times;
        qint64 peakMemory = 0;
    };
    using Report = std::function<void(const Result&)>;

    // Sessions group scenarios so that a large file is opened as few times as the measurements
    // allow: "view" (open, ctrl-end, type-at-end, each run on a fresh open), "edit" (one open, then
    // save-plain, save-rtf-plain, find-case, find-nocase, style-all, save-rtf-formatted) and
    // "squeeze" (each run on a fresh open) and "interact" (each run on a fresh open: open, a click
    // in the middle of the view, one character typed there, backspace, delete, paste-1mb of the
    // file's first megabyte there and undo-paste, page-down, ctrl-end; then idle-cpu, the
    // processor time in milliseconds that 5 idle seconds cost with the caret at the click),
    // "progress" (the processor time of an open without progress and with the window's progress
    // dialog, in turns: open-cpu-no-progress, open-cpu-progress-dialog), "recovery" (keys at the
    // end without a recorder and with one, the bytes a key adds to the record, the time from the
    // last key to a durable record, the open, and restores of a record naming the opened file and
    // of one holding the whole document; RecoveryScenarios.cpp), "quiet" (each run on a fresh open:
    // the processor time of five keys typed at once, quiet-keys, the longest an event waits in the
    // first three seconds, quiet-longest-wait, the paragraphs idle time measured, quiet-measured;
    // then, once, quiet-cpu, the processor time of the minute after an open; QuietScenarios.cpp).
    // Throws std::invalid_argument for an unknown name.
    static QStringList sessions();
    void runSession(const QString& session, int runs, const Report& report);

    // Boyer-Moore-Horspool over the file's bytes for the marker: the reference for find.
    QList<double> searchReference(int runs) const;

private:
    void open();
    void draw();
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {});
    void formatRichly();

    void viewSession(int runs, const Report& report);
    void editSession(int runs, const Report& report);
    void squeezeSession(int runs, const Report& report);
    void interactSession(int runs, const Report& report);
    void settleSession(const Report& report);
    void progressSession(int runs, const Report& report);
    void recoverySession(int runs, const Report& report);
    void quietSession(int runs, const Report& report);
    void click(const QPoint& point);
    // The text of the file's first bytes.
    QString fileStart(qsizetype bytes) const;
    QList<double> savePlainRuns(int runs);
    QList<double> saveRtfRuns(int runs, const QString& name);
    QList<double> findRuns(int runs, bool matchCase);
    QList<double> styleRuns(int runs);

    QString file_;
    QString workDir_;
    QWidget* window_;
    RichEdit* editor_;
    BenchPrompts prompts_;
    Document* document_;
    Finder* finder_;
    TextCommands* commands_;
};
