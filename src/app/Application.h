#pragma once

#include <QApplication>
#include <QString>

class QMessageBox;

// The application object: takes its title from the executable's name, shows every error that a
// handler raises in the error box, and catches what would otherwise escape the event loop.
class Application : public QApplication {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Application)
public:
    Application(int& argc, char** argv);
    ~Application() override;

    // The title for an executable: its file name without the folder, cut at the first ".", the
    // first character kept as it is and every later one in lower case ("/usr/bin/zelto" gives
    // "zelto", "/opt/ZELTO.EXE" gives "Zelto").
    static QString titleFor(const QString& executablePath);
    // The title of the running program (set when an Application exists, else from the
    // executable's path).
    static QString title();

    // Builds the error box for message: the text with the final-period rule, the title as
    // caption, the stop icon, one "OK" button, modal to the whole application.
    static QMessageBox* createErrorBox(const QString& message, QWidget* parent = nullptr);
    // Shows the error box and waits until it is closed.
    static void showErrorBox(const QString& message);
    // Makes runGuarded report errors in the error box.
    static void installErrorBox();

    // Delivers events; an exception that escaped every handler is shown like any other error
    // instead of ending the program.
    bool notify(QObject* receiver, QEvent* event) override;
};
