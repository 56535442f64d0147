#include "ProgressDialog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QProgressDialog>
#include <QWindow>
#include <algorithm>

namespace {

// The bar's range: the dialog takes int values, files may be larger than int counts.
constexpr int kSteps = 1000;

} // namespace

ProgressDialog::ProgressDialog(QWidget* parent, const QString& title, ProgressTask task)
    : dialog_(new QProgressDialog(labelFor(task), QStringLiteral("Отмена"), 0, kSteps, parent)) {
    dialog_->setObjectName(QStringLiteral("ProgressDialog"));
    dialog_->setWindowTitle(title);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(kShowAfterMs);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    closeGuard_ = std::make_unique<CloseGuard>(dialog_.data());
    QCoreApplication::instance()->installEventFilter(closeGuard_.get());
}

bool ProgressDialog::CloseGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Close || watched == allowed_) {
        return false;
    }
    if (auto* widget = qobject_cast<QWidget*>(allowed_);
        widget != nullptr && widget->windowHandle() == watched) {
        return false;
    }
    event->ignore();
    return true;
}

ProgressDialog::~ProgressDialog() {
    delete dialog_.data(); // gone with its parent already when the window closed first
}

QString ProgressDialog::labelFor(ProgressTask task) {
    return task == ProgressTask::Open ? QStringLiteral("Открытие файла…")
                                      : QStringLiteral("Сохранение файла…");
}

void ProgressDialog::begin(qint64 total) {
    total_ = std::max<qint64>(total, 1);
    if (dialog_) {
        dialog_->setValue(0); // starts the dialog's clock
    }
}

bool ProgressDialog::advance(qint64 done) {
    if (!dialog_) {
        return true;
    }
    const auto value = static_cast<int>(std::clamp<qint64>(done, 0, total_) * kSteps / total_);
    // The dialog shows itself once the work looks long; shown, it handles events itself when
    // its value changes.
    dialog_->setValue(value);
    QCoreApplication::processEvents(dialog_->isVisible() ? QEventLoop::AllEvents
                                                         : QEventLoop::ExcludeUserInputEvents);
    return dialog_ && !dialog_->wasCanceled();
}
