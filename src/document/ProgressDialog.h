#pragma once

#include "Progress.h"

#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

// Progress shown in a window-modal progress dialog over the main window, with a Cancel button.
// It comes up only when the work looks like taking over a second (kShowAfterMs), so short work
// never shows it. Between chunks the application handles its events, so the windows repaint;
// until the dialog is up, input waits, and once it is up it blocks input to the window it belongs
// to, so no command can start while the work is half done.
class ProgressDialog : public Progress {
public:
    static constexpr int kShowAfterMs = 1000;

    // title: the dialog's caption (the program's name).
    ProgressDialog(QWidget* parent, const QString& title, ProgressTask task);
    ~ProgressDialog() override;
    ProgressDialog(const ProgressDialog&) = delete;
    ProgressDialog& operator=(const ProgressDialog&) = delete;

    void begin(qint64 total) override;
    bool advance(qint64 done) override;

    // The dialog's label for task.
    static QString labelFor(ProgressTask task);

private:
    QPointer<QProgressDialog> dialog_;
    qint64 total_ = 0;
};
