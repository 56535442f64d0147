#pragma once

#include "Progress.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

// Progress shown in a window-modal progress dialog over the main window, with a Cancel button.
// It comes up only when the work looks like taking over a second (kShowAfterMs), so short work
// never shows it. Between chunks the application handles its events, so the windows repaint;
// until the dialog is up, input waits, and once it is up it blocks input to the window it belongs
// to, so no command can start while the work is half done. A request to close a window is refused
// for as long as the work lasts: Qt would take a second close of a window whose close is running
// (a save after Yes) as done, and the window would go with its unsaved text.
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
    // Refuses every close request to a window, the dialog's own excepted.
    class CloseGuard : public QObject {
    public:
        explicit CloseGuard(QObject* allowed) : allowed_(allowed) {}

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override;

    private:
        QObject* allowed_;
    };

    QPointer<QProgressDialog> dialog_;
    std::unique_ptr<CloseGuard> closeGuard_;
    qint64 total_ = 0;
};
