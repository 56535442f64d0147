#include "AppPrompts.h"
#include "Application.h"
#include "Cp1251.h"
#include "Document.h"
#include "DocumentLayout.h"
#include "ErrorCapture.h"
#include "Errors.h"
#include "FileBytes.h"
#include "MainWindowFixture.h"
#include "MessageDialog.h"
#include "ParagraphPieces.h"
#include "RichEdit.h"
#include "RtfReader.h"
#include "ScriptedPrompts.h"
#include "StartUp.h"
#include "TForm1.h"
#include "ToolButton.h"
#include "TypeText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextOption>
#include <QTimer>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

class TestDocumentGui : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsUntitledWithFocusInEditor();
    void typeSaveOpenAndSaveAsRtf();
    void longParagraphEditedAndSaved_data();
    void longParagraphEditedAndSaved();
    void wholeParagraphByTripleClickAndCtrlArrows();
    void caretStaysInViewAfterJumps_data();
    void caretStaysInViewAfterJumps();
    void exitWithEachAnswer_data();
    void exitWithEachAnswer();
    void failedSaveKeepsWindow_data();
    void failedSaveKeepsWindow();
    void openErrorReachesErrorBox_data();
    void openErrorReachesErrorBox();
    void busyCursorWhileCommandsWork();
    void scrollBarSettlesAfterOpen();
    void largeDocumentScrollsByRealLines();
    void fileOnTheCommandLine_data();
    void fileOnTheCommandLine();
    void freshTextTakesTheDefaultFormat_data();
    void freshTextTakesTheDefaultFormat();
    void realDialogs();
    void cancelledLongWorkChangesNothing_data();
    void cancelledLongWorkChangesNothing();
    void progressDialogOnlyForLongWork();

private:
    void makeForm(Prompts& prompts);
    // Writes 20,000 lines of 20 to 250 characters, most of them one long word, whose estimated
    // heights are off where they wrap, and names them as the answer to Open.
    void answerOpenWithLinesOfEveryLength();
    QWidget* editor() const { return form_->RichEdit1->widget(); }
    void key(int k, Qt::KeyboardModifiers m) { QTest::keyClick(editor(), Qt::Key(k), m); }
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir_;
    ScriptedPrompts prompts_;
    MainWindowFixture form_;
    QStringList errors_;
    ErrorCapture capture_{errors_}; // for the whole run; init empties errors_
};

void TestDocumentGui::init() {
    errors_.clear();
    QFile::remove(path("out.txt"));
    prompts_ = ScriptedPrompts();
    makeForm(prompts_);
}

void TestDocumentGui::makeForm(Prompts& prompts) {
    form_.create(prompts).resize(800, 600);
    QVERIFY(form_.show());
}

void TestDocumentGui::cleanup() {
    form_.reset();
    QCOMPARE(errors_, QStringList());
}

void TestDocumentGui::startsUntitledWithFocusInEditor() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Текстовый редактор Zelto ver 1.0 - Новый файл"));
    QCOMPARE(QApplication::focusWidget(), editor());
    form_->close(); // nothing typed: no question
    QVERIFY(!form_->isVisible());
    QVERIFY(prompts_.questions.isEmpty());
}

void TestDocumentGui::typeSaveOpenAndSaveAsRtf() {
    typeText(editor(), QStringLiteral("ab\nПривет"));
    // New with changes: Yes saves under the asked name, then starts afresh.
    prompts_.answers = {mrYes};
    prompts_.saveAnswers = {path("typed.txt")};
    key(Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(readBytes(path("typed.txt")), QByteArray("ab\r\n\xcf\xf0\xe8\xe2\xe5\xf2\r\n"));
    QCOMPARE(form_->RichEdit1->text(), QString());
    QCOMPARE(form_->windowTitle(), Document::kNewFileTitle);

    prompts_.openAnswers = {path("typed.txt")};
    key(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(form_->RichEdit1->text(), QStringLiteral("ab\r\nПривет\r\n"));
    QCOMPARE(form_->windowTitle(), Document::TitlePrefix + QStringLiteral("typed.txt"));

    form_->RichEdit1->select(0, 2);
    form_->RichEdit1->setSelStyles(fsBold);
    prompts_.saveAnswers = {path("styled.rtf")};
    key(Qt::Key_S, Qt::ControlModifier);
    const QByteArray rtf = readBytes(path("styled.rtf"));
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
    // The editor's first stop, as the window set it, is the file's.
    const QList<QTextOption::Tab> stops = form_->RichEdit1->document()->defaultTextOption().tabs();
    QVERIFY(!stops.isEmpty());
    const int firstStop = qRound(stops[0].position / form_->RichEdit1->pixelsPerTwip());
    QVERIFY2(rtf.contains("\\tx" + QByteArray::number(firstStop) + "\\tx"), rtf.constData());
    const RtfDocument read = RtfReader::read(rtf);
    QVERIFY(read.ok);
    QCOMPARE(read.paragraphs.value(0).text, QStringLiteral("ab"));
    QVERIFY(read.paragraphs.value(0).chars.value(1).b);
    QCOMPARE(read.paragraphs.value(1).text, QStringLiteral("Привет"));
    QVERIFY(!read.paragraphs.value(1).chars.value(0).b);
    QCOMPARE(form_->windowTitle(), Document::TitlePrefix + QStringLiteral("styled.rtf"));
    QVERIFY(!form_->RichEdit1->modified());
    QCOMPARE(prompts_.questions.size(), 1);
}

void TestDocumentGui::longParagraphEditedAndSaved_data() {
    QTest::addColumn<QByteArray>("file");
    QByteArray words;
    for (int i = 0; i < 6000; ++i) {
        words += Cp1251::encode(QStringLiteral("слово%1 ").arg(i));
    }
    QByteArray random(30000, Qt::Uninitialized);
    quint32 seed = 1;
    for (char& byte : random) {
        seed = seed * 1103515245U + 12345U;
        byte = static_cast<char>(seed >> 24);
    }
    QTest::newRow("words") << words + "\r\n";
    QTest::newRow("one word") << QByteArray(45000, 'x') + "\r\n";
    QTest::newRow("base64") << random.toBase64() + "\r\n";
}

void TestDocumentGui::longParagraphEditedAndSaved() {
    // A paragraph long enough to be held in pieces, cut at spaces or, where it has none, between
    // characters: edits where two pieces meet, through the window's keys and menu, save back
    // exactly as the same edits of the text.
    QFETCH(QByteArray, file);
    QString model = Cp1251::decode(file);
    writeBytes(path("long.txt"), file);
    prompts_.openAnswers = {path("long.txt")};
    key(Qt::Key_O, Qt::ControlModifier);
    const auto separators = ParagraphPieces::softSeparators(*form_->RichEdit1->document());
    QVERIFY(!separators.empty());
    // The program position of the first cut: the space's, or the next piece's first character's.
    const int at = form_->RichEdit1->toPosition(QtPosition(separators.front().position)).value;

    form_->RichEdit1->setSelStart(at);
    key(Qt::Key_Delete, Qt::NoModifier);
    key(Qt::Key_Backspace, Qt::NoModifier);
    model.remove(at - 1, 2);
    typeText(editor(), QStringLiteral("XY  "));
    model.insert(at - 1, QStringLiteral("XY  "));
    form_->RichEdit1->setSelStart(at + 1);
    typeText(editor(), QStringLiteral(" "));
    model.insert(at + 1, QStringLiteral(" "));
    form_->N4Click();
    model.remove(at + 2, 2);
    QCOMPARE(form_->RichEdit1->text(), model);

    prompts_.answers = {mrYes};
    key(Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(readBytes(path("long.txt")), Cp1251::encode(model));
}

void TestDocumentGui::wholeParagraphByTripleClickAndCtrlArrows() {
    // A triple click selects the paragraph under the pointer with its break (an opened file
    // ends in an empty paragraph).
    auto* view = qobject_cast<QTextEdit*>(editor());
    const auto tripleClick = [view](int qtPosition) {
        QTextCursor at(view->document());
        at.setPosition(qtPosition);
        const QPoint point = view->cursorRect(at).center();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, point);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    };
    writeBytes(path("lines.txt"), "first\r\nsecond line here\r\nthird\r\n");
    prompts_.openAnswers = {path("lines.txt")};
    key(Qt::Key_O, Qt::ControlModifier);
    const QStringList lines = {QStringLiteral("first\r\n"), QStringLiteral("second line here\r\n"),
                               QStringLiteral("third\r\n")};
    for (int line = 0; line < 3; ++line) {
        tripleClick(view->document()->findBlockByNumber(line).position() + 2);
        QCOMPARE(form_->RichEdit1->selectedText(), lines[line]);
    }

    // One word in pieces between two short paragraphs: a triple click in it selects all of it,
    // Ctrl+Down and Ctrl+Up go from paragraph to paragraph past its pieces.
    const int length = 45000;
    writeBytes(path("word.txt"), "head\r\n" + QByteArray(length, 'x') + "\r\ntail\r\n");
    prompts_.openAnswers = {path("word.txt")};
    QVERIFY(form_.show());
    key(Qt::Key_O, Qt::ControlModifier);
    QWidget* viewport = qobject_cast<QTextEdit*>(editor())->viewport();
    const QPoint inWord(viewport->width() / 2, viewport->height() / 2);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, inWord);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, inWord);
    QCOMPARE(form_->RichEdit1->selStart(), Position(6));
    QCOMPARE(form_->RichEdit1->selLength(), length + 2);

    // The caret is at the end of the selection, the start of the paragraph after the word.
    key(Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(form_->RichEdit1->selStart(), Position(6));
    key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(form_->RichEdit1->selStart(), Position(6 + length + 2));
    key(Qt::Key_Up, Qt::ControlModifier);
    key(Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form_->RichEdit1->selStart(), Position(6));
    QCOMPARE(form_->RichEdit1->selLength(), length + 2);
    key(Qt::Key_Up, Qt::ControlModifier);
    key(Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(form_->RichEdit1->selStart(), Position(0));
}

void TestDocumentGui::caretStaysInViewAfterJumps_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("ctrl+end") << QList<int>{Qt::Key_End};
    QTest::newRow("ctrl+end, up") << QList<int>{Qt::Key_End, Qt::Key_Up};
    QTest::newRow("ctrl+end, page up") << QList<int>{Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageUp};
    QTest::newRow("page down") << QList<int>{Qt::Key_PageDown, Qt::Key_PageDown};
}

void TestDocumentGui::answerOpenWithLinesOfEveryLength() {
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i) {
        bytes += QByteArray(20 + (i * 37) % 230, 'a' + i % 26).replace(7, 1, " ") + "\r\n";
    }
    writeBytes(path("lines.txt"), bytes);
    prompts_.openAnswers = {path("lines.txt")};
}

void TestDocumentGui::caretStaysInViewAfterJumps() {
    // Paragraphs shown for the first time replace their estimated heights by real ones, which
    // differ where lines wrap: the caret stays in view all the same.
    QFETCH(QList<int>, keys);
    answerOpenWithLinesOfEveryLength();
    QVERIFY(form_.show());
    key(Qt::Key_O, Qt::ControlModifier);
    for (const int k : keys) {
        key(k, k == Qt::Key_End ? Qt::ControlModifier : Qt::NoModifier);
        auto* view = qobject_cast<QTextEdit*>(editor());
        view->grab();
        QVERIFY2(view->viewport()->rect().contains(view->cursorRect()),
                 qPrintable(QStringLiteral("caret at %1").arg(view->cursorRect().y())));
    }
}

void TestDocumentGui::scrollBarSettlesAfterOpen() {
    // Lines of every length: their estimated heights are off, some by several lines.
    QByteArray lines;
    for (int i = 0; i < 4000; ++i) {
        lines += QByteArray("word ").repeated(1 + (i * 37) % 60) + "\r\n";
    }
    writeBytes(path("lines.txt"), lines);
    prompts_.openAnswers = {path("lines.txt")};
    key(Qt::Key_O, Qt::ControlModifier);
    key(Qt::Key_End, Qt::ControlModifier);
    auto* edit = static_cast<QTextEdit*>(editor());
    edit->viewport()->repaint();
    const QRect caret = edit->cursorRect();
    const auto* layout = qobject_cast<DocumentLayout*>(edit->document()->documentLayout());
    QVERIFY(!layout->isSettled());
    QTRY_VERIFY_WITH_TIMEOUT(layout->isSettled(), 20000);
    // The text under the caret never moved, and the thumb rests from now on.
    QCOMPARE(edit->cursorRect(), caret);
    const int maximum = edit->verticalScrollBar()->maximum();
    QTest::qWait(300);
    QCOMPARE(edit->verticalScrollBar()->maximum(), maximum);
    QVERIFY(layout->isSettled());
}

void TestDocumentGui::largeDocumentScrollsByRealLines() {
    // Too large to be measured whole: heights away from the view stay estimates. The scroll bar's
    // end shows the last line, and Page Down moves by a page of the lines really drawn.
    answerOpenWithLinesOfEveryLength();
    QVERIFY(form_.show());
    key(Qt::Key_O, Qt::ControlModifier);
    auto* view = qobject_cast<QTextEdit*>(editor());
    QScrollBar* bar = view->verticalScrollBar();
    const QRect page = view->viewport()->rect();
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    view->grab();
    QTextCursor end(view->document());
    end.movePosition(QTextCursor::End);
    QVERIFY2(page.contains(view->cursorRect(end)),
             qPrintable(QStringLiteral("end at %1").arg(view->cursorRect(end).y())));

    bar->setValue(bar->maximum() / 2);
    view->grab();
    view->setTextCursor(view->cursorForPosition(QPoint(0, 0)));
    const int below = view->cursorForPosition(QPoint(0, page.height() + 1)).position();
    key(Qt::Key_PageDown, Qt::NoModifier);
    view->grab();
    QCOMPARE(view->cursorForPosition(QPoint(0, 1)).position(), below);
    QVERIFY(page.contains(view->cursorRect()));
}

void TestDocumentGui::busyCursorWhileCommandsWork() {
    // Open shows the busy cursor while it loads the text (and not once it is done); so does the
    // removal of extra spaces while it changes the text.
    const auto forced = [] {
        const QCursor* cursor = QApplication::overrideCursor();
        return cursor != nullptr ? int(cursor->shape()) : -1;
    };
    writeBytes(path("busy.txt"), QByteArray("a  b\r\nc\r\n"));
    QList<int> seen;
    QObject watch;
    connect(form_->RichEdit1, &RichEdit::documentReplaced, &watch, [&] { seen << forced(); });
    prompts_.openAnswers = {path("busy.txt")};
    key(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(form_->RichEdit1->text(), QStringLiteral("a  b\r\nc\r\n"));
    connect(form_->RichEdit1->document(), &QTextDocument::contentsChanged, &watch,
            [&] { seen << forced(); });
    form_->N4->trigger(); // "Удалить лишние пробелы"
    QCOMPARE(form_->RichEdit1->text(), QStringLiteral("a b\r\nc\r\n"));
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen, QList<int>(seen.size(), Qt::WaitCursor));
    QCOMPARE(forced(), -1);
}

void TestDocumentGui::exitWithEachAnswer_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAnswer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("written");
    QTest::newRow("cancel keeps the window") << mrCancel << QString() << false << false;
    QTest::newRow("no closes without writing") << mrNo << QString() << true << false;
    QTest::newRow("yes writes and closes") << mrYes << QStringLiteral("out.txt") << true << true;
    QTest::newRow("yes, save dialog cancelled") << mrYes << QString() << false << false;
}

void TestDocumentGui::exitWithEachAnswer() {
    QFETCH(int, answer);
    QFETCH(QString, saveAnswer);
    QFETCH(bool, closes);
    QFETCH(bool, written);
    typeText(editor(), QStringLiteral("text"));
    prompts_.answers = {answer};
    prompts_.saveAnswers = {saveAnswer.isEmpty() ? QString() : dir_.filePath(saveAnswer)};
    key(Qt::Key_X, Qt::AltModifier);
    QCOMPARE(prompts_.questions, QStringList{Document::kSaveQuestion});
    QCOMPARE(form_->isVisible(), !closes);
    QCOMPARE(QFile::exists(path("out.txt")), written);
    if (!closes) {
        QCOMPARE(form_->RichEdit1->text(), QStringLiteral("text"));
        QVERIFY(form_->RichEdit1->modified());
    }
}

// The ways a user closes the main window.
enum class CloseRoute { Menu, Shortcut, ToolButton, CloseBox };

void TestDocumentGui::failedSaveKeepsWindow_data() {
    QTest::addColumn<CloseRoute>("route");
    QTest::addColumn<bool>("bound");
    QTest::addColumn<QString>("message");
    const std::pair<CloseRoute, const char*> routes[] = {{CloseRoute::Menu, "menu"},
                                                         {CloseRoute::Shortcut, "Alt+X"},
                                                         {CloseRoute::ToolButton, "tool button"},
                                                         {CloseRoute::CloseBox, "close box"}};
    for (const auto& [route, name] : routes) {
        QTest::addRow("%s, bound file became a folder", name)
            << route << true << QStringLiteral("File access denied");
        QTest::addRow("%s, save dialog cancelled", name) << route << false << QString();
    }
}

// Yes at the close question, then a save that fails or is cancelled: the window stays open with
// its text, title, binding and modified flag. A later No still closes it.
void TestDocumentGui::failedSaveKeepsWindow() {
    QFETCH(CloseRoute, route);
    QFETCH(bool, bound);
    QFETCH(QString, message);
    const QString file = path("f.txt");
    QDir(file).removeRecursively(); // left by an earlier row
    writeBytes(file, "old\r\n");
    if (bound) {
        prompts_.openAnswers = {file};
        key(Qt::Key_O, Qt::ControlModifier);
    }
    typeText(editor(), QStringLiteral("typed "));
    const QString text = form_->RichEdit1->text();
    const QString title = form_->windowTitle();
    if (bound) {
        QVERIFY(QFile::remove(file));
        QVERIFY(QDir().mkdir(file));
    }
    const auto closeWindow = [&] {
        switch (route) {
        case CloseRoute::Menu:
            form_->N10->trigger();
            break;
        case CloseRoute::Shortcut:
            key(Qt::Key_X, Qt::AltModifier);
            break;
        case CloseRoute::ToolButton:
            form_->RzToolButton5->click();
            break;
        case CloseRoute::CloseBox: {
            // What the platform sends for the close box, Alt+F4 or the window menu's Close.
            QCloseEvent event;
            QApplication::sendEvent(form_->windowHandle(), &event);
            break;
        }
        }
    };
    prompts_.answers = {mrYes};
    closeWindow();
    QCOMPARE(prompts_.questions, QStringList{Document::kSaveQuestion});
    QCOMPARE(errors_, message.isEmpty() ? QStringList() : QStringList{message});
    errors_.clear();
    QVERIFY(form_->isVisible());
    QCOMPARE(form_->RichEdit1->text(), text);
    QCOMPARE(form_->windowTitle(), title);
    QCOMPARE(form_->document().HasFileName(), bound);
    QVERIFY(form_->RichEdit1->modified());
    QVERIFY(QFileInfo(file).isDir() == bound);

    prompts_.answers = {mrNo};
    closeWindow();
    QVERIFY(!form_->isVisible());
    QCOMPARE(prompts_.questions.size(), 2);
}

void TestDocumentGui::openErrorReachesErrorBox_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << "missing.txt"
                                  << "File not found";
    QTest::newRow("missing folder") << "no folder/missing.txt"
                                    << "Invalid filename";
}

void TestDocumentGui::openErrorReachesErrorBox() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    typeText(editor(), QStringLiteral("keep"));
    prompts_.answers = {mrNo};
    prompts_.openAnswers = {dir_.filePath(name)};
    key(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(errors_, QStringList{message});
    errors_.clear();
    QCOMPARE(form_->windowTitle(), Document::kNewFileTitle);
    QCOMPARE(form_->RichEdit1->text(), QStringLiteral("keep"));
    QVERIFY(form_->RichEdit1->modified());
}

void TestDocumentGui::fileOnTheCommandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("bound"); // the file name in the title; empty when unbound
    QTest::addColumn<QString>("error");
    const QString lines = QStringLiteral("строка\r\nвторая\r\n");
    QTest::newRow("none") << QStringList{"zelto"} << QString() << QString() << QString();
    QTest::newRow("a file; later arguments ignored")
        << QStringList{"zelto", path("cl.txt"), path("missing.txt")} << lines << "cl.txt"
        << QString();
    QTest::newRow("relative to the working folder")
        << QStringList{"zelto", "cl.txt"} << lines << "cl.txt" << QString();
    QTest::newRow("after --") << QStringList{"zelto", "--", "cl.txt"} << lines << "cl.txt"
                              << QString();
    QTest::newRow("missing") << QStringList{"zelto", path("missing.txt")} << QString() << QString()
                             << "File not found";
    QTest::newRow("a folder") << QStringList{"zelto", dir_.path()} << QString() << QString()
                              << "File access denied";
    // Refused at once: reading a pipe would wait for a writer that may never come.
    QTest::newRow("a pipe") << QStringList{"zelto", path("pipe")} << QString() << QString()
                            << "«" + path("pipe") +
                                   "» — не обычный файл, а именованный канал. Zelto открывает и "
                                   "сохраняет только обычные файлы.";
}

void TestDocumentGui::fileOnTheCommandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, text);
    QFETCH(QString, bound);
    QFETCH(QString, error);
    writeBytes(path("cl.txt"), Cp1251::encode(QStringLiteral("строка\r\nвторая")));
    ::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600);
    const QString startFolder = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    form_.create(prompts_);
    showMainWindow(*form_, prompts_, arguments);
    QDir::setCurrent(startFolder);
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QTRY_COMPARE(errors_, error.isEmpty() ? QStringList() : QStringList{error});
    errors_.clear();

    QVERIFY(form_->isMaximized());
    QCOMPARE(form_->RichEdit1->text(), text);
    QCOMPARE(form_->windowTitle(),
             Document::TitlePrefix + (bound.isEmpty() ? "Новый файл" : bound));
    QCOMPARE(form_->document().HasFileName(), !bound.isEmpty());
    if (!bound.isEmpty()) {
        QCOMPARE(form_->document().CurrentFileName(), path("cl.txt"));
        QCOMPARE(form_->document().format(), DocFormat::PlainText);
    }
    QVERIFY(!form_->RichEdit1->modified());
    QVERIFY(prompts_.openDialogNames.isEmpty());
    // The window is usable afterwards: typing goes into the editor.
    typeText(editor(), QStringLiteral("x"));
    QCOMPARE(form_->RichEdit1->text(), QStringLiteral("x") + text);
}

void TestDocumentGui::freshTextTakesTheDefaultFormat_data() {
    QTest::addColumn<bool>("open");
    QTest::newRow("typed after New") << false;
    QTest::newRow("opened") << true;
}

void TestDocumentGui::freshTextTakesTheDefaultFormat() {
    // Nothing of the old document's formatting reaches the new text: not on screen, not in the
    // saved file.
    QFETCH(bool, open);
    writeBytes(path("plain.txt"), "first\r\nsecond\r\n");
    typeText(editor(), QStringLiteral("word"));
    key(Qt::Key_A, Qt::ControlModifier);
    QTest::mouseClick(form_->RzToolButton9, Qt::LeftButton);
    QCOMPARE(form_->RichEdit1->selStyles(), FontStyles(fsBold));
    prompts_.answers = {mrNo};
    if (open) {
        prompts_.openAnswers = {path("plain.txt")};
        key(Qt::Key_O, Qt::ControlModifier);
    } else {
        key(Qt::Key_N, Qt::ControlModifier);
        typeText(editor(), QStringLiteral("first\nsecond"));
    }
    form_->RichEdit1->select(0, 1);
    QCOMPARE(form_->RichEdit1->selStyles(), FontStyles());
    prompts_.saveAnswers = {path("fresh.rtf")};
    key(Qt::Key_S, Qt::ControlModifier);
    const RtfDocument read = RtfReader::read(readBytes(path("fresh.rtf")));
    QVERIFY(read.ok);
    QCOMPARE(read.paragraphs.value(1).text, QStringLiteral("second"));
    for (const RtfParagraph& p : read.paragraphs) {
        for (const RtfChar& c : p.chars) {
            QVERIFY2(!c.b, qPrintable(p.text));
        }
    }
}

void TestDocumentGui::realDialogs() {
    AppPrompts real;
    makeForm(real);
    QFile file(path("real.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Cp1251::encode(QStringLiteral("строка\r\n")));
    file.close();
    typeText(editor(), QStringLiteral("x"));

    QStringList seen;
    // The question: answered No in the real message dialog.
    QTimer::singleShot(0, this, [&] {
        auto* message = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
        QVERIFY(message != nullptr);
        seen.append(message->windowTitle());
        // Then the open dialog, which comes up as soon as the question is answered.
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            seen.append(dialog->nameFilters());
            seen.append(dialog->selectedNameFilter());
            const auto* label = dialog->findChild<QLabel*>(QStringLiteral("fileNameLabel"));
            seen.append(label != nullptr ? label->text() : QString());
            dialog->selectFile(path("real.txt"));
            static_cast<QDialog*>(dialog)->accept();
        });
        message->button(mbNo)->click();
    });
    key(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(seen.value(0), QStringLiteral("Confirm"));
    QCOMPARE(seen.mid(1, 3),
             (QStringList{".rtf (*.rtf)", "Текстовые файлы (*.txt)", "Все файлы (*)"}));
    QCOMPARE(seen.value(4), QStringLiteral(".rtf (*.rtf)"));
    QVERIFY2(seen.value(5).contains(QStringLiteral("файла")), qPrintable(seen.value(5)));
    QCOMPARE(form_->RichEdit1->text(), QStringLiteral("строка\r\n"));
    QCOMPARE(form_->windowTitle(), Document::TitlePrefix + QStringLiteral("real.txt"));

    // "Сохранить...": one filter for .rtf files; a name typed without an extension is kept.
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QStringList saveFilters;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        saveFilters = dialog->nameFilters();
        dialog->selectFile(path("plain"));
        static_cast<QDialog*>(dialog)->accept();
    });
    key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(saveFilters, QStringList{".rtf (*.rtf)"});
    QVERIFY(QFile::exists(path("plain")));
    QCOMPARE(form_->windowTitle(), Document::TitlePrefix + QStringLiteral("plain"));
    form_.reset(); // before the prompts it uses
}

// The file commands that report progress and can be cancelled half-way.
enum class LongWork {
    Open,
    SaveAsRtf,
    SaveAfterYesToNew,
    SaveInPlaceAfterYesToNew, // the file has a second link: its old bytes are copied aside first
    SaveAfterYesToOpen,
    SaveAfterYesToClose
};

void TestDocumentGui::cancelledLongWorkChangesNothing_data() {
    QTest::addColumn<LongWork>("work");
    QTest::addColumn<int>("cancelAt");
    const std::pair<LongWork, const char*> works[] = {
        {LongWork::Open, "open"},
        {LongWork::SaveAsRtf, "save as RTF"},
        {LongWork::SaveAfterYesToNew, "save after Yes to New"},
        {LongWork::SaveInPlaceAfterYesToNew, "save in place after Yes to New"},
        {LongWork::SaveAfterYesToOpen, "save after Yes to Open"},
        {LongWork::SaveAfterYesToClose, "save after Yes to the close box"}};
    for (const auto& [work, name] : works) {
        QTest::addRow("%s, first chunk", name) << work << 1;
        QTest::addRow("%s, when all is done", name) << work << ScriptedPrompts::kCancelWhenDone;
    }
}

// Cancelled at any chunk, even once everything was read or written, an open changes nothing and a
// save leaves the old file whole, the document modified and bound as before, and the window open;
// no error is shown. A close that arrives while the work reports progress is refused.
void TestDocumentGui::cancelledLongWorkChangesNothing() {
    QFETCH(LongWork, work);
    QFETCH(int, cancelAt);
    QTemporaryDir dir;
    const QString bigFile = dir.filePath(QStringLiteral("big.txt"));
    const QString rtfFile = dir.filePath(QStringLiteral("old.rtf"));
    QByteArray big; // over two megabytes: read and written in several chunks
    for (int i = 0; big.size() < 2'500'000; ++i) {
        big += "line " + QByteArray::number(i) + " of a long text\r\n";
    }
    writeBytes(bigFile, big);
    writeBytes(rtfFile, "old");
    const QString copies = dir.filePath(QStringLiteral("cache"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(copies));
    if (work == LongWork::SaveInPlaceAfterYesToNew) {
        QVERIFY(::link(QFile::encodeName(bigFile).constData(),
                       QFile::encodeName(dir.filePath(QStringLiteral("second"))).constData()) == 0);
    }
    if (work == LongWork::Open) {
        typeText(editor(), QStringLiteral("typed"));
    } else {
        prompts_.openAnswers = {bigFile};
        key(Qt::Key_O, Qt::ControlModifier);
        typeText(editor(), QStringLiteral("x"));
    }
    const QString text = form_->RichEdit1->text();
    const QString title = form_->windowTitle();
    const bool bound = form_->document().HasFileName();
    prompts_.progressTasks.clear();
    prompts_.cancelAtStep = cancelAt;
    prompts_.progressSteps = 0;
    prompts_.answers = {work == LongWork::Open ? mrNo : mrYes};
    prompts_.openAnswers = {bigFile};
    prompts_.saveAnswers = {rtfFile};
    if (work != LongWork::SaveAfterYesToClose) { // a close within a close: see the next test
        prompts_.duringProgress = [this] {
            QCloseEvent event;
            QApplication::sendEvent(form_->windowHandle(), &event);
        };
    }
    switch (work) {
    case LongWork::Open:
    case LongWork::SaveAfterYesToOpen:
        key(Qt::Key_O, Qt::ControlModifier);
        break;
    case LongWork::SaveAsRtf:
        key(Qt::Key_S, Qt::ControlModifier);
        break;
    case LongWork::SaveAfterYesToNew:
    case LongWork::SaveInPlaceAfterYesToNew:
        key(Qt::Key_N, Qt::ControlModifier);
        break;
    case LongWork::SaveAfterYesToClose: {
        QCloseEvent event;
        QApplication::sendEvent(form_->windowHandle(), &event);
        break;
    }
    }
    QCOMPARE(prompts_.progressTasks,
             QList<ProgressTask>{work == LongWork::Open ? ProgressTask::Open : ProgressTask::Save});
    QVERIFY(prompts_.progressSteps > 0);
    // The command's own question only.
    QCOMPARE(prompts_.questions.size(), work == LongWork::SaveAsRtf ? 0 : 1);
    QVERIFY(form_->isVisible());
    QCOMPARE(form_->RichEdit1->text(), text);
    QCOMPARE(form_->windowTitle(), title);
    QCOMPARE(form_->document().HasFileName(), bound);
    QVERIFY(form_->RichEdit1->modified());
    QCOMPARE(readBytes(bigFile), big);
    QCOMPARE(readBytes(rtfFile), QByteArray("old"));
    QStringList files{"big.txt", "old.rtf"};
    if (work == LongWork::SaveInPlaceAfterYesToNew) {
        files << "second";
    }
    // No temporary file left behind, nor a private copy.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), files);
    QCOMPARE(QDir(copies + QStringLiteral("/zelto")).entryList(QDir::Files | QDir::Hidden),
             QStringList());
}

// The progress dialog of the real prompts: never for short work; for long work, over the main
// window, which it blocks, with the program's name, what it does, and a Cancel button that works.
// While it lasts, the window refuses to close.
void TestDocumentGui::progressDialogOnlyForLongWork() {
    struct Watch : QObject {
        int shown = 0;
        bool eventFilter(QObject* watched, QEvent* event) override {
            shown += event->type() == QEvent::Show && qobject_cast<QProgressDialog*>(watched);
            return false;
        }
    } watch;
    qApp->installEventFilter(&watch);
    AppPrompts real;
    makeForm(real);
    writeBytes(path("short.txt"), "short\r\n");
    form_->document().openFile(path("short.txt"));
    form_->RichEdit1->setModified(true);
    QVERIFY(form_->document().SaveDocument());
    QCOMPARE(watch.shown, 0);

    std::unique_ptr<Progress> progress = real.startProgress(ProgressTask::Save);
    const auto closeBox = [this] {
        QCloseEvent event;
        QApplication::sendEvent(form_->windowHandle(), &event);
    };
    closeBox();
    QVERIFY(form_->isVisible());
    progress->begin(100);
    QTest::qWait(100);
    QVERIFY(progress->advance(1)); // a hundredth in a tenth of a second: long work
    auto* dialog = form_->findChild<QProgressDialog*>();
    QVERIFY(dialog != nullptr && dialog->isVisible());
    QCOMPARE(watch.shown, 1);
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QCOMPARE(dialog->windowTitle(), Application::title());
    QCOMPARE(dialog->labelText(), QStringLiteral("Сохранение файла…"));
    auto* cancel = dialog->findChild<QPushButton*>();
    QCOMPARE(cancel->text(), QStringLiteral("Отмена"));
    cancel->click();
    QVERIFY(!progress->advance(2));
    progress.reset();
    closeBox();
    QVERIFY(!form_->isVisible());
    qApp->removeEventFilter(&watch);
    form_.reset(); // before the prompts it uses
}

QTEST_MAIN(TestDocumentGui)
#include "tst_document_gui.moc"
