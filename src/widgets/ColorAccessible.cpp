#include "ColorAccessible.h"

#include "ColorEdit.h"
#include "ColorGrid.h"

#include <QWidget>
#include <QWindow>
#include <algorithm>

// --- the colour edit ---------------------------------------------------------------------------

ColorEditAccessible::ColorEditAccessible(ColorEdit* edit)
    : QAccessibleWidget(edit, QAccessible::ComboBox) {}

ColorEdit* ColorEditAccessible::edit() const {
    return static_cast<ColorEdit*>(widget());
}

QString ColorEditAccessible::colorName() const {
    return ColorGrid::nameOf(edit()->selectedColor());
}

void* ColorEditAccessible::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(t);
}

QString ColorEditAccessible::text(QAccessible::Text t) const {
#ifdef Q_OS_UNIX
    const bool valueNamed = t == QAccessible::Name && edit()->accessibleName().isEmpty();
#else
    const bool valueNamed = false;
#endif
    if (t == QAccessible::Value || valueNamed) {
        return colorName();
    }
    return QAccessibleWidget::text(t);
}

QString ColorEditAccessible::text(int startOffset, int endOffset) const {
    const QString name = colorName();
    const int from = std::clamp(startOffset, 0, int(name.size()));
    const int to = endOffset < 0 ? int(name.size()) : std::clamp(endOffset, from, int(name.size()));
    return name.mid(from, to - from);
}

int ColorEditAccessible::characterCount() const {
    return int(colorName().size());
}

void ColorEditAccessible::selection(int /*selectionIndex*/, int* startOffset,
                                    int* endOffset) const {
    *startOffset = 0;
    *endOffset = 0;
}

QString ColorEditAccessible::attributes(int /*offset*/, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

QAccessible::State ColorEditAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.hasPopup = true;
    s.expandable = true;
    s.expanded = edit()->grid()->isVisible();
    s.collapsed = !s.expanded;
    return s;
}

int ColorEditAccessible::childCount() const {
    return 1;
}

QAccessibleInterface* ColorEditAccessible::child(int index) const {
    return index == 0 ? QAccessible::queryAccessibleInterface(edit()->grid()) : nullptr;
}

int ColorEditAccessible::indexOfChild(const QAccessibleInterface* child) const {
    return child != nullptr && child->object() == edit()->grid() ? 0 : -1;
}

QStringList ColorEditAccessible::actionNames() const {
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
}

void ColorEditAccessible::doAction(const QString& actionName) {
    if (actionName == showMenuAction()) {
        edit()->showPopup();
    } else {
        QAccessibleWidget::doAction(actionName);
    }
}

// --- the grid ----------------------------------------------------------------------------------

ColorGridAccessible::ColorGridAccessible(ColorGrid* grid)
    : QAccessibleWidget(grid, QAccessible::List) {}

ColorGridAccessible::~ColorGridAccessible() {
    for (const QAccessible::Id id : std::as_const(cells_)) {
        if (id != 0) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }
}

ColorGrid* ColorGridAccessible::grid() const {
    return static_cast<ColorGrid*>(widget());
}

int ColorGridAccessible::childCount() const {
    return static_cast<int>(ColorGrid::cells().size());
}

QAccessibleInterface* ColorGridAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) {
        return nullptr;
    }
    if (cells_.isEmpty()) {
        cells_.resize(childCount(), 0);
    }
    QAccessible::Id& id = cells_[index];
    if (id == 0) {
        id = QAccessible::registerAccessibleInterface(new ColorCellAccessible(grid(), index));
    }
    return QAccessible::accessibleInterface(id);
}

int ColorGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int i = 0; i < cells_.size(); ++i) {
        if (cells_.at(i) != 0 && QAccessible::accessibleInterface(cells_.at(i)) == child) {
            return i;
        }
    }
    return -1;
}

QAccessibleInterface* ColorGridAccessible::childAt(int x, int y) const {
    return child(ColorGrid::cellAt(grid()->mapFromGlobal(QPoint(x, y))));
}

QAccessibleInterface* ColorGridAccessible::focusChild() const {
    if (grid()->hasFocus() && grid()->current() >= 0) {
        return child(grid()->current());
    }
    return QAccessibleWidget::focusChild();
}

// --- one cell ----------------------------------------------------------------------------------

ColorCellAccessible::ColorCellAccessible(ColorGrid* grid, int index) : grid_(grid), index_(index) {}

bool ColorCellAccessible::isValid() const {
    return !grid_.isNull();
}

QWindow* ColorCellAccessible::window() const {
    return grid_ ? grid_->windowHandle() : nullptr;
}

QAccessibleInterface* ColorCellAccessible::parent() const {
    return QAccessible::queryAccessibleInterface(grid_.data());
}

QString ColorCellAccessible::text(QAccessible::Text t) const {
    return t == QAccessible::Name ? ColorGrid::cells().at(index_).name : QString();
}

QRect ColorCellAccessible::rect() const {
    if (!grid_) {
        return {};
    }
    const QRect cell = ColorGrid::cellRect(index_);
    return {grid_->mapToGlobal(cell.topLeft()), cell.size()};
}

QAccessible::State ColorCellAccessible::state() const {
    QAccessible::State s;
    if (!grid_ || !grid_->isVisible()) {
        s.invisible = true;
        return s;
    }
    s.focusable = true;
    s.selectable = true;
    const bool current = grid_->current() == index_;
    s.selected = current;
    s.focused = current && grid_->hasFocus();
    return s;
}

void* ColorCellAccessible::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
}

QStringList ColorCellAccessible::actionNames() const {
    return {pressAction()};
}

void ColorCellAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction() && grid_) {
        grid_->pick(index_);
    }
}
