#pragma once

#include <QLayout>
#include <QList>
#include <QPoint>

// Lays out a toolbar's controls left to right in the order they were added, in rows 25 high,
// wrapping like text: the first row starts 4 pixels from the left and 2 from the top, controls sit
// side by side with no gap at their own size, each centred vertically in its row. A control whose
// right edge would pass the width less 4 starts a new row (unless it already starts one). The
// height for a width is 25 x rows + 4.
class ToolbarLayout : public QLayout {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 25;
    static constexpr int kLeft = 4;
    static constexpr int kTop = 2;
    static constexpr int kRightMargin = 4;
    static constexpr int kExtraHeight = 4;

    explicit ToolbarLayout(QWidget* parent = nullptr);
    ~ToolbarLayout() override;
    ToolbarLayout(const ToolbarLayout&) = delete;
    ToolbarLayout& operator=(const ToolbarLayout&) = delete;

    // Top-left corner of every item, in order, for a width; rows receives the number of rows.
    QList<QPoint> arrange(int width, int* rows = nullptr) const;
    // The height of rows rows.
    static int heightOfRows(int rows) { return kRowHeight * rows + kExtraHeight; }

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    QList<QLayoutItem*> items_;
};
