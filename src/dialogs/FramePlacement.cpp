#include "FramePlacement.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

bool isFramed(const QWidget* window) {
    return window->testAttribute(Qt::WA_WState_Created) &&
           window->frameGeometry().size() != window->size();
}

void applyFrame(QWidget* window, const QRect& frame) {
    const QSize decoration = window->frameGeometry().size() - window->size();
    window->resize(frame.size() - decoration);
    window->move(frame.topLeft());
}

// Sets a window's frame again once the window has settled (no move or resize for a moment), until
// it has the frame wanted or a few tries have failed (a window manager that will not have it).
class FrameKeeper : public QObject {
public:
    FrameKeeper(QWidget* window, const QRect& frame)
        : QObject(window), window_(window), frame_(frame) {
        settled_.setSingleShot(true);
        settled_.setInterval(kSettleMs);
        connect(&settled_, &QTimer::timeout, this, &FrameKeeper::settle);
        window->installEventFilter(this);
        settled_.start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ &&
            (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
            settled_.start();
        } else if (watched == window_ && event->type() == QEvent::Hide) {
            finish();
        }
        return false;
    }

private:
    static constexpr int kSettleMs = 100;
    static constexpr int kTries = 3;

    void settle() {
        if (window_->frameGeometry() == frame_ || ++tries_ > kTries) {
            finish();
            return;
        }
        applyFrame(window_, frame_);
    }
    void finish() {
        settled_.stop();
        window_->removeEventFilter(this);
        deleteLater();
    }

    QWidget* window_;
    QRect frame_;
    QTimer settled_;
    int tries_ = 0;
};

} // namespace

FramePlacement::FramePlacement(QWidget* window, Position position)
    : QObject(window), window_(window), position_(std::move(position)) {
    window->installEventFilter(this);
}

void FramePlacement::place(QWidget* window, const QWidget* reference, const Position& position) {
    // move() places the frame's top-left corner.
    window->move(position(outerSize(window, reference)));
    if (!isFramed(window)) {
        new FramePlacement(window, position);
    }
}

void FramePlacement::centreOver(QWidget* window, const QWidget* owner) {
    const QRect over = owner->frameGeometry();
    place(window, owner, [over](const QSize& outer) { return centredOver(over, outer); });
}

QPoint FramePlacement::centredOver(const QRect& owner, const QSize& box) {
    // C++ integer division truncates toward zero, also when the box is larger than its owner.
    return {owner.left() + (owner.width() - box.width()) / 2,
            owner.top() + (owner.height() - box.height()) / 2};
}

QSize FramePlacement::outerSize(const QWidget* window, const QWidget* reference) {
    if (isFramed(window)) {
        return window->frameGeometry().size();
    }
    QSize outer = window->size();
    if (reference != nullptr) {
        outer += reference->frameGeometry().size() - reference->size();
    }
    return outer;
}

void FramePlacement::setFrameGeometry(QWidget* window, const QRect& frame) {
    applyFrame(window, frame);
    // Even when the frame looks right now: its decoration may be the one it is about to lose.
    new FrameKeeper(window, frame);
}

bool FramePlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::Hide:
        // Never framed while shown (no window manager): the estimate stands.
        deleteLater();
        window_->removeEventFilter(this);
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::WindowActivate:
    case QEvent::UpdateRequest:
        if (isFramed(window_)) {
            window_->removeEventFilter(this);
            deleteLater();
            const QPoint at = position_(window_->frameGeometry().size());
            if (window_->frameGeometry().topLeft() != at) {
                window_->move(at);
            }
        }
        break;
    default:
        break;
    }
    return false;
}
