#pragma once

#include "Prompts.h"
#include "RichEdit.h"
#include "TForm1.h"

#include <QApplication>
#include <QTest>
#include <memory>

// The main window as the end-to-end tests use it: made on the given prompts and registered as
// Form1 (create), then shown and made active (show), deleted and unregistered again (reset).
// Reads like the pointer it replaces: form_->RichEdit1, form_.get().
class MainWindowFixture {
public:
    enum class Shown { AsSized, Maximised };

    MainWindowFixture() = default;
    MainWindowFixture(const MainWindowFixture&) = delete;
    MainWindowFixture& operator=(const MainWindowFixture&) = delete;
    ~MainWindowFixture() { reset(); }

    TForm1& create(Prompts& prompts) {
        reset();
        form_ = std::make_unique<TForm1>(prompts);
        Form1 = form_.get();
        return *form_;
    }

    // Shows the window (at the size it was given, or maximised) and waits until it is active;
    // false when it never became active.
    [[nodiscard]] bool show(Shown how = Shown::AsSized) const {
        if (how == Shown::Maximised) {
            form_->showMaximized();
        } else {
            form_->show();
        }
        form_->activateWindow(); // without a window manager nothing else activates it
        return QTest::qWaitForWindowActive(form_.get()) &&
               QTest::qWaitFor([this] { return QApplication::activeWindow() == form_.get(); });
    }

    void reset() {
        if (Form1 == form_.get()) {
            Form1 = nullptr;
        }
        form_.reset();
    }

    TForm1* get() const { return form_.get(); }
    TForm1* operator->() const { return form_.get(); }
    TForm1& operator*() const { return *form_; }
    RichEdit& edit() const { return *form_->RichEdit1; }

private:
    std::unique_ptr<TForm1> form_;
};
