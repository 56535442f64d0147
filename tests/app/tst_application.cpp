#include "Application.h"
#include "CommandLine.h"
#include "ErrorCapture.h"
#include "Errors.h"
#include "Shortcuts.h"
#include "TabStops.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace {

// Throws from its event handler, as a faulty handler connected outside runGuarded would.
class ThrowingObject : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            throw Error(QStringLiteral("escaped"));
        }
        return QObject::event(event);
    }
};

struct ShownBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    Qt::WindowModality modality = Qt::NonModal;
};

} // namespace

class TestApplication : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data();
    void commandLine();
    void titleFromExecutableName_data();
    void titleFromExecutableName();
    void runningTitleComesFromThisExecutable();
    void shortcutTexts_data();
    void shortcutTexts();
    void tabStops_data();
    void tabStops();
    void errorBoxShowsMessageWithPeriod_data();
    void errorBoxShowsMessageWithPeriod();
    void silentAbortShowsNothing();
    void exceptionEscapingAHandlerIsShown();
};

void TestApplication::commandLine_data() {
    using Action = CommandLine::Action;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("file");
    QTest::newRow("nothing") << QStringList{"zelto"} << Action::Run << QString();
    QTest::newRow("a file, later ones ignored")
        << QStringList{"zelto", "a.txt", "b.txt"} << Action::Run << "a.txt";
    QTest::newRow("an empty name is none")
        << QStringList{"zelto", "", "b.txt"} << Action::Run << "b.txt";
    QTest::newRow("a lone dash is a name") << QStringList{"zelto", "-"} << Action::Run << "-";
    QTest::newRow("a dashed name after --")
        << QStringList{"zelto", "--", "-x.txt"} << Action::Run << "-x.txt";
    QTest::newRow("--help after -- is a name")
        << QStringList{"zelto", "--", "--help"} << Action::Run << "--help";
    QTest::newRow("help") << QStringList{"zelto", "--help"} << Action::Help << QString();
    QTest::newRow("help wins") << QStringList{"zelto", "-x", "a.txt", "-v", "-h"} << Action::Help
                               << "a.txt";
    QTest::newRow("version") << QStringList{"zelto", "a.txt", "-v"} << Action::Version << "a.txt";
    QTest::newRow("unknown option")
        << QStringList{"zelto", "--bogus", "a.txt"} << Action::Error << "a.txt";
}

void TestApplication::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QString, file);
    const CommandLine line = CommandLine::parse(arguments);
    QCOMPARE(line.action, action);
    QCOMPARE(line.file, file);
    if (action == CommandLine::Action::Error) {
        QVERIFY(line.message.contains(arguments.at(1)));
    }
}

void TestApplication::titleFromExecutableName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    const char* const rows[][3] = {
        {"plain", "/usr/bin/zelto", "zelto"},
        {"upper case with extension", "C:/Apps/ZELTO.EXE", "Zelto"},
        {"cut at the first dot", "/opt/my.editor.bin", "my"},
        {"first character kept", "/opt/zELTO", "zelto"},
        {"cyrillic", "/opt/РЕДАКТОР.exe", "Редактор"},
        {"one character", "/x/q", "q"},
        {"leading dot", "/x/.hidden", ""},
        {"no folder", "Zelto.App", "Zelto"},
    };
    for (const auto& row : rows) {
        QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]);
    }
}

void TestApplication::titleFromExecutableName() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(Application::titleFor(path), title);
}

void TestApplication::runningTitleComesFromThisExecutable() {
    QCOMPARE(Application::title(), QStringLiteral("tst_application"));
}

void TestApplication::shortcutTexts_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("text");
    QTest::newRow("ctrl letter") << QKeySequence(Qt::CTRL | Qt::Key_N) << "Ctrl+N";
    QTest::newRow("shift before ctrl")
        << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O) << "Shift+Ctrl+O";
    QTest::newRow("alt") << QKeySequence(Qt::ALT | Qt::Key_X) << "Alt+X";
    QTest::newRow("all three") << QKeySequence(Qt::ALT | Qt::CTRL | Qt::SHIFT | Qt::Key_A)
                               << "Shift+Ctrl+Alt+A";
    QTest::newRow("function key") << QKeySequence(Qt::Key_F5) << "F5";
    QTest::newRow("none") << QKeySequence() << "";
}

void TestApplication::shortcutTexts() {
    QFETCH(QKeySequence, keys);
    QFETCH(QString, text);
    QCOMPARE(shortcutText(keys), text);
}

void TestApplication::tabStops_data() {
    QTest::addColumn<int>("baseUnit");
    QTest::addColumn<QList<int>>("units");
    QTest::newRow("8") << 8 << QList<int>{10, 20, 30, 40, 50};
    QTest::newRow("7 truncates") << 7 << QList<int>{11, 22, 34, 45, 57};
    QTest::newRow("9 truncates") << 9 << QList<int>{8, 17, 26, 35, 44};
    QTest::newRow("zero gives none") << 0 << QList<int>{};
}

void TestApplication::tabStops() {
    QFETCH(int, baseUnit);
    QFETCH(QList<int>, units);
    QCOMPARE(tabStopDialogUnits(baseUnit), units);
    const QList<qreal> pixels = tabStopPixels(baseUnit);
    QCOMPARE(pixels.size(), units.size());
    for (qsizetype i = 0; i < units.size(); ++i) {
        QCOMPARE(pixels[i], units[i] * baseUnit / 4.0);
    }
}

void TestApplication::errorBoxShowsMessageWithPeriod_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "File not found"
                            << "File not found.";
    QTest::newRow("digit") << "I/O error 32"
                           << "I/O error 32.";
    QTest::newRow("colon") << "Reason:"
                           << "Reason:.";
    QTest::newRow("period") << "Done."
                            << "Done.";
    QTest::newRow("exclamation") << "Stop!"
                                 << "Stop!";
    QTest::newRow("space") << "Trailing "
                           << "Trailing ";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("quote of a number") << "'1x' is not a valid integer value"
                                       << "'1x' is not a valid integer value.";
}

void TestApplication::errorBoxShowsMessageWithPeriod() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    ShownBox box;
    int boxes = 0;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        ++boxes;
        box.text = dialog->text();
        box.title = dialog->windowTitle();
        box.icon = dialog->icon();
        box.modality = dialog->windowModality();
        for (QAbstractButton* button : dialog->buttons()) {
            box.buttons.append(button->text());
        }
        dialog->button(QMessageBox::Ok)->click();
    });
    runGuarded([&] { throw Error(message); });
    QCOMPARE(boxes, 1);
    QCOMPARE(box.text, shown);
    QCOMPARE(box.title, QStringLiteral("tst_application"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QStringList{QStringLiteral("OK")});
    QCOMPARE(box.modality, Qt::ApplicationModal);
}

void TestApplication::silentAbortShowsNothing() {
    bool boxShown = false;
    QTimer guard;
    connect(&guard, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            boxShown = true;
            modal->close();
        }
    });
    guard.start(10);
    runGuarded([] { throw SilentAbort(); });
    QTest::qWait(30);
    QVERIFY(!boxShown);
}

void TestApplication::exceptionEscapingAHandlerIsShown() {
    QStringList reported;
    {
        const ErrorCapture capture(reported);
        ThrowingObject object;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&object, &event);
    }
    QCOMPARE(reported, QStringList{QStringLiteral("escaped")});
}

// The real application object, so that its title, error box and event delivery are the ones
// under test.
int main(int argc, char* argv[]) {
    Application app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
