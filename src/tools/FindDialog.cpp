#include "FindDialog.h"

#include "FramePlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Half the dialog's outer size: the position formula centres a dialog of 374 by 134 pixels.
constexpr int kHalfWidth = 187;
constexpr int kHalfHeight = 67;
// Of the outer height, what the title bar takes: the rest is the dialog's own.
constexpr int kTitleBarHeight = 30;

} // namespace

FindDialog::FindDialog(QWidget* parent)
    : QDialog(parent), edit_(new QLineEdit(this)),
      matchCase_(new QCheckBox(QStringLiteral("С учётом регистра"), this)),
      findNext_(new QPushButton(QStringLiteral("Найти далее"), this)),
      cancel_(new QPushButton(QStringLiteral("Отмена"), this)) {
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("Найти"));
    setModal(false);
    setSizeGripEnabled(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* label = new QLabel(QStringLiteral("Что:"), this);
    label->setBuddy(edit_);
    edit_->setMaxLength(kMaxFindText);
    findNext_->setDefault(true);
    findNext_->setAutoDefault(true);
    // A focused button takes Enter, as buttons of the platform's dialogs do.
    cancel_->setAutoDefault(true);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setHorizontalSpacing(8);
    grid->addWidget(label, 0, 0);
    grid->addWidget(edit_, 0, 1);
    grid->addWidget(matchCase_, 1, 0, 1, 2, Qt::AlignLeft | Qt::AlignBottom);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNext_);
    buttons->addWidget(cancel_);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    setFixedSize(2 * kHalfWidth, 2 * kHalfHeight - kTitleBarHeight);

    connect(findNext_, &QPushButton::clicked, this, &FindDialog::requestFind);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void FindDialog::execute(const QString& findText) {
    QWidget* over = QApplication::activeWindow();
    if (over == nullptr || over == this) {
        over = parentWidget();
    }
    setFindText(findText);
    if (over != nullptr) {
        setPosition(positionOver(over->frameGeometry()));
    }
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    showOver(over);
}

void FindDialog::showOver(const QWidget* over) {
    edit_->setText(findText_);
    edit_->selectAll();
    centreOn(over);
    if (position_ != kNoPosition) {
        move(position_);
    }
    show();
    raise();
    activateWindow();
    edit_->setFocus(Qt::OtherFocusReason);
}

void FindDialog::centreOn(const QWidget* over) {
    // Horizontally in the middle of the screen of the active window, vertically with a third of
    // the free height above.
    const QScreen* screen = over != nullptr ? over->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = frameGeometry().size();
    move(area.left() + (area.width() - size.width()) / 2,
         area.top() + (area.height() - size.height()) / 3);
}

QString FindDialog::findText() const {
    return findText_;
}

void FindDialog::setFindText(const QString& text) {
    findText_ = text.left(kMaxFindText);
}

bool FindDialog::matchCase() const {
    return matchCase_->isChecked();
}

void FindDialog::setMatchCase(bool on) {
    matchCase_->setChecked(on);
}

void FindDialog::setPosition(const QPoint& position) {
    if (position == position_) {
        return;
    }
    position_ = position;
    if (isVisible()) {
        move(position_);
    }
}

QPoint FindDialog::positionOver(const QRect& frame) {
    return FramePlacement::centredOver(frame, QSize(2 * kHalfWidth, 2 * kHalfHeight),
                                       FramePlacement::Halving::EachSize);
}

void FindDialog::requestFind() {
    findText_ = edit_->text();
    emit find();
}

void FindDialog::done(int result) {
    // Closing by any way (cancel, Escape, the close box) keeps where the user left the dialog.
    if (isVisible()) {
        findText_ = edit_->text();
        position_ = pos();
    }
    QDialog::done(result);
}
