#include "ColorGrid.h"

#include "WidgetAccessibility.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int kMargin = 3;

ColorCell cell(const char* name, QRgb rgb) {
    return {QString::fromLatin1(name), QColor(rgb)};
}

} // namespace

const QList<ColorCell>& ColorGrid::cells() {
    static const QList<ColorCell> table = {
        cell("Black", 0x000000),
        cell("Brown", 0x993300),
        cell("Olive Green", 0x333300),
        cell("Dark Green", 0x003300),
        cell("Dark Teal", 0x003366),
        cell("Dark Blue", 0x000080),
        cell("Indigo", 0x333399),
        cell("Gray 80%", 0x333333),

        cell("Dark Red", 0x800000),
        cell("Orange", 0xFF6600),
        cell("Dark Yellow", 0x808000),
        cell("Green", 0x008000),
        cell("Teal", 0x008080),
        cell("Blue", 0x0000FF),
        cell("Blue Gray", 0x666699),
        cell("Gray 50%", 0x808080),

        cell("Red", 0xFF0000),
        cell("Light Orange", 0xFF9900),
        cell("Lime", 0x99CC00),
        cell("Sea Green", 0x339966),
        cell("Aqua", 0x339999),
        cell("Light Blue", 0x3366FF),
        cell("Violet", 0x800080),
        cell("Gray 40%", 0x999999),

        cell("Pink", 0xFF00FF),
        cell("Gold", 0xFFCC00),
        cell("Yellow", 0xFFFF00),
        cell("Bright Green", 0x00FF00),
        cell("Turquoise", 0x00FFFF),
        cell("Sky Blue", 0x00CCFF),
        cell("Plum", 0x993366),
        cell("Gray 25%", 0xC0C0C0),

        cell("Rose", 0xFF99CC),
        cell("Tan", 0xFFCC99),
        cell("Light Yellow", 0xFFFF99),
        cell("Light Green", 0xCCFFCC),
        cell("Light Turquoise", 0xCCFFFF),
        cell("Pale Blue", 0x99CCFF),
        cell("Lavender", 0xCC99FF),
        cell("White", 0xFFFFFF),
    };
    return table;
}

ColorGrid::ColorGrid(QWidget* parent) : QWidget(parent, Qt::Popup) {
    WidgetAccessibility::install();
    setObjectName(QStringLiteral("ColorGrid"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(sizeHint());
}

int ColorGrid::indexOf(const QColor& color) {
    const QList<ColorCell>& table = cells();
    for (int i = 0; i < table.size(); ++i) {
        if (table.at(i).color.rgb() == color.rgb()) {
            return i;
        }
    }
    return -1;
}

QString ColorGrid::nameOf(const QColor& color) {
    const int index = indexOf(color);
    return index >= 0 ? cells().at(index).name : color.name();
}

QSize ColorGrid::sizeHint() const {
    return {2 * kMargin + kColumns * kCellSize, 2 * kMargin + kRows * kCellSize};
}

QRect ColorGrid::cellRect(int index) {
    const int row = index / kColumns;
    const int column = index % kColumns;
    return {kMargin + column * kCellSize, kMargin + row * kCellSize, kCellSize, kCellSize};
}

int ColorGrid::cellAt(const QPoint& pos) {
    const int x = pos.x() - kMargin;
    const int y = pos.y() - kMargin;
    if (x < 0 || y < 0 || x >= kColumns * kCellSize || y >= kRows * kCellSize) {
        return -1;
    }
    return (y / kCellSize) * kColumns + x / kCellSize;
}

void ColorGrid::setCurrent(int index) {
    if (index != current_) {
        current_ = index;
        update();
        announceCurrent();
    }
}

void ColorGrid::announceCurrent() {
    if (current_ < 0 || !hasFocus()) {
        return;
    }
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(current_);
    QAccessible::updateAccessibility(&event);
}

void ColorGrid::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // After Qt has told of the grid's own focus, which follows this event.
    QMetaObject::invokeMethod(
        this, [this] { announceCurrent(); }, Qt::QueuedConnection);
}

void ColorGrid::pick(int index) {
    if (index < 0) {
        return;
    }
    const QColor color = cells().at(index).color;
    hide();
    emit picked(color);
}

bool ColorGrid::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = cellAt(help->pos());
        if (index >= 0) {
            QToolTip::showText(help->globalPos(), cells().at(index).name, this, cellRect(index));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void ColorGrid::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    for (int i = 0; i < cells().size(); ++i) {
        const QRect r = cellRect(i);
        if (i == current_) {
            p.fillRect(r, palette().highlight());
        }
        const QRect swatch = r.adjusted(3, 3, -3, -3);
        p.fillRect(swatch, cells().at(i).color);
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(swatch.adjusted(0, 0, -1, -1));
    }
}

void ColorGrid::mouseMoveEvent(QMouseEvent* event) {
    setCurrent(cellAt(event->position().toPoint()));
}

void ColorGrid::leaveEvent(QEvent* /*event*/) {
    setCurrent(-1);
}

void ColorGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pick(cellAt(event->position().toPoint()));
    }
}

void ColorGrid::keyPressEvent(QKeyEvent* event) {
    const int count = static_cast<int>(cells().size());
    const int at = current_;
    const bool arrow = event->key() == Qt::Key_Left || event->key() == Qt::Key_Right ||
                       event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    if (arrow && at < 0) {
        setCurrent(0); // the first arrow key only enters the grid
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        setCurrent(at % kColumns == 0 ? at : at - 1);
        break;
    case Qt::Key_Right:
        setCurrent(at % kColumns == kColumns - 1 ? at : at + 1);
        break;
    case Qt::Key_Up:
        setCurrent(at < kColumns ? at : at - kColumns);
        break;
    case Qt::Key_Down:
        setCurrent(at + kColumns >= count ? at : at + kColumns);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        pick(current_);
        break;
    case Qt::Key_Escape:
        hide();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}
