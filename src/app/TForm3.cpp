#include "TForm3.h"

#include "ClassicFonts.h"
#include "FramePlacement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace {

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, const QFont& font) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    label->setFocusPolicy(Qt::NoFocus);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

TForm3::TForm3(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("   Немного о программе Zelto"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setModal(true);
    setFont(ClassicFonts::dialog());
    setFixedSize(260, 103);
    buildLayout();
}

void TForm3::buildLayout() {
    const QFont font = ClassicFonts::dialog();

    QFont titleFont = ClassicFonts::label();
    titleFont.setBold(true);
    Label1 = addLabel(this, "Label1", QStringLiteral("Текстовый редактор Zelto"), titleFont);
    Label1->adjustSize();
    Label1->setGeometry(32, 8, Label1->width(), 19);

    Label2 = addLabel(this, "Label2", QStringLiteral("автор: команда Zelto"), font);
    Label2->move(8, 32);
    Label2->adjustSize();

    Label5 = addLabel(this, "Label5", QStringLiteral("16 октября 2007 г."), font);
    Label5->setGeometry(152, 40, 94, 13);

    Label4 = addLabel(this, "Label4", QStringLiteral("сайт: "), font);
    Label4->setGeometry(8, 48, 29, 13);

    // Looks like a link and is not one: nothing opens the address.
    QFont linkFont = font;
    linkFont.setBold(true);
    linkFont.setUnderline(true);
    Label3 = addLabel(this, "Label3", QStringLiteral("zelto.example.org"), linkFont);
    QPalette linkPalette = Label3->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label3->setPalette(linkPalette);
    Label3->move(40, 48);
    Label3->adjustSize();

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(93, 72, 75, 25);
    Button1->setFocus();
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
}

void TForm3::Button1Click() {
    close();
}

void TForm3::keyPressEvent(QKeyEvent* event) {
    // No button cancels the box: Escape is swallowed here instead of rejecting the dialog.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm3::placeFirstTime() {
    if (placed_) {
        return;
    }
    placed_ = true;
    const QWidget* owner = parentWidget();
    if (owner == nullptr) {
        return;
    }
    FramePlacement::centreOver(this, owner);
}

void TForm3::showOnDemand(TForm3*& box, QWidget* owner) {
    if (box == nullptr) {
        box = new TForm3(owner);
    }
    box->placeFirstTime();
    box->exec();
}
