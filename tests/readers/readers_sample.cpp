// Makes the sample document of scripts/readers.sh through the main window and tells where the
// editor puts its text. Usage: readers_sample OUT.rtf OUT.png
//
// Types six paragraphs with tabs, gives two of them bullets with the toolbar's button and two
// others indents, saves the document as RTF with Ctrl+S, and grabs the window to OUT.png. Prints
// the page the file states and, for each measured word, its distance from the left margin in
// points: one line "name<TAB>word<TAB>value" each (the margin's word is the first line's).
#include "Application.h"
#include "MainWindowFixture.h"
#include "PageSetup.h"
#include "RichEdit.h"
#include "ScriptedPrompts.h"
#include "TForm1.h"
#include "Tabzac.h"
#include "ToolButton.h"
#include "TypeText.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <cstdio>

namespace {

struct Measure {
    const char* name; // as readers.sh prints it
    const char* word; // the word measured, as a reader's PDF shows it
    int paragraph;
    int position; // of the word's first character in its paragraph
};

// The word after the tab or bullet of each paragraph; the paragraphs are typed as below.
constexpr Measure kMeasures[] = {
    {"tab after x", "cd", 0, 2},       {"tab past the stops", "ef", 1, 20},
    {"bullet", "Пункт", 2, 0},         {"tab after bullet", "таб", 3, 4},
    {"tab, indent 20 pt", "gh", 4, 2}, {"tab, hanging 25 pt", "kl", 5, 4},
};

void type(TForm1& form, const QString& text) {
    const QStringList parts = text.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            QTest::keyClick(form.windowHandle(), Qt::Key_Tab);
        }
        typeText(form.RichEdit1->widget(), parts[i]);
    }
}

// Distance of the character at position of paragraph from the left margin, in points.
double pointsFromMargin(const RichEdit& edit, int paragraph, int position) {
    const QTextDocument* doc = edit.document();
    const QTextBlock block = doc->findBlockByNumber(paragraph);
    const QTextLayout* layout = block.layout();
    const qreal x = layout->position().x() +
                    layout->lineForTextPosition(position).cursorToX(position) -
                    doc->documentMargin();
    return x / edit.pixelsPerTwip() / 20;
}

} // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: readers_sample OUT.rtf OUT.png\n", stderr);
        return 2;
    }
    ScriptedPrompts prompts;
    prompts.saveAnswers = {QString::fromLocal8Bit(argv[1])};
    MainWindowFixture window;
    TForm1& form = window.create(prompts);
    abzac = new Tabzac(&form);
    form.resize(900, 560);
    if (!window.show()) {
        std::fputs("the window did not show\n", stderr);
        return 1;
    }
    RichEdit& edit = *form.RichEdit1;
    type(form, QStringLiteral("x\tcd\nabcdefghijklmnopqrs\tef\nПункт\nДва\tтаб\n"
                              "y\tgh\nabc\tkl"));
    // Positions count CR LF. Bullets for the third and fourth paragraphs, indents (in twips) for
    // the last two.
    edit.select(30, 8);
    QTest::mouseClick(form.RzToolButton12, Qt::LeftButton);
    edit.select(46, 0);
    edit.setParaStartIndent(400);
    edit.select(52, 0);
    edit.setParaOffset(500);
    edit.select(0, 0);
    QTest::keyClick(form.windowHandle(), Qt::Key_S, Qt::ControlModifier);
    if (edit.modified()) {
        std::fputs("the document was not saved\n", stderr);
        return 1;
    }
    form.grab().save(QString::fromLocal8Bit(argv[2]));

    const PageSetup page = PageSetup::local();
    std::printf("page width\t\t%.1f\n", page.paperWidth / 20.0);
    std::printf("page height\t\t%.1f\n", page.paperHeight / 20.0);
    std::printf("left margin\tx\t%.1f\n", page.margin / 20.0);
    for (const Measure& m : kMeasures) {
        std::printf("%s\t%s\t%.1f\n", m.name, m.word,
                    pointsFromMargin(edit, m.paragraph, m.position));
    }
    return 0;
}
