#pragma once

#include <QColor>
#include <QWidget>

// The colour edit: shows the selected colour; its drop-down button opens a grid of named colours.
// A pick (also of the colour already shown) sets the colour and reports changed().
class ColorEdit : public QWidget {
    Q_OBJECT
public:
    explicit ColorEdit(QWidget* parent = nullptr);

    QColor selectedColor() const { return selected_; }
    void setSelectedColor(const QColor& color);

signals:
    void changed();

private:
    QColor selected_ = Qt::black;
};
