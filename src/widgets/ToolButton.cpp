#include "ToolButton.h"

#include <QCursor>
#include <QEnterEvent>
#include <QToolTip>

ToolButton::ToolButton(QWidget* parent) : QToolButton(parent), hintTimer_(this) {
    setFixedSize(25, 25);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setIconSize(QSize(16, 16));
    hintTimer_.setSingleShot(true);
    hintTimer_.setInterval(kHintDelayMs);
    connect(&hintTimer_, &QTimer::timeout, this, &ToolButton::showHint);
}

void ToolButton::showHint() {
    if (toolTip().isEmpty()) {
        return;
    }
    QToolTip::showText(QCursor::pos(), toolTip(), this, QRect(), kHintDurationMs);
}

bool ToolButton::event(QEvent* event) {
    // The hint keeps its own timing; the application's tooltip timing is not used.
    if (event->type() == QEvent::ToolTip) {
        return true;
    }
    return QToolButton::event(event);
}

void ToolButton::enterEvent(QEnterEvent* event) {
    QToolButton::enterEvent(event);
    if (QToolTip::isVisible()) {
        showHint();
    } else {
        hintTimer_.start();
    }
}

void ToolButton::leaveEvent(QEvent* event) {
    hintTimer_.stop();
    QToolButton::leaveEvent(event);
}

void ToolButton::mousePressEvent(QMouseEvent* event) {
    hintTimer_.stop();
    QToolTip::hideText();
    QToolButton::mousePressEvent(event);
}
