#include "Tabzac.h"

#include "ClassicFonts.h"
#include "Errors.h"
#include "FramePlacement.h"
#include "FramedComboBox.h"
#include "ParaFormatter.h"
#include "SpinEdit.h"
#include "WidgetAccessibility.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

Tabzac* abzac = nullptr;

namespace {

// Takes the always-on-top state off a shown window for its lifetime.
class StayOnTopSuspended {
public:
    explicit StayOnTopSuspended(QWidget* widget) : window_(widget->windowHandle()) {
        if (window_ != nullptr && window_->flags().testFlag(Qt::WindowStaysOnTopHint)) {
            window_->setFlags(window_->flags() & ~Qt::WindowStaysOnTopHint);
        } else {
            window_ = nullptr;
        }
    }
    ~StayOnTopSuspended() {
        if (window_ != nullptr) {
            window_->setFlags(window_->flags() | Qt::WindowStaysOnTopHint);
        }
    }
    StayOnTopSuspended(const StayOnTopSuspended&) = delete;
    StayOnTopSuspended& operator=(const StayOnTopSuspended&) = delete;

private:
    QPointer<QWindow> window_;
};

} // namespace

Tabzac::Tabzac(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("abzac"));
    setWindowTitle(QStringLiteral("  Абзац"));
    setFont(ClassicFonts::dialog());
    setFixedSize(437, 168);
    buildLayout();
}

Tabzac::~Tabzac() {
    if (abzac == this) {
        abzac = nullptr;
    }
}

QLabel* Tabzac::addLabel(const QString& text, const QRect& bounds) {
    auto* label = new QLabel(text, this);
    label->setFont(ClassicFonts::label());
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(bounds);
    return label;
}

SpinEdit* Tabzac::addSpinEdit(const char* name, const QRect& bounds) {
    auto* edit = new SpinEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(bounds);
    return edit;
}

void Tabzac::buildLayout() {
    Label1 = addLabel(QStringLiteral("Выравнивание"), {24, 24, 102, 19});
    RzComboBox1 = new FramedComboBox(this);
    RzComboBox1->setObjectName(QStringLiteral("RzComboBox1"));
    RzComboBox1->addItems({QStringLiteral("По левому краю"), QStringLiteral("По центру"),
                           QStringLiteral("По правому краю")});
    RzComboBox1->setCurrentIndex(0);
    RzComboBox1->setGeometry(144, 24, 145, 21);

    WidgetAccessibility::install();
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 51, 418, 3);

    Label2 = addLabel(QStringLiteral("Отступ в пикселях"), {24, 56, 126, 19});
    Label3 = addLabel(QStringLiteral("Слева"), {40, 80, 41, 19});
    RzSpinEdit1 = addSpinEdit("RzSpinEdit1", {104, 80, 47, 21});
    Label4 = addLabel(QStringLiteral("Справа"), {40, 104, 50, 19});
    RzSpinEdit2 = addSpinEdit("RzSpinEdit2", {104, 104, 47, 21});
    Label5 = addLabel(QStringLiteral("Первой строки на:"), {216, 80, 124, 19});
    RzSpinEdit3 = addSpinEdit("RzSpinEdit3", {352, 80, 47, 21});

    Button1 = new QPushButton(QStringLiteral("Ок"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setToolTip(QStringLiteral("Применить"));
    Button1->setGeometry(137, 136, 75, 25);
    Button2 = new QPushButton(QStringLiteral("Отмена"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setToolTip(QStringLiteral("Отмена"));
    Button2->setGeometry(225, 136, 75, 25);
    // Neither button answers Enter.
    for (QPushButton* button : {Button1, Button2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(Button1, &QPushButton::clicked, this, [this] {
        // The error box of a bad field must not open beneath this always-on-top window, where
        // nobody could see or answer it: the window stays on top of the others only while no
        // box is up.
        const StayOnTopSuspended suspended(this);
        runGuarded([this] { Button1Click(); });
    });
    connect(Button2, &QPushButton::clicked, this,
            [this] { runGuarded([this] { Button2Click(); }); });

    // Each label names its field to assistive technology (the captions carry no access key).
    Label1->setBuddy(RzComboBox1);
    Label3->setBuddy(RzSpinEdit1);
    Label4->setBuddy(RzSpinEdit2);
    Label5->setBuddy(RzSpinEdit3);
    for (SpinEdit* field : {RzSpinEdit1, RzSpinEdit2, RzSpinEdit3}) {
        field->setAccessibleDescription(Label2->text()); // the heading over the three fields
    }

    setTabOrder(RzSpinEdit1, RzSpinEdit2);
    setTabOrder(RzSpinEdit2, RzSpinEdit3);
    setTabOrder(RzSpinEdit3, RzComboBox1);
    setTabOrder(RzComboBox1, Button1);
    setTabOrder(Button1, Button2);
    RzSpinEdit1->setFocus();
}

void Tabzac::Button1Click() {
    if (formatter_ != nullptr) {
        formatter_->applyDialog(RzComboBox1->currentIndex(), RzSpinEdit1->text(),
                                RzSpinEdit2->text(), RzSpinEdit3->text());
    }
    accept();
}

void Tabzac::Button2Click() {
    reject();
}

void Tabzac::execute(QWidget* owner, ParaFormatter& formatter) {
    if (abzac == nullptr) {
        abzac = new Tabzac(owner);
    }
    abzac->setParaFormatter(&formatter);
    abzac->exec();
}

void Tabzac::setVisible(bool visible) {
    if (visible && !placed_ && parentWidget() != nullptr) {
        placed_ = true;
        FramePlacement::centreOver(this, parentWidget()->window());
    }
    QDialog::setVisible(visible);
}

void Tabzac::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void Tabzac::hideEvent(QHideEvent* event) {
    // An explicit position: the next showing keeps it instead of centring over the owner again.
    if (!event->spontaneous()) {
        move(pos());
    }
    QDialog::hideEvent(event);
}
