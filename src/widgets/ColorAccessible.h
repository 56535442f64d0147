#pragma once

#include <QAccessibleWidget>
#include <QList>
#include <QPointer>

class ColorEdit;
class ColorGrid;

// What assistive technology reads of the colour edit and its grid: the edit is a combo box whose
// value is the name of the shown colour and whose one child is the grid; the grid is a list of
// forty cells named after their colours, the highlighted cell being the focused one.
class ColorEditAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ColorEditAccessible(ColorEdit* edit);
    void* interface_cast(QAccessible::InterfaceType t) override;

    // The value is the colour's name. As Qt's own combo boxes do on Linux, the name is the value
    // too there; the label reaches assistive technology as the label relation of its buddy.
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    // "Show menu" opens the grid.
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

    // The colour's name as read-only text: what screen readers speak as a combo box's value.
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int /*startOffset*/, int /*endOffset*/) override {}
    void removeSelection(int /*selectionIndex*/) override {}
    void setSelection(int /*index*/, int /*startOffset*/, int /*endOffset*/) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int /*position*/) override {}
    QRect characterRect(int /*offset*/) const override { return {}; }
    int offsetAtPoint(const QPoint& /*point*/) const override { return -1; }
    void scrollToSubstring(int /*startIndex*/, int /*endIndex*/) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    ColorEdit* edit() const;
    QString colorName() const;
};

class ColorGridAccessible : public QAccessibleWidget {
public:
    explicit ColorGridAccessible(ColorGrid* grid);
    ~ColorGridAccessible() override;
    ColorGridAccessible(const ColorGridAccessible&) = delete;
    ColorGridAccessible& operator=(const ColorGridAccessible&) = delete;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    ColorGrid* grid() const;

    // The ids of the cells' interfaces in Qt's cache, which owns them; each made when first asked
    // for (0 until then) and deleted with the grid's.
    mutable QList<QAccessible::Id> cells_;
};

// One cell of the grid: a list item named after its colour, whose "Press" action picks it.
class ColorCellAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ColorCellAccessible(ColorGrid* grid, int index);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
    QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& /*actionName*/) const override { return {}; }

private:
    QPointer<ColorGrid> grid_;
    int index_;
};
