#include "ClassicFonts.h"
#include "ColorEdit.h"
#include "ColorGrid.h"
#include "FindDialog.h"
#include "FlatToolbar.h"
#include "FontComboBox.h"
#include "RichEdit.h"
#include "SizeBox.h"
#include "Spacer.h"
#include "TForm1.h"
#include "ToolButton.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QStatusBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

// Registers the glyph sheet, which lives in this static library (outside any namespace, as the
// resource macro requires).
static void initGlyphResources() {
    Q_INIT_RESOURCE(zelto);
}

namespace {

constexpr int kGlyphCount = 12;
constexpr int kGlyphSize = 16;

// The twelve glyphs of the sheet: glyph k in column k % 4, row k / 4. Each icon holds the glyph
// at 16 pixels and, from the second sheet, at 32, which screens of twice the density draw.
QList<QIcon> cutGlyphs() {
    initGlyphResources();
    const QPixmap sheets[] = {QPixmap(QStringLiteral(":/glyphs.png")),
                              QPixmap(QStringLiteral(":/glyphs@2x.png"))};
    QList<QIcon> glyphs;
    for (int k = 0; k < kGlyphCount; ++k) {
        QIcon glyph;
        for (int scale = 1; scale <= 2; ++scale) {
            const int size = kGlyphSize * scale;
            glyph.addPixmap(sheets[scale - 1].copy(size * (k % 4), size * (k / 4), size, size));
        }
        glyphs.append(glyph);
    }
    return glyphs;
}

QAction* entry(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

void separator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

QLabel* toolbarLabel(const char* name, const QString& caption, int width) {
    auto* label = new QLabel(caption);
    label->setObjectName(QLatin1String(name));
    label->setFont(ClassicFonts::label());
    label->setFixedSize(width, 19);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

Spacer* spacer(const char* name, bool grooved) {
    auto* result = new Spacer(grooved);
    result->setObjectName(QLatin1String(name));
    return result;
}

} // namespace

void TForm1::buildLayout() {
    setWindowTitle(QStringLiteral("Form1"));
    // The restored geometry, the frame at its place (move() places the frame); the client area
    // gets its real size at the first restore (changeEvent). Start-up shows the window maximised.
    resize(kRestoredFrame.size());
    move(kRestoredFrame.topLeft());
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    ImageList1 = cutGlyphs();

    buildMenus();
    buildPopupMenu();
    buildToolbar();
    buildStatusBars();
    FindDialog1 = new FindDialog(this);

    QTextEdit* editor = RichEdit1->widget();
    QFont editorFont(QStringLiteral("Times New Roman"));
    editorFont.setPointSize(14);
    editor->setFont(editorFont);
    RichEdit1->document()->setDefaultFont(editorFont);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(RzToolbar1);
    column->addWidget(editor, 1);
    column->addWidget(StatusBar1);
    column->addWidget(RzStatusBar1);
    setCentralWidget(client);

    // Focus order: the editor, then the toolbar's boxes.
    setTabOrder(editor, RzFontComboBox1);
    setTabOrder(RzFontComboBox1, RzColorEdit1);
    setTabOrder(RzColorEdit1, sizeFont);
    editor->setFocus();
}

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    N1 = bar->addMenu(QStringLiteral("Файл"));
    N1->setObjectName(QStringLiteral("N1"));
    N5 = entry(N1, "N5", QStringLiteral("Новый"));
    N6 = entry(N1, "N6", QStringLiteral("Открыть..."));
    N7 = entry(N1, "N7", QStringLiteral("Сохранить..."));
    separator(N1, "N9");
    N10 = entry(N1, "N10", QStringLiteral("Выход"));

    N2 = bar->addMenu(QStringLiteral("Правка"));
    N2->setObjectName(QStringLiteral("N2"));
    N18 = entry(N2, "N18", QStringLiteral("Отменить"));
    separator(N2, "N20");
    N21 = entry(N2, "N21", QStringLiteral("Вырезать"));
    N22 = entry(N2, "N22", QStringLiteral("Копировать"));
    N23 = entry(N2, "N23", QStringLiteral("Вставить"));
    N24 = entry(N2, "N24", QStringLiteral("Выделить всё"));
    separator(N2, "N25");
    N26 = entry(N2, "N26", QStringLiteral("Найти..."));
    N27 = entry(N2, "N27", QStringLiteral("Очистить"));
    N28 = entry(N2, "N28", QStringLiteral("Время и дата"));

    N3 = bar->addMenu(QStringLiteral("Формат"));
    N3->setObjectName(QStringLiteral("N3"));
    N16 = entry(N3, "N16", QStringLiteral("Шрифт..."));
    N17 = entry(N3, "N17", QStringLiteral("Отступ абзаца..."));
    N4 = entry(N3, "N4", QStringLiteral("Удалить лишние пробелы"));

    N12 = bar->addMenu(QStringLiteral("Справка"));
    N12->setObjectName(QStringLiteral("N12"));
    N34 = entry(N12, "N34", QStringLiteral("О программе"));
}

void TForm1::buildPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N11 = entry(PopupMenu1, "N11", QStringLiteral("Отменить"));
    separator(PopupMenu1, "N14");
    N15 = entry(PopupMenu1, "N15", QStringLiteral("Вырезать"));
    N13 = entry(PopupMenu1, "N13", QStringLiteral("Копировать"));
    N19 = entry(PopupMenu1, "N19", QStringLiteral("Вставить"));
    N29 = entry(PopupMenu1, "N29", QStringLiteral("Выделить всё"));
    separator(PopupMenu1, "N30");
    N31 = entry(PopupMenu1, "N31", QStringLiteral("Очистить"));
    // Misspelt on purpose: the context menu's entry reads "Вермя", the menu bar's "Время". This is
    // the entry's established text and must stay so; do not correct it.
    N32 = entry(PopupMenu1, "N32", QStringLiteral("Вермя и дата"));
    N33 = entry(PopupMenu1, "N33", QStringLiteral("Шрифт..."));

    QTextEdit* editor = RichEdit1->widget();
    editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(editor, &QWidget::customContextMenuRequested, this, [this, editor](const QPoint& pos) {
        PopupMenu1->popup(editor->viewport()->mapToGlobal(pos));
    });
}

void TForm1::buildToolbar() {
    RzToolbar1 = new FlatToolbar(this);
    RzToolbar1->setObjectName(QStringLiteral("RzToolbar1"));
    // The window's font, which the toolbar's boxes inherit.
    RzToolbar1->setFont(ClassicFonts::dialog());

    const auto button = [this](const char* name, const QString& hint, int glyph) {
        auto* result = new ToolButton;
        result->setObjectName(QLatin1String(name));
        result->setToolTip(hint);
        result->setAccessibleName(hint); // a glyph alone says nothing to a screen reader
        result->setIcon(ImageList1.value(glyph));
        return result;
    };
    RzToolButton1 = button("RzToolButton1", QStringLiteral("Создать новый файл"), 0);
    RzToolButton2 = button("RzToolButton2", QStringLiteral("Открыть"), 1);
    RzToolButton3 = button("RzToolButton3", QStringLiteral("Сохранить"), 2);
    RzToolButton5 = button("RzToolButton5", QStringLiteral("Выход"), 4);
    RzSpacer1 = spacer("RzSpacer1", true);
    RzToolButton6 = button("RzToolButton6", QStringLiteral("Выровнять по левому краю"), 5);
    RzToolButton7 = button("RzToolButton7", QStringLiteral("Выровнять по центру"), 6);
    RzToolButton8 = button("RzToolButton8", QStringLiteral("Выровнять по правому краю"), 7);
    RzSpacer2 = spacer("RzSpacer2", true);
    buildToolbarBoxes();
    RzSpacer3 = spacer("RzSpacer3", false);
    RzToolButton9 = button("RzToolButton9", QStringLiteral("Полужирный"), 8);
    RzToolButton11 = button("RzToolButton11", QStringLiteral("Подчёркнутый"), 10);
    RzToolButton10 = button("RzToolButton10", QStringLiteral("Курсив"), 9);
    RzSpacer4 = spacer("RzSpacer4", false);
    RzToolButton12 = button("RzToolButton12", QStringLiteral("Список"), 11);
    RzSpacer5 = spacer("RzSpacer5", false);

    for (QWidget* control : std::initializer_list<QWidget*>{
             RzToolButton1,   RzToolButton2,  RzToolButton3, RzToolButton5,  RzSpacer1,
             RzToolButton6,   RzToolButton7,  RzToolButton8, RzSpacer2,      Label1,
             RzFontComboBox1, Label2,         sizeFont,      RzSpacer3,      RzToolButton9,
             RzToolButton11,  RzToolButton10, RzSpacer4,     RzToolButton12, RzSpacer5,
             Label3,          RzColorEdit1}) {
        RzToolbar1->addControl(control);
    }
}

void TForm1::buildToolbarBoxes() {
    Label1 = toolbarLabel("Label1", QStringLiteral(" Шрифт  "), 60);
    RzFontComboBox1 = new FontComboBox;
    RzFontComboBox1->setObjectName(QStringLiteral("RzFontComboBox1"));
    RzFontComboBox1->setFontName(QStringLiteral("Times New Roman"));
    RzFontComboBox1->setFixedSize(145, 22);
    Label2 = toolbarLabel("Label2", QStringLiteral("  Размер "), 59);
    sizeFont = new QComboBox;
    sizeFont->setObjectName(QStringLiteral("sizeFont"));
    SizeBox::setup(sizeFont);
    sizeFont->setFixedSize(53, 21);
    Label3 = toolbarLabel("Label3", QStringLiteral("Цвет  "), 41);
    RzColorEdit1 = new ColorEdit;
    RzColorEdit1->setObjectName(QStringLiteral("RzColorEdit1"));
    RzColorEdit1->setFixedSize(56, 21);
    RzColorEdit1->grid()->setAccessibleName(Label3->text().trimmed());
    // Each label names its box to assistive technology (the captions carry no access key).
    Label1->setBuddy(RzFontComboBox1);
    Label2->setBuddy(sizeFont);
    Label3->setBuddy(RzColorEdit1);
}

void TForm1::buildStatusBars() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(false);

    RzStatusBar1 = new QStatusBar(this);
    RzStatusBar1->setObjectName(QStringLiteral("RzStatusBar1"));
    RzStatusBar1->setFixedHeight(19);
    RzStatusPane1 = new QLabel(RzStatusBar1);
    RzStatusPane1->setObjectName(QStringLiteral("RzStatusPane1"));
    RzStatusPane1->setFixedWidth(121);
    RzStatusBar1->addWidget(RzStatusPane1);
}
