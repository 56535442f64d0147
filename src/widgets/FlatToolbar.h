#pragma once

#include <QList>
#include <QPoint>
#include <QWidget>

// A toolbar that lays its controls out itself, left to right in the order they were added, in
// rows 25 high: the first row starts 4 pixels from the left and 2 from the top, controls sit
// side by side with no gap, each centred vertically in its row. A control whose right edge would
// pass the toolbar's width less 4 starts a new row (unless it already starts one). The toolbar is
// 25 x rows + 4 high, and a groove runs along its top edge.
class FlatToolbar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 25;
    static constexpr int kLeft = 4;
    static constexpr int kTop = 2;
    static constexpr int kRightMargin = 4;
    static constexpr int kExtraHeight = 4;

    explicit FlatToolbar(QWidget* parent = nullptr);

    // Appends control (which keeps its own size) to the toolbar and makes the toolbar its parent.
    void addControl(QWidget* control);
    const QList<QWidget*>& controls() const { return controls_; }

    // Top-left corner of every control, in order, when the toolbar is width wide; rows receives
    // the number of rows.
    QList<QPoint> arrange(int width, int* rows = nullptr) const;
    int rowsForWidth(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void relayout();

    QList<QWidget*> controls_;
};
