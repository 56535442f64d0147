#pragma once

#include "CancellingPrompts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// Prompts with answers given in advance. A file dialog answer is a file name, or an empty string
// for Cancel. Every question and dialog is recorded.
class ScriptedPrompts : public CancellingPrompts {
public:
    QList<int> answers;
    QStringList openAnswers;
    QStringList saveAnswers;
    QStringList questions;
    QStringList openDialogNames; // the name each open dialog showed
    QStringList saveDialogNames;
    // The progress report (counted from 1 over the whole run) at which the user cancels; 0 never;
    // kCancelWhenDone: the report that the work is complete.
    static constexpr int kCancelWhenDone = -1;
    int cancelAtStep = 0;
    int progressSteps = 0;
    QList<ProgressTask> progressTasks;    // each progress started
    std::function<void()> duringProgress; // called at every progress report

    int centeredMessage(const QString& text, MsgDlgType /*type*/, int /*buttons*/) override {
        questions.append(text);
        return answers.isEmpty() ? mrCancel : answers.takeFirst();
    }
    bool runOpenDialog(FileDialogState& state) override {
        return answer(state, openAnswers, openDialogNames);
    }
    bool runSaveDialog(FileDialogState& state) override {
        return answer(state, saveAnswers, saveDialogNames);
    }

    std::unique_ptr<Progress> startProgress(ProgressTask task) override {
        progressTasks.append(task);
        return std::make_unique<ScriptedProgress>(*this);
    }

private:
    class ScriptedProgress : public Progress {
    public:
        explicit ScriptedProgress(ScriptedPrompts& owner) : owner_(owner) {}
        void begin(qint64 total) override { total_ = total; }
        bool advance(qint64 done) override {
            const int step = ++owner_.progressSteps;
            if (owner_.duringProgress) {
                owner_.duringProgress();
            }
            return owner_.cancelAtStep == kCancelWhenDone ? done < total_
                                                          : step != owner_.cancelAtStep;
        }

    private:
        ScriptedPrompts& owner_;
        qint64 total_ = 0;
    };

    static bool answer(FileDialogState& state, QStringList& script, QStringList& shown) {
        shown.append(state.fileName);
        const QString name = script.isEmpty() ? QString() : script.takeFirst();
        if (name.isEmpty()) {
            return false;
        }
        state.fileName = name;
        return true;
    }
};
