#pragma once

#include <QWidget>

// A gap of 8 x 25 between toolbar controls; a grooved one draws a vertical groove line down its
// middle, a plain one draws nothing.
class Spacer : public QWidget {
    Q_OBJECT
public:
    explicit Spacer(bool grooved, QWidget* parent = nullptr);

    bool isGrooved() const { return grooved_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool grooved_;
};
