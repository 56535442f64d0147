#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

// One cell of the colour grid: the name shown as its tooltip and its colour.
struct ColorCell {
    QString name;
    QColor color;
};

// The drop-down of the colour edit: 5 rows of 8 named colours. Reports a pick with picked(); a
// popup closed without a pick (Escape, a click elsewhere) reports nothing. Mouse and keyboard
// (arrows, Enter, Space) both pick.
class ColorGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 5;
    static constexpr int kColumns = 8;
    static constexpr int kCellSize = 18;

    explicit ColorGrid(QWidget* parent = nullptr);

    // The 40 cells, row by row, left to right.
    static const QList<ColorCell>& cells();

    // The cell of a colour, -1 when the grid has none.
    static int indexOf(const QColor& color);
    // The name of a colour: its cell's, or "#rrggbb" when the grid has none.
    static QString nameOf(const QColor& color);
    // The cell at a point of the widget, -1 outside every cell.
    static int cellAt(const QPoint& pos);
    static QRect cellRect(int index);
    // The highlighted cell (mouse or keyboard), -1 for none. Assistive technology follows it as
    // the focused cell while the grid has the focus.
    int current() const { return current_; }
    void setCurrent(int index);
    // Picks the colour of cell index (none when index is -1): hides the grid and reports it.
    void pick(int index);

    QSize sizeHint() const override;

signals:
    void picked(const QColor& color);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    // Tells assistive technology that the current cell has the focus.
    void announceCurrent();

    int current_ = -1;
};
