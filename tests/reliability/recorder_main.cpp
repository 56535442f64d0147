// A child process for the killed-record test: drives the main window through one kind of work,
// over and over, with a recorder that catches up after 20 ms of quiet. Just before each commit is
// queued it writes the document the commit records, its binding and its RTF, to
// OUT/state-<sequence>. Says "ready" when the work begins; runs until it is killed. The kind
// "opened file" first opens OUT/opened.txt, which it writes, and types into it.
//   reliability_recorder KIND OUT       (records go to $XDG_STATE_HOME/zelto/recovery)
#include "CharFormatter.h"
#include "Document.h"
#include "EditorRecorder.h"
#include "ParaFormatter.h"
#include "Positions.h"
#include "RichEdit.h"
#include "RtfWriter.h"
#include "ScriptedPrompts.h"
#include "TForm1.h"
#include "TypeText.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <QTextEdit>
#include <cstdio>
#include <functional>
#include <map>

namespace {

struct Child {
    TForm1& form;
    QRandomGenerator random;

    RichEdit& edit() const { return *form.RichEdit1; }
    int at(int room = 0) { return random.bounded(std::max(1, edit().textLength() - room + 1)); }
    void selectSome() { edit().select(Position(at()), random.bounded(30)); }
    void type(const QString& text) { typeText(edit().widget(), text); }
    void typeWords() {
        static const QStringList words = {"дом ", "river ", "снег ", "line\n", "окно ", "Zelto "};
        for (int i = random.bounded(1, 6); i > 0; --i) {
            type(words[random.bounded(words.size())]);
        }
    }
};

using Work = std::function<void(Child&)>;

const std::map<QByteArray, Work>& kinds() {
    static const std::map<QByteArray, Work> table = {
        {"typing",
         [](Child& c) {
             c.edit().setSelStart(Position(c.at()));
             c.typeWords();
             if (c.random.bounded(4) == 0) {
                 QTest::keyClick(c.edit().widget(), Qt::Key_Backspace);
             }
         }},
        {"opened file",
         [](Child& c) {
             c.edit().setSelStart(Position(c.at()));
             c.typeWords();
         }},
        {"formatting",
         [](Child& c) {
             c.typeWords();
             c.selectSome();
             switch (c.random.bounded(5)) {
             case 0:
                 c.form.RzToolButton9Click();
                 break;
             case 1:
                 c.form.RzToolButton10Click();
                 break;
             case 2:
                 c.form.charFormatter().applySizeText(QString::number(c.random.bounded(8, 30)));
                 break;
             case 3:
                 c.form.charFormatter().applyColor(QColor::fromRgb(c.random.generate()));
                 break;
             default:
                 c.form.RzToolButton7Click();
             }
         }},
        {"paste",
         [](Child& c) {
             c.typeWords();
             c.selectSome();
             c.form.RzToolButton11Click();
             c.random.bounded(2) == 0 ? c.form.N22Click() : c.form.N21Click();
             c.edit().setSelStart(Position(c.at()));
             c.form.N23Click();
         }},
        {"undo",
         [](Child& c) {
             c.typeWords();
             c.selectSome();
             c.form.RzToolButton9Click();
             for (int i = c.random.bounded(3); i > 0; --i) {
                 c.form.N18Click();
             }
         }},
        {"bullets",
         [](Child& c) {
             c.typeWords();
             c.type(QStringLiteral("\n"));
             c.selectSome();
             c.form.RzToolButton12Click();
             c.edit().setSelStart(Position(c.at()));
             c.type(QStringLiteral("пункт\n"));
         }},
        {"prompt save",
         [](Child& c) {
             c.typeWords();
             // Open, Yes to the question: the text is saved as lines and bound to the file; the
             // open dialog is then cancelled, and typing goes on in the saved document.
             if (c.random.bounded(8) == 0) {
                 c.form.N6Click();
             }
         }},
    };
    return table;
}

// Before the first question is answered the save dialog asks for a name; later saves write the
// bound file.
class Answers : public ScriptedPrompts {
public:
    explicit Answers(QString file) : file_(std::move(file)) {}
    int centeredMessage(const QString&, MsgDlgType, int) override { return mrYes; }
    bool runSaveDialog(FileDialogState& state) override {
        state.fileName = file_;
        return true;
    }

private:
    QString file_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3 || kinds().count(argv[1]) == 0) {
        std::fprintf(stderr, "usage: reliability_recorder KIND OUT\n");
        return 2;
    }
    const Work& work = kinds().at(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    Answers prompts(out + QStringLiteral("/bound.txt"));
    TForm1 form(prompts);
    Form1 = &form;
    form.show();
    EditorRecorder recorder(*form.RichEdit1, form.document(), prompts, RecordFolder::standard(),
                            RecorderTiming{20, 200, 8});
    QObject::connect(&recorder, &Recorder::committing, [&](quint64 sequence) {
        const Document& d = form.document();
        QFile state(QStringLiteral("%1/state-%2").arg(out).arg(sequence));
        if (!state.open(QIODevice::WriteOnly)) {
            std::_Exit(3);
        }
        state.write(QStringLiteral("%1\n%2\n%3\n")
                        .arg(d.CurrentFileName())
                        .arg(d.HasFileName())
                        .arg(static_cast<int>(d.format()))
                        .toUtf8());
        state.write(RtfWriter::toRtf(*form.RichEdit1->document()));
    });
    if (qstrcmp(argv[1], "opened file") == 0) {
        const QString opened = out + QStringLiteral("/opened.txt");
        QFile file(opened);
        if (!file.open(QIODevice::WriteOnly)) {
            return 3;
        }
        for (int i = 0; i < 20000; ++i) {
            file.write(QByteArrayLiteral("a line of the opened file\r\n"));
        }
        file.close();
        form.document().openFile(opened);
    }
    Child child{form, QRandomGenerator(QCoreApplication::applicationPid())};
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        work(child);
        QTest::qWait(child.random.bounded(40));
    }
}
