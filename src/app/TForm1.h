#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QRect>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSessionManager;
class QStatusBar;
class CharFormatter;
class ColorEdit;
class Document;
class FindDialog;
class Finder;
class FlatToolbar;
class FontComboBox;
class ParaFormatter;
class Prompts;
class RichEdit;
class ShortcutGuard;
class Spacer;
class TForm3;
class TextCommands;
class ToolButton;

// The main window: owns every component it shows and binds each menu entry, context-menu entry,
// tool button, toolbar box and shortcut to its handler. Handlers are thin: each calls the class of
// its subsystem (Document, Finder, TextCommands, CharFormatter, ParaFormatter).
class TForm1 : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm1)
public:
    explicit TForm1(Prompts& prompts, QWidget* parent = nullptr);
    ~TForm1() override;

    // --- components, by their layout names -------------------------------------------------
    RichEdit* RichEdit1 = nullptr;

    FlatToolbar* RzToolbar1 = nullptr;
    ToolButton* RzToolButton1 = nullptr;
    ToolButton* RzToolButton2 = nullptr;
    ToolButton* RzToolButton3 = nullptr;
    ToolButton* RzToolButton5 = nullptr;
    ToolButton* RzToolButton6 = nullptr;
    ToolButton* RzToolButton7 = nullptr;
    ToolButton* RzToolButton8 = nullptr;
    ToolButton* RzToolButton9 = nullptr;
    ToolButton* RzToolButton10 = nullptr;
    ToolButton* RzToolButton11 = nullptr;
    ToolButton* RzToolButton12 = nullptr;
    Spacer* RzSpacer1 = nullptr;
    Spacer* RzSpacer2 = nullptr;
    Spacer* RzSpacer3 = nullptr;
    Spacer* RzSpacer4 = nullptr;
    Spacer* RzSpacer5 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    FontComboBox* RzFontComboBox1 = nullptr;
    QComboBox* sizeFont = nullptr;
    ColorEdit* RzColorEdit1 = nullptr;

    QStatusBar* StatusBar1 = nullptr;
    QStatusBar* RzStatusBar1 = nullptr;
    QLabel* RzStatusPane1 = nullptr;

    // Menu bar: the four menus and their entries.
    QMenu* N1 = nullptr;  // "Файл"
    QMenu* N2 = nullptr;  // "Правка"
    QMenu* N3 = nullptr;  // "Формат"
    QMenu* N12 = nullptr; // "Справка"
    QAction* N5 = nullptr;
    QAction* N6 = nullptr;
    QAction* N7 = nullptr;
    QAction* N10 = nullptr;
    QAction* N18 = nullptr;
    QAction* N21 = nullptr;
    QAction* N22 = nullptr;
    QAction* N23 = nullptr;
    QAction* N24 = nullptr;
    QAction* N26 = nullptr;
    QAction* N27 = nullptr;
    QAction* N28 = nullptr;
    QAction* N16 = nullptr;
    QAction* N17 = nullptr;
    QAction* N4 = nullptr;
    QAction* N34 = nullptr;

    // The editor's context menu and its entries.
    QMenu* PopupMenu1 = nullptr;
    QAction* N11 = nullptr;
    QAction* N15 = nullptr;
    QAction* N13 = nullptr;
    QAction* N19 = nullptr;
    QAction* N29 = nullptr;
    QAction* N31 = nullptr;
    QAction* N32 = nullptr;
    QAction* N33 = nullptr;

    FindDialog* FindDialog1 = nullptr;

    // The twelve toolbar glyphs, cut from the glyph sheet.
    QList<QIcon> ImageList1;

    // --- the subsystems behind the handlers ------------------------------------------------
    Document& document() const { return *document_; }
    Finder& finder() const { return *finder_; }
    TextCommands& textCommands() const { return *textCommands_; }
    CharFormatter& charFormatter() const { return *charFormatter_; }
    ParaFormatter& paraFormatter() const { return *paraFormatter_; }

    // --- handlers (TForm1Handlers.cpp) -------------------------------------------------------
    void FormCreate();
    void FormShow();
    // Returns false when the window must stay open.
    bool FormClose();

    void N5Click();  // New
    void N6Click();  // Open
    void N7Click();  // Save (RTF)
    void N10Click(); // Exit

    void N18Click(); // Undo
    void N21Click(); // Cut
    void N22Click(); // Copy
    void N23Click(); // Paste
    void N24Click(); // Select all
    void N27Click(); // Clear
    void N28Click(); // Date-and-time stamp
    void N4Click();  // Remove extra spaces

    void N26Click();        // Find...
    void FindDialog1Find(); // one find-next request

    void RzToolButton9Click();  // bold
    void RzToolButton10Click(); // italic
    void RzToolButton11Click(); // underline
    void RzFontComboBox1Change();
    void sizeFontChange();
    void RzColorEdit1Change();
    void N16Click(); // Font...

    void RzToolButton6Click();  // align left
    void RzToolButton7Click();  // align centre
    void RzToolButton8Click();  // align right
    void RzToolButton12Click(); // bullets
    void N17Click();            // Paragraph...

    void N34Click(); // About

    // The window's outer frame, title bar and borders included, when it is restored.
    static constexpr QRect kRestoredFrame{211, 141, 798, 480};

    // The desktop session is ending: closes the window as its close box would, and cancels the
    // logout when the window stays open.
    void commitData(QSessionManager& manager);

    // Runs one handler through the dispatch wrapper (runGuarded).
    void dispatch(void (TForm1::*method)());

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The first restore from the start-up state gets kRestoredFrame with the frame the window
    // manager really draws, known only once the window is shown.
    void changeEvent(QEvent* event) override;

private:
    // Builds the menus, the toolbar and the status bars (TForm1Layout.cpp).
    void buildLayout();
    // Binds every menu entry, context-menu entry and tool button to its handler (TForm1.cpp).
    void bindCommands();
    // Binds F10 to the menu bar and Shift+F10 to the focused control's context menu; returns the
    // keys (TForm1.cpp).
    QList<QKeySequence> bindPlatformKeys();
    void openMenuBar();
    void openContextMenu();
    // Binds the toolbar boxes and the find dialog's requests to their handlers (TForm1.cpp).
    void bindBoxes();
    // Layout pieces (TForm1Layout.cpp).
    void buildMenus();
    void buildPopupMenu();
    void buildToolbar();
    void buildToolbarBoxes(); // the labels and boxes among the buttons
    void buildStatusBars();

    std::unique_ptr<Document> document_;
    std::unique_ptr<Finder> finder_;
    std::unique_ptr<TextCommands> textCommands_;
    std::unique_ptr<CharFormatter> charFormatter_;
    std::unique_ptr<ParaFormatter> paraFormatter_;
    TForm3* form3_ = nullptr;
    ShortcutGuard* shortcutGuard_ = nullptr;
    bool shown_ = false;
    bool restoredOnce_ = false;
};

// The main window, from start-up to exit.
extern TForm1* Form1;
