#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>

class QWidget;

// Places a top-level window by its outer frame, title bar and borders included. The window manager
// frames a window only when it maps it, so before its first showing a window's frame is unknown:
// the frame of a reference window stands in for it. Once the window manager has framed the window,
// it is placed again if that estimate was wrong, so that its real frame lands where it should.
class FramePlacement : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FramePlacement)
public:
    ~FramePlacement() override = default;

    // The frame's top-left corner for a window of outer size.
    using Position = std::function<QPoint(const QSize& outer)>;

    // Moves window (a top-level window about to be shown) to position(outer size) now, with the
    // outer size known or estimated from reference, and again once its real frame is known.
    static void place(QWidget* window, const QWidget* reference, const Position& position);

    // place with the window's frame centred over owner's frame (centredOver).
    static void centreOver(QWidget* window, const QWidget* owner);

    // The top-left corner that centres a window of outer size box over the frame owner: each
    // half-difference an integer division truncating toward zero.
    static QPoint centredOver(const QRect& owner, const QSize& box);

    // The outer size of window: its frame when the window manager has framed it, else its size
    // with the decoration of reference (none without one).
    static QSize outerSize(const QWidget* window, const QWidget* reference);

    // Gives window the outer frame rectangle frame, with the decoration the window manager
    // reports (none while the window is not framed). The window manager may change the decoration
    // right after (a restored window gets back its borders): while the frame differs from frame,
    // it is set again when the window settles, at most a few times.
    static void setFrameGeometry(QWidget* window, const QRect& frame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FramePlacement(QWidget* window, Position position);

    QWidget* window_;
    Position position_;
};
