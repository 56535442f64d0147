#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: names the program, its authors, its site and its date. A fixed-size tool window
// that stays on top; the OK button, Enter or Space on it, and the close box close it; Escape does
// nothing. Created on first demand and then kept, hidden, with its owner.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* owner);

    // Shows the box modally over owner, creating it into box on the first call. The first showing
    // centres it over the owner's frame; later ones open it where it last stood.
    static void showOnDemand(TForm3*& box, QWidget* owner);

    QLabel* Label1 = nullptr; // program name
    QLabel* Label2 = nullptr; // author credit
    QLabel* Label3 = nullptr; // web address
    QLabel* Label4 = nullptr; // "сайт: "
    QLabel* Label5 = nullptr; // date
    QPushButton* Button1 = nullptr;

    void Button1Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildLayout();
    // Places the box centred over its owner's frame, once, at its first showing.
    void placeFirstTime();

    bool placed_ = false;
};
