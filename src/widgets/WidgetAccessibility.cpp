#include "WidgetAccessibility.h"

#include "ColorAccessible.h"
#include "ColorEdit.h"
#include "ColorGrid.h"

#include <QAccessibleWidget>
#include <QFrame>

namespace {

QAccessibleInterface* factory(const QString& className, QObject* object) {
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("ColorEdit")) {
        return new ColorEditAccessible(static_cast<ColorEdit*>(widget));
    }
    if (className == QLatin1String("ColorGrid")) {
        return new ColorGridAccessible(static_cast<ColorGrid*>(widget));
    }
    if (className == QLatin1String("FlatToolbar")) {
        return new QAccessibleWidget(widget, QAccessible::ToolBar);
    }
    if (className == QLatin1String("Spacer")) {
        return new QAccessibleWidget(widget, QAccessible::Separator);
    }
    // A plain frame drawn as a line (a bevel) rules off a dialog's parts.
    if (className == QLatin1String("QFrame")) {
        const QFrame::Shape shape = static_cast<QFrame*>(widget)->frameShape();
        if (shape == QFrame::HLine || shape == QFrame::VLine) {
            return new QAccessibleWidget(widget, QAccessible::Separator);
        }
    }
    return nullptr;
}

} // namespace

void WidgetAccessibility::install() {
    QAccessible::installFactory(&factory); // Qt keeps one of each factory
}
