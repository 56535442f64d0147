#include "CancellingPrompts.h"
#include "ColorEdit.h"
#include "ColorGrid.h"
#include "FontDialog.h"
#include "MainWindowFixture.h"
#include "RichEdit.h"
#include "SpinEdit.h"
#include "TForm1.h"
#include "Tabzac.h"

#include <QAccessible>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

// What assistive technology reads of every control: role, the name a screen reader announces,
// and the value, through the interfaces Qt hands to the platform's accessibility bridge.

namespace {

// The name a screen reader announces: the label tied to the control, or else its own name.
QString spokenName(QAccessibleInterface* control) {
    for (const auto& [label, relation] : control->relations(QAccessible::Label)) {
        if (label->role() == QAccessible::StaticText) {
            return label->text(QAccessible::Name).trimmed();
        }
    }
    return control->text(QAccessible::Name);
}

QString valueOf(QAccessibleInterface* control) {
    if (QAccessibleValueInterface* value = control->valueInterface()) {
        return value->currentValue().toString();
    }
    return control->text(QAccessible::Value);
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void everyControlIsNamed_data();
    void everyControlIsNamed();
    void colourGridIsAListOfNamedCells();
    void spinFieldValueCanBeSet();
    void editorBoxesFormatsAndInput();

private:
    CancellingPrompts prompts_;
    MainWindowFixture form_;
};

void TestAccessibility::init() {
    abzac = new Tabzac(&form_.create(prompts_));
    QVERIFY(form_.show());
}

void TestAccessibility::cleanup() {
    form_.reset();
}

void TestAccessibility::everyControlIsNamed_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value"); // not checked when null
    const auto row = [](const char* window, const char* control, QAccessible::Role role,
                        const QString& name, const QString& value = QString()) {
        QTest::addRow("%s %s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control) << int(role) << name
            << value;
    };
    const char* const buttons[][2] = {
        {"RzToolButton1", "Создать новый файл"},
        {"RzToolButton2", "Открыть"},
        {"RzToolButton3", "Сохранить"},
        {"RzToolButton5", "Выход"},
        {"RzToolButton6", "Выровнять по левому краю"},
        {"RzToolButton7", "Выровнять по центру"},
        {"RzToolButton8", "Выровнять по правому краю"},
        {"RzToolButton9", "Полужирный"},
        {"RzToolButton11", "Подчёркнутый"},
        {"RzToolButton10", "Курсив"},
        {"RzToolButton12", "Список"},
    };
    for (const auto& button : buttons) {
        row("main", button[0], QAccessible::Button, QString::fromUtf8(button[1]));
    }
    row("main", "RzToolbar1", QAccessible::ToolBar, "");
    row("main", "RzFontComboBox1", QAccessible::ComboBox, "Шрифт");
    row("main", "sizeFont", QAccessible::ComboBox, "Размер", "8");
    row("main", "RzColorEdit1", QAccessible::ComboBox, "Цвет", "Black");
    // The window's one document: announced by the window's title, read by its text.
    row("main", "RichEdit1", QAccessible::EditableText, "", "ab");

    row("paragraph", "RzComboBox1", QAccessible::ComboBox, "Выравнивание", "По левому краю");
    row("paragraph", "Bevel1", QAccessible::Separator, "");
    row("paragraph", "RzSpinEdit1", QAccessible::SpinBox, "Слева", "2");
    row("paragraph", "RzSpinEdit2", QAccessible::SpinBox, "Справа", "0");
    row("paragraph", "RzSpinEdit3", QAccessible::SpinBox, "Первой строки на:", "0");
    row("paragraph", "Button1", QAccessible::Button, "Ок");
    row("paragraph", "Button2", QAccessible::Button, "Отмена");

    row("font", "faceEdit", QAccessible::EditableText, "Шрифт:");
    row("font", "familyList", QAccessible::List, "Шрифт");
    row("font", "styleEdit", QAccessible::EditableText, "Начертание:");
    row("font", "styleList", QAccessible::List, "Начертание");
    row("font", "sizeEdit", QAccessible::EditableText, "Размер:", "8");
    row("font", "sizeList", QAccessible::List, "Размер");
    row("font", "strikeOutBox", QAccessible::CheckBox, "Зачёркнутый");
    row("font", "underlineBox", QAccessible::CheckBox, "Подчёркнутый");
    row("font", "colorBox", QAccessible::ComboBox, "Цвет:");
    row("font", "scriptBox", QAccessible::ComboBox, "Набор символов:");
    row("font", "okButton", QAccessible::Button, "ОК");
    row("font", "cancelButton", QAccessible::Button, "Отмена");
}

void TestAccessibility::everyControlIsNamed() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, value);
    form_->RichEdit1->setText(QStringLiteral("ab"));
    abzac->RzSpinEdit1->setText(QStringLiteral("2"));
    FontDialog fontDialog(form_.get());
    QWidget* owner = window == "main"        ? static_cast<QWidget*>(form_.get())
                     : window == "paragraph" ? static_cast<QWidget*>(abzac)
                                             : &fontDialog;
    auto* widget = owner->findChild<QWidget*>(control);
    QVERIFY(widget != nullptr);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible != nullptr);
    QCOMPARE(int(accessible->role()), role);
    QCOMPARE(spokenName(accessible), name);
    if (!value.isNull()) {
        QCOMPARE(valueOf(accessible), value);
    }
}

void TestAccessibility::colourGridIsAListOfNamedCells() {
    ColorEdit* edit = form_->RzColorEdit1;
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(edit);
    QCOMPARE(box->childCount(), 1);
    QAccessibleInterface* grid = box->child(0);
    QCOMPARE(grid->role(), QAccessible::List);
    QCOMPARE(grid->childCount(), 40);
    for (int i = 0; i < grid->childCount(); ++i) {
        QAccessibleInterface* cell = grid->child(i);
        QCOMPARE(cell->role(), QAccessible::ListItem);
        QCOMPARE(cell->text(QAccessible::Name), ColorGrid::cells().at(i).name);
        QCOMPARE(cell->parent(), grid);
        QCOMPARE(grid->indexOfChild(cell), i);
    }

    // While the grid is open, the cell the arrows reach is the focused one (the platform's bridge
    // asks for it when told of the focus).
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F4);
    QTRY_VERIFY(edit->grid()->hasFocus());
    QVERIFY(grid->child(0)->state().focused);
    QTest::keyClick(edit->grid(), Qt::Key_Right);
    QTest::keyClick(edit->grid(), Qt::Key_Down);
    QVERIFY(grid->child(9)->state().focused);
    QVERIFY(!grid->child(0)->state().focused);
    QCOMPARE(grid->focusChild(), grid->child(9));

    // A cell's press action picks its colour, as Enter does.
    grid->child(13)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(!edit->grid()->isVisible());
    QCOMPARE(edit->selectedColor(), QColor(Qt::blue));
    QCOMPARE(box->text(QAccessible::Value), QStringLiteral("Blue"));
    // As text too: what screen readers speak as a combo box's value.
    QCOMPARE(box->textInterface()->text(0, box->textInterface()->characterCount()),
             QStringLiteral("Blue"));
}

void TestAccessibility::spinFieldValueCanBeSet() {
    QAccessibleValueInterface* field =
        QAccessible::queryAccessibleInterface(abzac->RzSpinEdit2)->valueInterface();
    QCOMPARE(field->minimumValue().toInt(), 0);
    QCOMPARE(field->maximumValue().toInt(), 100);
    field->setCurrentValue(250);
    QCOMPARE(abzac->RzSpinEdit2->text(), QStringLiteral("100"));
}

void TestAccessibility::editorBoxesFormatsAndInput() {
    RichEdit& edit = *form_->RichEdit1;
    edit.setText(QStringLiteral("plain bold\r\nindented"));
    edit.select(Position(6), 4);
    form_->RzToolButton9Click();
    edit.select(Position(12), 0);
    edit.setParaStartIndent(600);
    auto* view = edit.widget();
    QAccessibleInterface* editor = QAccessible::queryAccessibleInterface(view);
    QAccessibleTextInterface* text = editor->textInterface();
    // Each character's box starts where the caret before it is drawn, and the box's middle hits
    // that character again (Qt positions: the paragraph break is offset 10).
    for (const int offset : {0, 7, 11, 15}) {
        const QRect box = text->characterRect(offset);
        QTextCursor caret(edit.document());
        caret.setPosition(offset);
        const QRect drawn =
            view->cursorRect(caret).translated(view->viewport()->mapToGlobal(QPoint()));
        QVERIFY2(qAbs(box.left() - drawn.left()) <= 1 && box.intersects(drawn),
                 qPrintable(QString::number(offset)));
        QCOMPARE(text->offsetAtPoint(box.center()), offset);
    }
    int from = 0;
    int to = 0;
    QVERIFY(text->attributes(7, &from, &to).contains(QLatin1String("font-weight:bold;")));
    QCOMPARE(std::pair(from, to), std::pair(6, 10));
    QVERIFY(text->attributes(2, &from, &to).contains(QLatin1String("font-weight:normal;")));

    // Text put in by assistive technology enters as a paste: outside Windows-1251 it becomes '?'.
    editor->editableTextInterface()->replaceText(0, 5, QStringLiteral("\u4e2d"));
    QCOMPARE(edit.text(), QStringLiteral("? bold\r\nindented"));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
