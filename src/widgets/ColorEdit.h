#pragma once

#include <QColor>
#include <QWidget>

class ColorGrid;

// The colour edit: shows the selected colour; its drop-down button (or Alt+Down, F4, Space) opens
// a grid of named colours. A pick, also of the colour already shown, sets the colour and reports
// changed(); closing the grid without a pick reports nothing. Accepts no typing.
class ColorEdit : public QWidget {
    Q_OBJECT
public:
    explicit ColorEdit(QWidget* parent = nullptr);

    QColor selectedColor() const { return selected_; }
    // Shows color; does not report a change.
    void setSelectedColor(const QColor& color);

    // Opens the grid under the box; its current cell is the shown colour when the grid has it.
    void showPopup();
    // The grid (created with the box, shown by showPopup).
    ColorGrid* grid() const { return grid_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void changed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onPicked(const QColor& color);

    QColor selected_ = Qt::black;
    ColorGrid* grid_;
};
