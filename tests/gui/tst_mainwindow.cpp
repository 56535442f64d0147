#include "CancellingPrompts.h"
#include "ColorEdit.h"
#include "ErrorCapture.h"
#include "Errors.h"
#include "FindDialog.h"
#include "FlatToolbar.h"
#include "FontComboBox.h"
#include "MainWindowFixture.h"
#include "Prompts.h"
#include "RichEdit.h"
#include "TForm1.h"
#include "TForm3.h"
#include "TabStops.h"
#include "Tabzac.h"
#include "ToolButton.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <memory>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsMaximisedWithRestoredGeometry();
    void toolbarOrderAndPlacement_data();
    void toolbarOrderAndPlacement();
    void narrowingWrapsTheToolbar();
    void shortcutRunsItsHandlerOnce_data();
    void shortcutRunsItsHandlerOnce();
    void shortcutKeyNeverReachesTheSizeBox_data();
    void shortcutKeyNeverReachesTheSizeBox();
    void menuEntriesShowShortcutTexts_data();
    void menuEntriesShowShortcutTexts();
    void everyEntryAndButtonRunsItsHandler_data();
    void everyEntryAndButtonRunsItsHandler();
    void tabInsertsTabAndKeepsFocus();
    void rightClickOpensTheContextMenu();
    void toolButtonsNeverTakeFocus();
    void statusBarsStayEmpty();

private:
    QWidget* focusTarget(const QString& name) const;
    // Presses keys as the platform delivers them: through the window, so that the focused control
    // is asked first (ShortcutOverride) and the shortcut map decides.
    void pressKeys(const QKeySequence& keys) const;

    // Cancels every dialog and counts those asked for.
    struct CountingPrompts : CancellingPrompts {
        int dialogs = 0;
        bool runOpenDialog(FileDialogState&) override { return ++dialogs < 0; }
        bool runSaveDialog(FileDialogState&) override { return ++dialogs < 0; }
        bool runFontDialog(TextFont&) override { return ++dialogs < 0; }
    };

    CountingPrompts prompts_;
    MainWindowFixture form_;
    QStringList errors_;
    ErrorCapture capture_{errors_}; // for the whole run; init empties errors_
};

void TestMainWindow::init() {
    errors_.clear();
    prompts_.dialogs = 0;
    abzac = new Tabzac(&form_.create(prompts_));
    QVERIFY(form_.show(MainWindowFixture::Shown::Maximised));
}

void TestMainWindow::cleanup() {
    form_.reset(); // with the paragraph dialog, which unregisters itself
    QCOMPARE(errors_, QStringList());
}

QWidget* TestMainWindow::focusTarget(const QString& name) const {
    if (name == QLatin1String("editor")) {
        return form_->RichEdit1->widget();
    }
    if (name == QLatin1String("size box")) {
        return form_->sizeFont->lineEdit();
    }
    return form_->RzFontComboBox1;
}

void TestMainWindow::pressKeys(const QKeySequence& keys) const {
    const QKeyCombination combination = keys[0];
    QTest::keyClick(form_->windowHandle(), combination.key(), combination.keyboardModifiers());
}

void TestMainWindow::startsMaximisedWithRestoredGeometry() {
    QVERIFY(form_->RichEdit1->widget()->hasFocus());
    QVERIFY(form_->isMaximized());
    QCOMPARE(form_->normalGeometry().size(), QSize(798, 480));
    QCOMPARE(form_->normalGeometry().topLeft(), QPoint(211, 141));
    // Restored, the outer frame has that geometry (no frame offscreen: the client area too).
    form_->showNormal();
    QTRY_COMPARE(form_->frameGeometry(), QRect(211, 141, 798, 480));
}

void TestMainWindow::toolbarOrderAndPlacement_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    const struct {
        const char* name;
        int left;
        int top;
    } rows[] = {
        {"RzToolButton1", 4, 2},    {"RzToolButton2", 29, 2},    {"RzToolButton3", 54, 2},
        {"RzToolButton5", 79, 2},   {"RzSpacer1", 104, 2},       {"RzToolButton6", 112, 2},
        {"RzToolButton7", 137, 2},  {"RzToolButton8", 162, 2},   {"RzSpacer2", 187, 2},
        {"Label1", 195, 5},         {"RzFontComboBox1", 255, 3}, {"Label2", 400, 5},
        {"sizeFont", 459, 4},       {"RzSpacer3", 512, 2},       {"RzToolButton9", 520, 2},
        {"RzToolButton11", 545, 2}, {"RzToolButton10", 570, 2},  {"RzSpacer4", 595, 2},
        {"RzToolButton12", 603, 2}, {"RzSpacer5", 628, 2},       {"Label3", 636, 5},
        {"RzColorEdit1", 677, 4},
    };
    int index = 0;
    for (const auto& row : rows) {
        QTest::addRow("%d %s", index++, row.name)
            << QString::fromLatin1(row.name) << row.left << row.top;
    }
}

void TestMainWindow::toolbarOrderAndPlacement() {
    QFETCH(QString, name);
    QFETCH(int, left);
    QFETCH(int, top);
    form_->showNormal();
    form_->resize(1000, 600);
    QTRY_COMPARE(form_->RzToolbar1->height(), 29);
    const QList<QWidget*>& controls = form_->RzToolbar1->controls();
    QCOMPARE(controls.size(), 22);
    const QString index =
        QString::fromLatin1(QTest::currentDataTag()).section(QLatin1Char(' '), 0, 0);
    QWidget* control = controls.at(index.toInt());
    QCOMPARE(control->objectName(), name);
    QCOMPARE(control->pos(), QPoint(left, top));
}

void TestMainWindow::narrowingWrapsTheToolbar() {
    form_->showNormal();
    form_->resize(1000, 600);
    QTRY_COMPARE(form_->RzToolbar1->height(), 29);
    QTextEdit* editor = form_->RichEdit1->widget();
    const int editorHeight = editor->height();

    // The colour edit ends at 733: at a toolbar width of 736 it passes width - 4 and wraps alone.
    form_->resize(736, 600);
    QTRY_COMPARE(form_->RzToolbar1->width(), 736);
    QTRY_COMPARE(form_->RzToolbar1->height(), 54);
    QCOMPARE(form_->RzColorEdit1->pos(), QPoint(4, 29));
    QCOMPARE(form_->Label3->pos(), QPoint(636, 5));
    QTRY_COMPARE(editor->height(), editorHeight - 25);
    QCOMPARE(editor->y(), form_->RzToolbar1->geometry().bottom() + 1);

    form_->resize(737, 600);
    QTRY_COMPARE(form_->RzToolbar1->height(), 29);
    QTRY_COMPARE(editor->height(), editorHeight);
}

void TestMainWindow::shortcutRunsItsHandlerOnce_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<QString>("focus");
    const struct {
        QKeyCombination keys;
        const char* handler;
    } shortcuts[] = {
        {Qt::CTRL | Qt::Key_N, "N5Click"},         {Qt::CTRL | Qt::Key_O, "N6Click"},
        {Qt::CTRL | Qt::Key_S, "N7Click"},         {Qt::CTRL | Qt::Key_Z, "N18Click"},
        {Qt::CTRL | Qt::Key_X, "N21Click"},        {Qt::CTRL | Qt::Key_C, "N22Click"},
        {Qt::CTRL | Qt::Key_V, "N23Click"},        {Qt::CTRL | Qt::Key_A, "N24Click"},
        {Qt::CTRL | Qt::Key_F, "N26Click"},        {Qt::SHIFT | Qt::CTRL | Qt::Key_O, "N27Click"},
        {QKeyCombination(Qt::Key_F5), "N28Click"}, {Qt::ALT | Qt::Key_X, "N10Click"},
    };
    for (const char* focus : {"editor", "size box", "font box"}) {
        for (const auto& shortcut : shortcuts) {
            QTest::addRow("%s in %s", shortcut.handler, focus)
                << QKeySequence(shortcut.keys) << QString::fromLatin1(shortcut.handler)
                << QString::fromLatin1(focus);
        }
    }
}

void TestMainWindow::shortcutRunsItsHandlerOnce() {
    QFETCH(QKeySequence, keys);
    QFETCH(QString, handler);
    QFETCH(QString, focus);
    QWidget* target = focusTarget(focus);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    // The menu bar's entry of the handler holds the shortcut: it, and nothing else, fires once.
    const QString entry = handler.chopped(int(qstrlen("Click")));
    QStringList triggered;
    for (QAction* action : form_->findChildren<QAction*>()) {
        connect(action, &QAction::triggered, form_.get(),
                [&triggered, action] { triggered.append(action->objectName()); });
    }
    pressKeys(keys);
    QCOMPARE(triggered, QStringList{entry});
}

void TestMainWindow::shortcutKeyNeverReachesTheSizeBox_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("select all") << QKeySequence(Qt::CTRL | Qt::Key_A);
    QTest::newRow("paste") << QKeySequence(Qt::CTRL | Qt::Key_V);
    QTest::newRow("cut") << QKeySequence(Qt::CTRL | Qt::Key_X);
    QTest::newRow("undo") << QKeySequence(Qt::CTRL | Qt::Key_Z);
}

void TestMainWindow::shortcutKeyNeverReachesTheSizeBox() {
    QFETCH(QKeySequence, keys);
    QLineEdit* box = form_->sizeFont->lineEdit();
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, QStringLiteral("2"));
    box->setSelection(0, 1);
    QApplication::clipboard()->setText(QStringLiteral("36"));
    pressKeys(keys);
    QCOMPARE(box->text(), QStringLiteral("82"));
    QCOMPARE(box->selectedText(), QStringLiteral("8"));
}

void TestMainWindow::menuEntriesShowShortcutTexts_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ownsShortcut");
    QTest::newRow("new") << "N5"
                         << "Новый\tCtrl+N" << true;
    QTest::newRow("exit") << "N10"
                          << "Выход\tAlt+X" << true;
    QTest::newRow("clear") << "N27"
                           << "Очистить\tShift+Ctrl+O" << true;
    QTest::newRow("stamp") << "N28"
                           << "Время и дата\tF5" << true;
    QTest::newRow("font") << "N16"
                          << "Шрифт..." << false;
    QTest::newRow("popup undo") << "N11"
                                << "Отменить\tCtrl+Z" << false;
    QTest::newRow("popup clear") << "N31"
                                 << "Очистить\tShift+Ctrl+O" << false;
    QTest::newRow("popup stamp") << "N32"
                                 << "Вермя и дата\tF5" << false;
}

void TestMainWindow::menuEntriesShowShortcutTexts() {
    QFETCH(QString, entry);
    QFETCH(QString, text);
    QFETCH(bool, ownsShortcut);
    auto* action = form_->findChild<QAction*>(entry);
    QVERIFY(action != nullptr);
    QCOMPARE(action->text(), text);
    // Only the menu bar's entry holds the key; a second holder would make it ambiguous.
    QCOMPARE(!action->shortcut().isEmpty(), ownsShortcut);
}

void TestMainWindow::everyEntryAndButtonRunsItsHandler_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("handler");
    const char* const rows[][2] = {
        {"N5", "N5Click"},
        {"N6", "N6Click"},
        {"N7", "N7Click"},
        {"N18", "N18Click"},
        {"N21", "N21Click"},
        {"N22", "N22Click"},
        {"N23", "N23Click"},
        {"N24", "N24Click"},
        {"N26", "N26Click"},
        {"N27", "N27Click"},
        {"N28", "N28Click"},
        {"N16", "N16Click"},
        {"N17", "N17Click"},
        {"N4", "N4Click"},
        {"N34", "N34Click"},
        {"N11", "N18Click"},
        {"N15", "N21Click"},
        {"N13", "N22Click"},
        {"N19", "N23Click"},
        {"N29", "N24Click"},
        {"N31", "N27Click"},
        {"N32", "N28Click"},
        {"N33", "N16Click"},
        {"RzToolButton1", "N5Click"},
        {"RzToolButton2", "N6Click"},
        {"RzToolButton3", "N7Click"},
        {"RzToolButton6", "RzToolButton6Click"},
        {"RzToolButton7", "RzToolButton7Click"},
        {"RzToolButton8", "RzToolButton8Click"},
        {"RzToolButton9", "RzToolButton9Click"},
        {"RzToolButton11", "RzToolButton11Click"},
        {"RzToolButton10", "RzToolButton10Click"},
        {"RzToolButton12", "RzToolButton12Click"},
    };
    for (const auto& row : rows) {
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
    }
}

void TestMainWindow::everyEntryAndButtonRunsItsHandler() {
    QFETCH(QString, control);
    QFETCH(QString, handler);
    RichEdit& edit = *form_->RichEdit1;
    edit.setText(QStringLiteral("ab  cd"));
    edit.selectAll();
    edit.setParaAlignment(ParaAlignment::Center);
    edit.setModified(false);
    QApplication::clipboard()->setText(QStringLiteral("xy"));
    const QString before = edit.text();

    // A handler that opens a modal dialog gets it cancelled at once; its class is noted.
    QStringList modals;
    QTimer canceller;
    connect(&canceller, &QTimer::timeout, [&modals] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            modals.append(QString::fromLatin1(dialog->metaObject()->className()));
            dialog->reject();
        }
    });
    canceller.start(20);
    if (auto* action = form_->findChild<QAction*>(control)) {
        action->trigger();
    } else {
        auto* button = form_->findChild<ToolButton*>(control);
        QVERIFY(button != nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    canceller.stop();

    const QString text = edit.text();
    const int dialogs = prompts_.dialogs;
    const FontStyles styles = edit.selStyles();
    if (handler == "N5Click" || handler == "N27Click") { // New, Clear
        QCOMPARE(text, QString());
    } else if (handler == "N6Click" || handler == "N7Click" || handler == "N16Click") {
        QCOMPARE(dialogs, 1); // the open, save or font dialog, once
        QCOMPARE(text, before);
    } else if (handler == "N18Click") { // Undo: the alignment goes
        QCOMPARE(edit.paraAlignment(), ParaAlignment::Left);
    } else if (handler == "N21Click") { // Cut
        QCOMPARE(text, QString());
        QCOMPARE(QApplication::clipboard()->text(), before);
    } else if (handler == "N22Click") { // Copy
        QCOMPARE(text, before);
        QCOMPARE(QApplication::clipboard()->text(), before);
    } else if (handler == "N23Click") { // Paste, once
        QCOMPARE(text, QStringLiteral("xy"));
    } else if (handler == "N24Click") { // Select all
        edit.setSelStart(2);
        form_->findChild<QAction*>(control)->trigger();
        QCOMPARE(edit.selStart(), Position(0));
        QCOMPARE(edit.selLength(), 6);
    } else if (handler == "N26Click") {
        QVERIFY(form_->FindDialog1->isVisible());
        form_->FindDialog1->hide();
    } else if (handler == "N28Click") { // the stamp, once
        QCOMPARE(text.count(QStringLiteral(" год. Время - ")), 1);
    } else if (handler == "N17Click") {
        QCOMPARE(modals, QStringList{QStringLiteral("Tabzac")});
    } else if (handler == "N34Click") {
        QCOMPARE(modals, QStringList{QStringLiteral("TForm3")});
    } else if (handler == "N4Click") {
        QCOMPARE(text, QStringLiteral("ab cd"));
    } else if (handler == "RzToolButton6Click") {
        QCOMPARE(edit.paraAlignment(), ParaAlignment::Left);
    } else if (handler == "RzToolButton7Click") {
        edit.setParaAlignment(ParaAlignment::Right);
        QTest::mouseClick(form_->RzToolButton7, Qt::LeftButton);
        QCOMPARE(edit.paraAlignment(), ParaAlignment::Center);
    } else if (handler == "RzToolButton8Click") {
        QCOMPARE(edit.paraAlignment(), ParaAlignment::Right);
    } else if (handler == "RzToolButton9Click") { // a style toggled once
        QCOMPARE(int(styles), int(fsBold));
    } else if (handler == "RzToolButton10Click") {
        QCOMPARE(int(styles), int(fsItalic));
    } else if (handler == "RzToolButton11Click") {
        QCOMPARE(int(styles), int(fsUnderline));
    } else if (handler == "RzToolButton12Click") {
        QCOMPARE(edit.paraNumbering(), ParaNumbering::Bullet);
    } else {
        QFAIL("no effect known for this handler");
    }
    if (handler != "N6Click" && handler != "N7Click" && handler != "N16Click") {
        QCOMPARE(dialogs, 0);
    }
    if (handler != "N17Click" && handler != "N34Click") {
        QCOMPARE(modals, QStringList());
    }
}

void TestMainWindow::tabInsertsTabAndKeepsFocus() {
    QTextEdit* editor = form_->RichEdit1->widget();
    QTest::keyClicks(editor, QStringLiteral("a"));
    QTest::keyClick(form_->windowHandle(), Qt::Key_Tab);
    QTest::keyClicks(editor, QStringLiteral("b"));
    QTest::keyClick(form_->windowHandle(), Qt::Key_Tab);
    QTest::keyClick(form_->windowHandle(), Qt::Key_Tab);
    QCOMPARE(form_->RichEdit1->text(), QStringLiteral("a\tb\t\t"));
    QVERIFY(editor->hasFocus());

    // Each tab advances to the next stop of FormCreate's arithmetic.
    const int baseUnit = QFontMetrics(QApplication::font()).averageCharWidth();
    const QList<qreal> stops = tabStopPixels(baseUnit);
    QCOMPARE(form_->RichEdit1->document()->defaultTextOption().tabs().size(), 5);
    const QTextLayout* layout = form_->RichEdit1->document()->firstBlock().layout();
    QVERIFY(layout->lineCount() > 0);
    const QTextLine line = layout->lineAt(0);
    // Stops count from the text's left edge, which the document margin moves right.
    QCOMPARE(qRound(line.cursorToX(2) - line.x()), qRound(stops[0]));
    QCOMPARE(qRound(line.cursorToX(4) - line.x()), qRound(stops[1]));
    QCOMPARE(qRound(line.cursorToX(5) - line.x()), qRound(stops[2]));

    // Past the five, a stop every half inch, as word processors have them.
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(form_->windowHandle(), Qt::Key_Tab);
    }
    const qreal halfInch = 720 * form_->RichEdit1->pixelsPerTwip();
    const qreal pastFive = (std::floor(stops[4] / halfInch) + 1) * halfInch;
    QCOMPARE(qRound(line.cursorToX(8) - line.x()), qRound(pastFive));

    // A hanging first line has a stop where the later lines start.
    const qreal hanging = (stops[0] + stops[1]) / 2;
    form_->RichEdit1->setParaOffset(qRound(hanging / form_->RichEdit1->pixelsPerTwip()));
    const QTextLine first = form_->RichEdit1->document()->firstBlock().layout()->lineAt(0);
    QCOMPARE(qRound(first.cursorToX(4) - first.x()), qRound(hanging));
}

void TestMainWindow::rightClickOpensTheContextMenu() {
    QWidget* viewport = form_->RichEdit1->widget()->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                            viewport->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendEvent(viewport, &event);
    QTRY_VERIFY(form_->PopupMenu1->isVisible());
    QCOMPARE(form_->PopupMenu1->pos(), viewport->mapToGlobal(QPoint(20, 20)));
    form_->PopupMenu1->hide();
}

void TestMainWindow::toolButtonsNeverTakeFocus() {
    QTextEdit* editor = form_->RichEdit1->widget();
    QTest::mouseClick(form_->RzToolButton6, Qt::LeftButton);
    QVERIFY(editor->hasFocus());
    for (QWidget* control : form_->RzToolbar1->controls()) {
        if (qobject_cast<QToolButton*>(control) != nullptr) {
            QCOMPARE(control->focusPolicy(), Qt::NoFocus);
        }
    }
}

void TestMainWindow::statusBarsStayEmpty() {
    QTest::keyClicks(form_->RichEdit1->widget(), QStringLiteral("text"));
    pressKeys(QKeySequence(Qt::CTRL | Qt::Key_A));
    QCOMPARE(form_->StatusBar1->currentMessage(), QString());
    QCOMPARE(form_->RzStatusBar1->currentMessage(), QString());
    QCOMPARE(form_->RzStatusPane1->text(), QString());
    QCOMPARE(form_->StatusBar1->height(), 19);
    QCOMPARE(form_->RzStatusBar1->height(), 19);
    QCOMPARE(form_->RzStatusBar1->geometry().bottom(), form_->centralWidget()->height() - 1);
    if (!qEnvironmentVariableIsEmpty("ZELTO_SCREENSHOT")) {
        form_->grab().save(qEnvironmentVariable("ZELTO_SCREENSHOT"));
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
