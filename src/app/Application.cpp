#include "Application.h"

#include "Errors.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace {
QString& currentTitle() {
    static QString title;
    return title;
}
} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    currentTitle() = titleFor(applicationFilePath());
    installErrorBox();
}

Application::~Application() = default;

QString Application::titleFor(const QString& executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        name.truncate(dot);
    }
    if (name.isEmpty()) {
        return name;
    }
    // The first character stays as it is; the rest is lower-cased.
    return name.left(1) + name.mid(1).toLower();
}

QString Application::title() {
    if (currentTitle().isEmpty() && QCoreApplication::instance() != nullptr) {
        currentTitle() = titleFor(QCoreApplication::applicationFilePath());
    }
    return currentTitle();
}

QMessageBox* Application::createErrorBox(const QString& message, QWidget* parent) {
    auto* box = new QMessageBox(QMessageBox::Critical, title(), errorBoxText(message),
                                QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("ErrorBox"));
    box->setWindowModality(Qt::ApplicationModal);
    // The box's texts are English whatever translation the standard dialogs use.
    box->button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Ok);
    return box;
}

void Application::showErrorBox(const QString& message) {
    // A control that holds the mouse lets go of it, as a cancelled drag would.
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
    // Owned by no window, so that it disables every window of the application; the previously
    // active window gets the focus back when it closes.
    const QPointer<QWidget> previous = QApplication::activeWindow();
    const std::unique_ptr<QMessageBox> box(createErrorBox(message));
    box->exec();
    if (!previous.isNull()) {
        previous->activateWindow();
    }
}

void Application::installErrorBox() {
    setErrorReporter(&Application::showErrorBox);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    // One pointer-sized capture, so that wrapping every event costs no allocation.
    struct Delivery {
        QObject* receiver;
        QEvent* event;
        bool result;
    } delivery{receiver, event, false};
    runGuarded([this, &delivery] {
        delivery.result = QApplication::notify(delivery.receiver, delivery.event);
    });
    return delivery.result;
}
