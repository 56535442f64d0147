#pragma once

#include <QList>
#include <QPoint>
#include <QWidget>

class ToolbarLayout;

// A toolbar whose controls wrap into rows as its width asks (ToolbarLayout: rows 25 high, the
// first 4 pixels from the left and 2 from the top, no gaps). Its height follows the rows,
// 25 x rows + 4, and a groove runs along its top edge.
class FlatToolbar : public QWidget {
    Q_OBJECT
public:
    explicit FlatToolbar(QWidget* parent = nullptr);

    // Appends control (which keeps its own size) to the toolbar and makes the toolbar its parent.
    void addControl(QWidget* control);
    QList<QWidget*> controls() const;

    // Top-left corner of every control, in order, when the toolbar is width wide; rows receives
    // the number of rows.
    QList<QPoint> arrange(int width, int* rows = nullptr) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    ToolbarLayout* layout_;
};
