#include "MessageDialog.h"

#include "FramePlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace {

int slotOf(MsgDlgButton which) {
    switch (which) {
    case mbYes:
        return 0;
    case mbNo:
        return 1;
    case mbOK:
        return 2;
    case mbCancel:
        return 3;
    case mbDefaultCancel:
        break;
    }
    return 0;
}

QStyle::StandardPixmap iconFor(MsgDlgType type) {
    switch (type) {
    case MsgDlgType::Warning:
        return QStyle::SP_MessageBoxWarning;
    case MsgDlgType::Error:
        return QStyle::SP_MessageBoxCritical;
    case MsgDlgType::Information:
        return QStyle::SP_MessageBoxInformation;
    case MsgDlgType::Confirmation:
        return QStyle::SP_MessageBoxQuestion;
    }
    return QStyle::SP_MessageBoxInformation;
}

} // namespace

MessageDialog::MessageDialog(const QString& text, MsgDlgType type, int buttons, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("MessageDialog"));
    setWindowTitle(captionFor(type));
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) |
                   Qt::MSWindowsFixedSizeDialogHint);

    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(iconFor(type), nullptr, this).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop);
    auto* message = new QLabel(text, this);
    message->setObjectName(QStringLiteral("Message"));
    message->setWordWrap(true);
    message->setTextFormat(Qt::PlainText);
    message->setMaximumWidth(480);
    // A short message stays on one line; a long one wraps at a readable width.
    message->setMinimumWidth(std::min(message->fontMetrics().horizontalAdvance(text) + 2, 360));

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(message, 1, Qt::AlignVCenter);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Buttons stand in this order whatever order the set names them.
    addButton(buttons, mbYes, QStringLiteral("&Yes"), mrYes);
    addButton(buttons, mbNo, QStringLiteral("&No"), mrNo);
    addButton(buttons, mbOK, QStringLiteral("OK"), mrOk);
    addButton(buttons, mbCancel, QStringLiteral("Cancel"), mrCancel);
    for (QPushButton* b : buttons_) {
        if (b != nullptr) {
            row->addWidget(b);
        }
    }
    row->addStretch(1);

    QPushButton* def = button(mbOK) != nullptr ? button(mbOK) : button(mbYes);
    if ((buttons & mbDefaultCancel) != 0 && button(mbCancel) != nullptr) {
        def = button(mbCancel);
    }
    if (def != nullptr) {
        def->setDefault(true);
        def->setFocus();
    }
    for (MsgDlgButton which : {mbCancel, mbNo, mbOK}) {
        if (button(which) != nullptr) {
            escapeButton_ = button(which);
            break;
        }
    }
}

QString MessageDialog::captionFor(MsgDlgType type) {
    switch (type) {
    case MsgDlgType::Warning:
        return QStringLiteral("Warning");
    case MsgDlgType::Error:
        return QStringLiteral("Error");
    case MsgDlgType::Information:
        return QStringLiteral("Information");
    case MsgDlgType::Confirmation:
        return QStringLiteral("Confirm");
    }
    return {};
}

void MessageDialog::addButton(int buttons, MsgDlgButton which, const QString& caption, int answer) {
    if ((buttons & which) == 0) {
        return;
    }
    auto* b = new QPushButton(caption, this);
    b->setAutoDefault(false);
    b->setMinimumWidth(75);
    connect(b, &QPushButton::clicked, this, [this, answer] { done(answer); });
    buttons_[slotOf(which)] = b;
}

QPushButton* MessageDialog::button(MsgDlgButton which) const {
    return buttons_[slotOf(which)];
}

void MessageDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (escapeButton_ != nullptr) {
            escapeButton_->click();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MessageDialog::closeEvent(QCloseEvent* event) {
    // The title-bar close box answers Cancel whatever buttons the dialog shows.
    setResult(mrCancel);
    event->accept();
    done(mrCancel);
}

QPoint centeredPosition(const QRect& form, const QSize& dialog) {
    return FramePlacement::centredOver(form, dialog, FramePlacement::Halving::EachSize);
}

int CenteredMessage(const QString& text, MsgDlgType type, int buttons, const QString& caption) {
    QApplication::beep();
    QWidget* active = QApplication::activeWindow();
    MessageDialog dialog(text, type, buttons, active);
    if (!caption.isEmpty()) {
        dialog.setWindowTitle(caption);
    }
    dialog.adjustSize();
    QRect over;
    if (active != nullptr) {
        over = active->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        over = screen->availableGeometry();
    }
    if (over.isValid()) {
        FramePlacement::place(&dialog, active,
                              [over](const QSize& outer) { return centeredPosition(over, outer); });
    }
    return dialog.exec();
}
