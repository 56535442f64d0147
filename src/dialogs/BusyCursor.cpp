#include "BusyCursor.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>

namespace {

int depth = 0; // BusyCursor objects alive

} // namespace

BusyCursor::BusyCursor() : outermost_(depth++ == 0) {
    if (!outermost_) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

BusyCursor::~BusyCursor() {
    --depth;
    if (outermost_ && dialogs_.isEmpty()) {
        QApplication::restoreOverrideCursor();
    }
}

bool BusyCursor::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide) && qobject_cast<QDialog*>(watched)) {
        if (type == QEvent::Show && !dialogs_.contains(watched)) {
            if (dialogs_.isEmpty()) {
                QApplication::restoreOverrideCursor();
            }
            dialogs_.insert(watched);
        } else if (type == QEvent::Hide && dialogs_.remove(watched) && dialogs_.isEmpty()) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
    return QObject::eventFilter(watched, event);
}
