#include "AppIcon.h"

#include <QGuiApplication>

QIcon applicationIcon() {
    // The resource lives in a static library: register it explicitly, or the linker drops it.
    Q_INIT_RESOURCE(icons);
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 96, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/zelto-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

void installApplicationIcon() {
    QGuiApplication::setWindowIcon(applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.zelto"));
}
