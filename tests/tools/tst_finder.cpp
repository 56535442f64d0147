#include "CancellingPrompts.h"
#include "Finder.h"
#include "RichEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <memory>

namespace {

// Records every message instead of showing it.
class RecordingPrompts : public CancellingPrompts {
public:
    struct Message {
        QString text;
        MsgDlgType type;
        int buttons;
    };
    QList<Message> messages;

    int centeredMessage(const QString& text, MsgDlgType type, int buttons) override {
        messages.append({text, type, buttons});
        return mrOk;
    }
};

const QString kNotFound = QStringLiteral("Текст не найден");

} // namespace

class TestFinder : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void stepsFindOccurrencesInOrder_data();
    void stepsFindOccurrencesInOrder();
    void indexOfBounds_data();
    void indexOfBounds();
    void nothingSelectedStartsAtCaret();
    void selectedWordIsFoundFirst();
    void presetKeepsFirst255Characters();
    void findPosPastEndFindsNothing();
    void failedStepKeepsSelection();
    void wrappedParagraphSelectsTheOccurrence();
    void findPosInsideOrPastBreak_data();
    void findPosInsideOrPastBreak();
    void stepsFollowEdits();

private:
    void step(const QString& what, bool matchCase = true) { finder_->findNext(what, matchCase); }

    std::unique_ptr<RichEdit> edit_;
    std::unique_ptr<RecordingPrompts> prompts_;
    std::unique_ptr<Finder> finder_;
};

void TestFinder::init() {
    edit_ = std::make_unique<RichEdit>();
    prompts_ = std::make_unique<RecordingPrompts>();
    finder_ = std::make_unique<Finder>(*edit_, *prompts_);
}

void TestFinder::cleanup() {
    finder_.reset();
    prompts_.reset();
    edit_.reset();
}

void TestFinder::stepsFindOccurrencesInOrder_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("matchCase");
    // Start of each occurrence found by successive steps; the step after the last finds none.
    QTest::addColumn<QList<int>>("found");

    QTest::newRow("ab ab") << "ab ab" << 0 << "ab" << true << QList<int>{0, 3};
    QTest::newRow("abab: adjacent occurrence not skipped")
        << "abab" << 0 << "ab" << true << QList<int>{0, 2};
    QTest::newRow("overlap resumes at the end") << "aaaa" << 0 << "aa" << true << QList<int>{0, 2};
    QTest::newRow("two lines a and xyz") << "a\r\nxyz" << 0 << "xyz" << true << QList<int>{3};
    QTest::newRow("positions after several breaks")
        << "x\r\n\r\nyy\r\nx" << 0 << "x" << true << QList<int>{0, 9};
    QTest::newRow("occurrence across a paragraph break")
        << "ab\r\ncd\r\nab\r\ncd" << 0 << "b\r\nc" << true << QList<int>{1, 9};
    QTest::newRow("from the middle") << "ab ab ab" << 1 << "ab" << true << QList<int>{3, 6};
    QTest::newRow("at the very end") << "xxxxy" << 0 << "y" << true << QList<int>{4};
    QTest::newRow("empty find text") << "ab" << 0 << "" << false << QList<int>{};
    QTest::newRow("longer than the text") << "ab" << 0 << "abc" << false << QList<int>{};
    QTest::newRow("empty document") << "" << 0 << "a" << false << QList<int>{};
    QTest::newRow("Cyrillic, case ignored")
        << "Текст, ТЕКСТ и текст" << 0 << "текст" << false << QList<int>{0, 7, 15};
    QTest::newRow("Cyrillic, case matched")
        << "Текст, ТЕКСТ и текст" << 0 << "текст" << true << QList<int>{15};
    QTest::newRow("capitals in the find text fold too")
        << "ёлка ЁЛКА" << 0 << "ЁлКа" << false << QList<int>{0, 5};
    QTest::newRow("Latin, case ignored") << "aB Ab" << 0 << "ab" << false << QList<int>{0, 3};
}

void TestFinder::stepsFindOccurrencesInOrder() {
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(QString, what);
    QFETCH(bool, matchCase);
    QFETCH(QList<int>, found);

    edit_->setText(text);
    edit_->setSelStart(start);
    QCOMPARE(finder_->beginFind(), QString());
    QCOMPARE(finder_->FindPos, start);

    for (const int at : found) {
        QVERIFY(finder_->findNext(what, matchCase));
        QCOMPARE(edit_->selStart(), at);
        QCOMPARE(edit_->selLength(), int(what.size()));
        QCOMPARE(edit_->selectedText().compare(what, Qt::CaseInsensitive), 0);
        QCOMPARE(finder_->FindPos, at + int(what.size()));
    }
    QVERIFY(prompts_->messages.isEmpty());

    const Position pos = finder_->FindPos;
    QVERIFY(!finder_->findNext(what, matchCase));
    QCOMPARE(prompts_->messages.size(), 1);
    QCOMPARE(prompts_->messages[0].text, kNotFound);
    QCOMPARE(prompts_->messages[0].type, MsgDlgType::Confirmation);
    QCOMPARE(prompts_->messages[0].buttons, int(mbOK));
    QCOMPARE(finder_->FindPos, pos);
    // Asking again repeats the same outcome.
    QVERIFY(!finder_->findNext(what, matchCase));
    QCOMPARE(prompts_->messages.size(), 2);
}

void TestFinder::indexOfBounds_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("index");

    QTest::newRow("found at from") << "abcabc"
                                   << "abc" << 3 << 3;
    QTest::newRow("from past the only occurrence") << "abcabc"
                                                   << "abc" << 4 << -1;
    QTest::newRow("from at the end") << "abc"
                                     << "c" << 3 << -1;
    QTest::newRow("from far past the end") << "abc"
                                           << "c" << 1000 << -1;
    QTest::newRow("negative from") << "abc"
                                   << "a" << -1 << -1;
    QTest::newRow("empty find text") << "abc"
                                     << "" << 0 << -1;
    QTest::newRow("last character") << "abc"
                                    << "c" << 2 << 2;
    QTest::newRow("shared low bytes") << QString("0а0а") << QString("а0а") << 0 << 1;
}

void TestFinder::indexOfBounds() {
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(int, from);
    QFETCH(int, index);
    QCOMPARE(Finder::indexOf(text, what, from), qsizetype(index));
}

void TestFinder::nothingSelectedStartsAtCaret() {
    edit_->setText(QStringLiteral("ab ab ab"));
    edit_->setSelStart(4);
    QCOMPARE(finder_->beginFind(), QString());
    QVERIFY(finder_->findNext(QStringLiteral("ab"), true));
    QCOMPARE(edit_->selStart(), 6);
}

void TestFinder::selectedWordIsFoundFirst() {
    edit_->setText(QStringLiteral("one word\r\nword"));
    edit_->select(4, 4);
    const QString preset = finder_->beginFind();
    QCOMPARE(preset, QStringLiteral("word"));
    QCOMPARE(finder_->FindPos, 4);
    QVERIFY(finder_->findNext(preset, true));
    QCOMPARE(edit_->selStart(), 4);
    QVERIFY(finder_->findNext(preset, true));
    QCOMPARE(edit_->selStart(), 10);
}

void TestFinder::presetKeepsFirst255Characters() {
    QString text;
    for (int i = 0; i < 300; ++i) {
        text.append(QChar(u'a' + i % 26));
    }
    edit_->setText(text);
    edit_->select(10, 280);
    QCOMPARE(finder_->beginFind(), text.mid(10, kMaxFindText));
}

void TestFinder::findPosPastEndFindsNothing() {
    edit_->setText(QStringLiteral("abc abc"));
    edit_->setSelStart(0);
    finder_->beginFind();
    QVERIFY(finder_->findNext(QStringLiteral("abc"), true));
    QVERIFY(finder_->findNext(QStringLiteral("abc"), true));
    // The text shrinks below FindPos.
    edit_->setText(QStringLiteral("abc"));
    QCOMPARE(finder_->FindPos, 7);
    QVERIFY(!finder_->findNext(QStringLiteral("abc"), true));
    QVERIFY(!finder_->findNext(QStringLiteral("abc"), false));
    QCOMPARE(prompts_->messages.size(), 2);
    QCOMPARE(finder_->FindPos, 7);
}

void TestFinder::failedStepKeepsSelection() {
    edit_->setText(QStringLiteral("alpha beta"));
    edit_->select(6, 2);
    finder_->beginFind();
    QVERIFY(!finder_->findNext(QStringLiteral("gamma"), false));
    QCOMPARE(edit_->selStart(), 6);
    QCOMPARE(edit_->selLength(), 2);
    // At the very start as well: the caret stays where it is.
    edit_->setSelStart(0);
    finder_->beginFind();
    QVERIFY(!finder_->findNext(QStringLiteral("gamma"), false));
    QCOMPARE(edit_->selStart(), 0);
    QCOMPARE(edit_->selLength(), 0);
    QCOMPARE(finder_->FindPos, 0);
}

void TestFinder::wrappedParagraphSelectsTheOccurrence() {
    QTextEdit* view = edit_->widget();
    view->resize(160, 300);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    QString paragraph;
    for (int i = 0; i < 20; ++i) {
        paragraph += QStringLiteral("слово ");
    }
    edit_->setText(paragraph + QStringLiteral("цель\r\nещё цель"));
    const QTextBlock first = edit_->document()->firstBlock();
    edit_->document()->documentLayout()->blockBoundingRect(first); // lays the block out
    QVERIFY2(first.layout()->lineCount() > 2, "the paragraph must wrap for this test");

    edit_->setSelStart(0);
    finder_->beginFind();
    QVERIFY(finder_->findNext(QStringLiteral("цель"), true));
    QCOMPARE(edit_->selectedText(), QStringLiteral("цель"));
    QCOMPARE(edit_->selStart(), int(paragraph.size()));
    QVERIFY(finder_->findNext(QStringLiteral("цель"), true));
    QCOMPARE(edit_->selectedText(), QStringLiteral("цель"));
    QCOMPARE(edit_->selStart(), int(paragraph.size()) + 4 + 2 + 4);
}

void TestFinder::findPosInsideOrPastBreak_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("findPos");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("found"); // -1: none

    QTest::newRow("at CR finds the break") << "ab\r\ncd" << 2 << "\r\nc" << 2;
    QTest::newRow("at LF the break is behind") << "ab\r\ncd" << 3 << "\r\nc" << -1;
    QTest::newRow("at LF the next paragraph is ahead") << "ab\r\ncd" << 3 << "cd" << 4;
    QTest::newRow("at LF of an empty paragraph") << "a\r\n\r\nb" << 4 << "\r\nb" << -1;
    QTest::newRow("at the end") << "ab\r\ncd" << 6 << "d" << -1;
    QTest::newRow("one past the end") << "ab\r\ncd" << 7 << "d" << -1;
    QTest::newRow("lone CR never matches") << "ab\r\ncd" << 0 << "b\r" << -1;
}

void TestFinder::findPosInsideOrPastBreak() {
    QFETCH(QString, text);
    QFETCH(int, findPos);
    QFETCH(QString, what);
    QFETCH(int, found);
    edit_->setText(text);
    finder_->FindPos = findPos;
    QCOMPARE(finder_->findNext(what, true), found >= 0);
    if (found >= 0) {
        QCOMPARE(edit_->selStart(), found);
        QCOMPARE(edit_->selectedText(), what);
        QCOMPARE(finder_->FindPos, found + int(what.size()));
    } else {
        QCOMPARE(finder_->FindPos, findPos);
    }
}

void TestFinder::stepsFollowEdits() {
    edit_->setText(QStringLiteral("one two"));
    const QChar* exact = finder_->searchText(false).constData();
    const QChar* folded = finder_->searchText(true).constData();
    QCOMPARE(finder_->searchText(false).constData(), exact);
    QCOMPARE(finder_->searchText(true).constData(), folded);

    // Searching an unchanged document reuses both copies.
    edit_->setSelStart(0);
    finder_->beginFind();
    QVERIFY(finder_->findNext(QStringLiteral("one"), false));
    QVERIFY(finder_->findNext(QStringLiteral("TWO"), false));
    QCOMPARE(finder_->searchText(true).constData(), folded);

    // A typed change is seen by the next step, with and without case.
    edit_->setSelStart(7);
    edit_->replaceSelection(QStringLiteral(" Три"));
    QCOMPARE(finder_->searchText(false), QStringLiteral("one two Три"));
    finder_->FindPos = 0;
    QVERIFY(finder_->findNext(QStringLiteral("три"), false));
    QCOMPARE(edit_->selStart(), 8);
    edit_->undo();
    finder_->FindPos = 0;
    QVERIFY(!finder_->findNext(QStringLiteral("Три"), true));
}

QTEST_MAIN(TestFinder)
#include "tst_finder.moc"
