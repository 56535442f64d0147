#include "TForm1.h"

#include "BusyCursor.h"
#include "CharFormatter.h"
#include "ColorEdit.h"
#include "Document.h"
#include "Errors.h"
#include "FindDialog.h"
#include "Finder.h"
#include "FontComboBox.h"
#include "FramePlacement.h"
#include "ParaFormatter.h"
#include "RichEdit.h"
#include "Shortcuts.h"
#include "TabStops.h"
#include "TextCommands.h"
#include "ToolButton.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSessionManager>
#include <QShowEvent>
#include <QTextEdit>
#include <vector>

TForm1* Form1 = nullptr;

TForm1::TForm1(Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), RichEdit1(new RichEdit(this)) {
    setObjectName(QStringLiteral("Form1"));
    document_ = std::make_unique<Document>(*RichEdit1, prompts);
    finder_ = std::make_unique<Finder>(*RichEdit1, prompts);
    textCommands_ = std::make_unique<TextCommands>(*RichEdit1);
    charFormatter_ = std::make_unique<CharFormatter>(*RichEdit1, prompts);
    paraFormatter_ = std::make_unique<ParaFormatter>(*RichEdit1);

    buildLayout();
    charFormatter_->attachBoxes(RzFontComboBox1, sizeFont);
    connect(document_.get(), &Document::titleChanged, this, &QWidget::setWindowTitle);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &TForm1::commitData);
    bindCommands();
    bindBoxes();
    runGuarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

namespace {

// One row of the command table: the handler, its shortcut, the menu entries that call it (the
// menu bar's first; it alone holds the shortcut, the others only show its text) and the tool
// button that calls it. A shortcut of a handler that no menu entry calls is held by an action of
// the window alone, named after its button with "Key". The handler is named by its member alone,
// so no second name can disagree.
struct Command {
    void (TForm1::*method)();
    QKeySequence shortcut;
    std::vector<QAction * TForm1::*> entries;
    ToolButton* TForm1::*button = nullptr;
};

const std::vector<Command>& commandTable() {
    static const std::vector<Command> table = {
        {&TForm1::N5Click,
         QKeySequence(Qt::CTRL | Qt::Key_N),
         {&TForm1::N5},
         &TForm1::RzToolButton1},
        {&TForm1::N6Click,
         QKeySequence(Qt::CTRL | Qt::Key_O),
         {&TForm1::N6},
         &TForm1::RzToolButton2},
        {&TForm1::N7Click,
         QKeySequence(Qt::CTRL | Qt::Key_S),
         {&TForm1::N7},
         &TForm1::RzToolButton3},
        {&TForm1::N10Click,
         QKeySequence(Qt::ALT | Qt::Key_X),
         {&TForm1::N10},
         &TForm1::RzToolButton5},
        {&TForm1::N18Click, QKeySequence(Qt::CTRL | Qt::Key_Z), {&TForm1::N18, &TForm1::N11}},
        {&TForm1::N21Click, QKeySequence(Qt::CTRL | Qt::Key_X), {&TForm1::N21, &TForm1::N15}},
        {&TForm1::N22Click, QKeySequence(Qt::CTRL | Qt::Key_C), {&TForm1::N22, &TForm1::N13}},
        {&TForm1::N23Click, QKeySequence(Qt::CTRL | Qt::Key_V), {&TForm1::N23, &TForm1::N19}},
        {&TForm1::N24Click, QKeySequence(Qt::CTRL | Qt::Key_A), {&TForm1::N24, &TForm1::N29}},
        {&TForm1::N26Click, QKeySequence(Qt::CTRL | Qt::Key_F), {&TForm1::N26}},
        {&TForm1::N27Click,
         QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_O),
         {&TForm1::N27, &TForm1::N31}},
        {&TForm1::N28Click, QKeySequence(Qt::Key_F5), {&TForm1::N28, &TForm1::N32}},
        {&TForm1::N16Click, {}, {&TForm1::N16, &TForm1::N33}},
        {&TForm1::N17Click, {}, {&TForm1::N17}},
        {&TForm1::N4Click, {}, {&TForm1::N4}},
        {&TForm1::N34Click, {}, {&TForm1::N34}},
        // The formatting buttons' keys, so that the keyboard alone reaches all formatting.
        {&TForm1::RzToolButton6Click,
         QKeySequence(Qt::CTRL | Qt::Key_L),
         {},
         &TForm1::RzToolButton6},
        {&TForm1::RzToolButton7Click,
         QKeySequence(Qt::CTRL | Qt::Key_E),
         {},
         &TForm1::RzToolButton7},
        {&TForm1::RzToolButton8Click,
         QKeySequence(Qt::CTRL | Qt::Key_R),
         {},
         &TForm1::RzToolButton8},
        {&TForm1::RzToolButton9Click,
         QKeySequence(Qt::CTRL | Qt::Key_B),
         {},
         &TForm1::RzToolButton9},
        {&TForm1::RzToolButton10Click,
         QKeySequence(Qt::CTRL | Qt::Key_I),
         {},
         &TForm1::RzToolButton10},
        {&TForm1::RzToolButton11Click,
         QKeySequence(Qt::CTRL | Qt::Key_U),
         {},
         &TForm1::RzToolButton11},
        {&TForm1::RzToolButton12Click,
         QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_L),
         {},
         &TForm1::RzToolButton12},
    };
    return table;
}

// Gives action its key, which then acts wherever the focus is in window.
void holdKey(QWidget* window, QAction* action, const QKeySequence& keys) {
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
}

// An action of window's own, in no menu.
QAction* windowAction(QWidget* window, const QString& name) {
    auto* action = new QAction(window);
    action->setObjectName(name);
    return action;
}

} // namespace

void TForm1::bindCommands() {
    QList<QKeySequence> shortcuts = bindPlatformKeys();
    for (const Command& command : commandTable()) {
        const auto run = [this, &command] { dispatch(command.method); };
        const QString keys = shortcutText(command.shortcut);
        for (QAction* TForm1::*member : command.entries) {
            QAction* action = this->*member;
            if (!keys.isEmpty()) {
                // Text after a tab is what a menu shows as the entry's shortcut.
                action->setText(action->text() + QLatin1Char('\t') + keys);
            }
            connect(action, &QAction::triggered, this, run);
        }
        if (!command.shortcut.isEmpty()) {
            // One action per shortcut: a second one would make the key ambiguous and fire nothing.
            QAction* action = nullptr;
            if (command.entries.empty()) {
                action = windowAction(this, (this->*command.button)->objectName() + "Key");
                connect(action, &QAction::triggered, this, run);
            } else {
                action = this->*command.entries.front();
            }
            holdKey(this, action, command.shortcut);
            shortcuts.append(command.shortcut);
        }
        if (command.button != nullptr) {
            connect(this->*command.button, &QAbstractButton::clicked, this, run);
            if (!keys.isEmpty()) {
                (this->*command.button)->setAccessibleDescription(keys);
            }
        }
    }
    shortcutGuard_ = new ShortcutGuard(this, shortcuts, this);
    qApp->installEventFilter(shortcutGuard_);
}

QList<QKeySequence> TForm1::bindPlatformKeys() {
    const auto bind = [this](const char* name, const QKeySequence& keys, void (TForm1::*opener)()) {
        QAction* action = windowAction(this, QLatin1String(name));
        holdKey(this, action, keys);
        connect(action, &QAction::triggered, this, opener);
        return keys;
    };
    return {
        bind("MenuBarKey", QKeySequence(Qt::Key_F10), &TForm1::openMenuBar),
        bind("ContextMenuKey", QKeySequence(Qt::SHIFT | Qt::Key_F10), &TForm1::openContextMenu)};
}

void TForm1::openMenuBar() {
    // As the desktops do: the first menu opens with its first entry highlighted.
    menuBar()->setActiveAction(N1->menuAction());
    N1->setActiveAction(N1->actions().value(0));
}

void TForm1::openContextMenu() {
    // What the Menu key does: the focused control's context menu, at its caret.
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr || target->window() != this) {
        return;
    }
    const QPoint at = target->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
    QCoreApplication::sendEvent(target, &event);
}

void TForm1::bindBoxes() {
    connect(RzFontComboBox1, &FontComboBox::changed, this,
            [this] { dispatch(&TForm1::RzFontComboBox1Change); });
    // A picked entry, or a typed size confirmed with Enter; typing alone applies nothing.
    connect(sizeFont, &QComboBox::activated, this, [this] { dispatch(&TForm1::sizeFontChange); });
    connect(sizeFont->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { dispatch(&TForm1::sizeFontChange); });
    connect(RzColorEdit1, &ColorEdit::changed, this,
            [this] { dispatch(&TForm1::RzColorEdit1Change); });
    // Each find-next request runs its handler like a command: through the dispatch wrapper.
    connect(FindDialog1, &FindDialog::find, this, [this] { dispatch(&TForm1::FindDialog1Find); });
}

void TForm1::dispatch(void (TForm1::*method)()) {
    runGuarded([this, method] {
        const BusyCursor busy; // gone before an error's message box is shown
        (this->*method)();
    });
}

void TForm1::FormCreate() {
    QTextEdit* editor = RichEdit1->widget();
    editor->setTabChangesFocus(false); // Tab types a tab
    // The horizontal dialog base unit: the average character width of the application's font.
    const int baseUnit = QFontMetrics(QApplication::font()).averageCharWidth();
    RichEdit1->setTabStops(tabStopPixels(baseUnit));
    editor->viewport()->update();
}

void TForm1::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        runGuarded([this] { FormShow(); });
    }
    QMainWindow::showEvent(event);
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && !restoredOnce_ &&
        (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) == 0) {
        restoredOnce_ = true;
        FramePlacement::setFrameGeometry(this, kRestoredFrame);
    }
    QMainWindow::changeEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The window closes only when FormClose returns: a save that fails after Yes raises, and the
    // window then stays open with its text.
    bool close = false;
    runGuarded([&] { close = FormClose(); });
    event->setAccepted(close);
}

void TForm1::commitData(QSessionManager& manager) {
    // The end of the desktop session closes the window the way its close box does, question
    // included; a refused close asks the session manager to stop the logout.
    if (manager.allowsInteraction() && !close()) {
        manager.cancel();
    }
}
