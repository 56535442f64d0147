#include "ExtraSpaces.h"
#include "RichEdit.h"
#include "TextCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <functional>
#include <memory>

namespace {

// The removal as a plain string operation, one character at a time with a run counter: the
// reference the editor's result is checked against.
QString squeezeReference(const QString& text) {
    QString out;
    int run = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ')) {
            if (run++ == 0) {
                out.append(c);
            }
        } else {
            out.append(c);
            run = 0;
        }
    }
    return out;
}

bool boldAt(QTextDocument* doc, int qtPosition) {
    QTextCursor c(doc);
    c.setPosition(qtPosition + 1);
    return c.charFormat().fontWeight() > QFont::Normal;
}

} // namespace

class TestTextCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void removeExtraSpaces_data();
    void removeExtraSpaces();
    void removalWithoutRunsTouchesNothing_data();
    void removalWithoutRunsTouchesNothing();
    void removalKeepsFormatting_data();
    void removalKeepsFormatting();
    void removalMatchesReferenceOnMixedFormats_data();
    void removalMatchesReferenceOnMixedFormats();
    void removalKeepsSelectionOnSameCharacters();
    void stampReplacesSelection();
    void separatorRereadOnLocaleChange();
    void eachCommandIsOneUndoStep_data();
    void eachCommandIsOneUndoStep();
    void clearThenUndoCountsAsModified();
    void pasteKeepsFormattingDropsImages_data();
    void pasteKeepsFormattingDropsImages();
    void pasteFlattensStructure_data();
    void pasteFlattensStructure();
    void pasteWithinProgramKeepsIndentsExactly();
    void pasteOfImageOnlyDoesNothing();

private:
    // Puts html on the clipboard and pastes it between the two characters of "xx".
    void pasteHtmlInsideXx(const QString& html);

    std::unique_ptr<RichEdit> edit_;
    std::unique_ptr<TextCommands> commands_;
};

void TestTextCommands::init() {
    edit_ = std::make_unique<RichEdit>();
    commands_ = std::make_unique<TextCommands>(*edit_);
    commands_->setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(22, 14, 27, 512)); });
    commands_->setSeparatorReader([] { return QLatin1Char(':'); });
}

void TestTextCommands::cleanup() {
    commands_.reset();
    edit_.reset();
}

void TestTextCommands::pasteHtmlInsideXx(const QString& html) {
    auto* mime = new QMimeData;
    mime->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(mime);
    edit_->setText("xx");
    edit_->setSelStart(1);
    commands_->paste();
}

void TestTextCommands::removeExtraSpaces_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("two spaces") << "a  b"
                                << "a b";
    QTest::newRow("three at line start") << "   x"
                                         << " x";
    QTest::newRow("run at line end") << "x   \r\ny"
                                     << "x \r\ny";
    QTest::newRow("break ends a run") << "a \r\n b"
                                      << "a \r\n b";
    QTest::newRow("tab between spaces") << "a \t b"
                                        << "a \t b";
    QTest::newRow("tab between runs") << "a  \t  b"
                                      << "a \t b";
    QTest::newRow("no-break spaces stay")
        << QStringLiteral("a\u00a0\u00a0 \u00a0b") << QStringLiteral("a\u00a0\u00a0 \u00a0b");
    QTest::newRow("many runs, many paragraphs")
        << "  one  two   three  \r\n\r\n    \r\nfour     five"
        << " one two three \r\n\r\n \r\nfour five";
    QTest::newRow("only spaces") << "      "
                                 << " ";
}

void TestTextCommands::removeExtraSpaces() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    edit_->setText(before);
    commands_->removeExtraSpaces();
    QCOMPARE(edit_->text(), after);
    QCOMPARE(ExtraSpaces::squeezed(before), after);
}

void TestTextCommands::removalWithoutRunsTouchesNothing_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("single spaces") << "a b \r\n c d ";
    QTest::newRow("tabs and no-break spaces") << QStringLiteral("a\t\t\u00a0\u00a0b");
}

void TestTextCommands::removalWithoutRunsTouchesNothing() {
    QFETCH(QString, text);
    edit_->loadPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    edit_->select(0, 1);
    edit_->setSelStyles(fsBold);
    edit_->setModified(false);
    const int undoSteps = edit_->document()->availableUndoSteps();
    QCOMPARE(commands_->removeExtraSpaces(), 0);
    QVERIFY(!edit_->modified());
    QCOMPARE(edit_->document()->availableUndoSteps(), undoSteps);
    QCOMPARE(edit_->text(), text);
}

void TestTextCommands::removalKeepsFormatting_data() {
    // Few runs in a paragraph are deleted one by one, many are rebuilt piece by piece; both must
    // keep every format.
    QTest::addColumn<QString>("gap");
    QTest::newRow("one run per paragraph") << "  ";
    QTest::newRow("many runs per paragraph") << "  x  y  z  ";
}

void TestTextCommands::removalKeepsFormatting() {
    QFETCH(QString, gap);
    edit_->setText("plain" + gap + "bold" + gap + "red\r\ncentred" + gap + "end");
    const QString text = edit_->text();
    edit_->select(text.indexOf("bold"), 4);
    edit_->setSelStyles(fsBold);
    edit_->select(text.indexOf("red"), 3);
    edit_->setSelColor(Qt::red);
    edit_->setSelSizeTwips(360);
    edit_->setSelStart(text.indexOf("centred"));
    edit_->setParaAlignment(ParaAlignment::Center);
    edit_->setParaStartIndent(400);
    edit_->setSelStart(0);

    QVERIFY(commands_->removeExtraSpaces() > 0);
    const QString squeezed = ExtraSpaces::squeezed(text);
    QCOMPARE(edit_->text(), squeezed);
    edit_->select(squeezed.indexOf("bold"), 4);
    QCOMPARE(edit_->selStyles(), FontStyles(fsBold));
    edit_->select(squeezed.indexOf("red"), 3);
    QCOMPARE(edit_->selColor(), QColor(Qt::red));
    QCOMPARE(edit_->selSizeTwips(), 360);
    QCOMPARE(edit_->selStyles(), FontStyles());
    edit_->select(0, 5);
    QCOMPARE(edit_->selStyles(), FontStyles());
    QVERIFY(!edit_->selColor().isValid());
    edit_->setSelStart(squeezed.indexOf("centred"));
    QCOMPARE(edit_->paraAlignment(), ParaAlignment::Center);
    QCOMPARE(edit_->paraStartIndent(), 400);
    edit_->setSelStart(0);
    QCOMPARE(edit_->paraAlignment(), ParaAlignment::Left);

    // One step back restores the text with its formats.
    edit_->undo();
    QCOMPARE(edit_->text(), text);
    edit_->select(text.indexOf("bold"), 4);
    QCOMPARE(edit_->selStyles(), FontStyles(fsBold));
}

void TestTextCommands::removalMatchesReferenceOnMixedFormats_data() {
    QTest::addColumn<int>("paragraphLength");
    QTest::addColumn<int>("formatChanges");
    QTest::newRow("short paragraphs, dense formats") << 10 << 300;
    QTest::newRow("long paragraphs, sparse formats") << 80 << 40;
}

void TestTextCommands::removalMatchesReferenceOnMixedFormats() {
    // Random paragraphs of spaces, tabs and letters with bold scattered over them, so that runs
    // cross format changes: the result must be the reference text, every kept character keeping
    // its weight.
    QFETCH(int, paragraphLength);
    QFETCH(int, formatChanges);
    QRandomGenerator random(20261206);
    const QString alphabet = QStringLiteral("    \ta\u00a0b");
    QString source;
    for (int i = 0; i < 3000; ++i) {
        const bool breakHere = random.bounded(paragraphLength) == 0;
        source.append(breakHere ? QLatin1Char('\n') : alphabet[random.bounded(alphabet.size())]);
    }
    edit_->loadPlainText(source);
    QTextDocument* doc = edit_->document();
    QTextCursor c(doc);
    for (int i = 0; i < formatChanges; ++i) {
        const int at = random.bounded(doc->characterCount() - 8);
        c.setPosition(at);
        c.setPosition(at + 1 + random.bounded(6), QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setFontWeight(random.bounded(2) ? QFont::Bold : QFont::Normal);
        c.mergeCharFormat(f);
    }
    const QString before = doc->toRawText();
    std::vector<bool> weights;
    for (int i = 0; i < before.size(); ++i) {
        const bool extra = before[i] == QLatin1Char(' ') && i > 0 && before[i - 1] == ' ';
        if (!extra) {
            weights.push_back(boldAt(doc, i));
        }
    }
    edit_->setSelStart(edit_->textLength() / 2);

    commands_->removeExtraSpaces();
    const QString after = doc->toRawText();
    QCOMPARE(after, squeezeReference(before));
    QCOMPARE(after.size(), static_cast<qsizetype>(weights.size()));
    for (int i = 0; i < after.size(); ++i) {
        QVERIFY2(boldAt(doc, i) == weights[i], qPrintable(QString::number(i)));
    }
}

void TestTextCommands::removalKeepsSelectionOnSameCharacters() {
    edit_->setText("a  b  c  d  e  f\r\ng  h  i");
    edit_->select(6, 11); // "c  d  e  f" CR LF "g" ... from 'c' to 'g'
    const QString selected = edit_->selectedText();
    commands_->removeExtraSpaces();
    QCOMPARE(edit_->selectedText(), ExtraSpaces::squeezed(selected));
}

void TestTextCommands::stampReplacesSelection() {
    edit_->setText("before XXX after");
    edit_->select(7, 3);
    commands_->insertStamp();
    const QString stamp = QStringLiteral("06.12.2026 год. Время - 22:14:27 ");
    QCOMPARE(stamp.size(), 33);
    QCOMPARE(edit_->text(), "before " + stamp + " after");
    // A second stamp at the caret follows the first one's trailing space.
    commands_->insertStamp();
    QCOMPARE(edit_->text(), "before " + stamp + stamp + " after");
    edit_->undo();
    edit_->undo();
    QCOMPARE(edit_->text(), QStringLiteral("before XXX after"));
}

void TestTextCommands::separatorRereadOnLocaleChange() {
    QChar system = QLatin1Char('.');
    commands_->setSeparatorReader([&] { return system; });
    QCOMPARE(commands_->timeSeparator(), QChar(QLatin1Char('.')));
    system = QLatin1Char('-');
    QCOMPARE(commands_->timeSeparator(), QChar(QLatin1Char('.')));
    QEvent change(QEvent::LocaleChange);
    QCoreApplication::sendEvent(qApp, &change);
    QCOMPARE(commands_->timeSeparator(), QChar(QLatin1Char('-')));
    commands_->insertStamp();
    QCOMPARE(edit_->text(), QStringLiteral("06.12.2026 год. Время - 22-14-27 "));
    commands_->setSeparatorReader([] { return QLatin1Char(':'); });
}

void TestTextCommands::eachCommandIsOneUndoStep_data() {
    QTest::addColumn<std::function<void(TestTextCommands*, RichEdit&, TextCommands&)>>("action");
    using Action = std::function<void(TestTextCommands*, RichEdit&, TextCommands&)>;
    QTest::newRow("typing") << Action([](auto*, RichEdit& e, TextCommands&) {
        e.setSelStart(5);
        QTest::keyClicks(e.widget(), "typed words");
    });
    QTest::newRow("cut") << Action([](auto*, RichEdit& e, TextCommands& t) {
        e.select(2, 10);
        t.cut();
    });
    QTest::newRow("paste") << Action([](auto*, RichEdit& e, TextCommands& t) {
        QGuiApplication::clipboard()->setText("pasted\nlines");
        e.select(2, 3);
        t.paste();
    });
    QTest::newRow("stamp") << Action([](auto*, RichEdit&, TextCommands& t) { t.insertStamp(); });
    QTest::newRow("clear") << Action([](auto*, RichEdit&, TextCommands& t) { t.clear(); });
    QTest::newRow("formatting") << Action([](auto*, RichEdit& e, TextCommands& t) {
        t.selectAll();
        e.setSelStyles(fsBold | fsItalic);
    });
    QTest::newRow("extra spaces") << Action(
        [](auto*, RichEdit&, TextCommands& t) { QVERIFY(t.removeExtraSpaces() > 0); });
}

void TestTextCommands::eachCommandIsOneUndoStep() {
    using Action = std::function<void(TestTextCommands*, RichEdit&, TextCommands&)>;
    QFETCH(Action, action);
    const QString text = QStringLiteral("first  line\r\nsecond   line");
    edit_->loadPlainText("first  line\nsecond   line");
    action(this, *edit_, *commands_);
    QVERIFY(edit_->document()->isUndoAvailable());
    commands_->undo();
    QCOMPARE(edit_->text(), text);
    edit_->select(0, edit_->textLength());
    QCOMPARE(edit_->selStyles(), FontStyles());
    QVERIFY(!edit_->document()->isUndoAvailable());
}

void TestTextCommands::clearThenUndoCountsAsModified() {
    edit_->loadPlainText("saved text");
    commands_->clear();
    QCOMPARE(edit_->text(), QString());
    QVERIFY(!edit_->modified());
    commands_->undo();
    QCOMPARE(edit_->text(), QStringLiteral("saved text"));
    QVERIFY(edit_->modified());
}

void TestTextCommands::pasteKeepsFormattingDropsImages_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("text");
    QTest::newRow("bold and colour")
        << "<p>a <b>bold</b> <span style='color:#ff0000'>red</span></p>"
        << "xa bold redx";
    QTest::newRow("image dropped") << "<p>pic<img src='data:image/png;base64,'>ture</p>"
                                   << "xpicturex";
    QTest::newRow("outside the code page")
        << QStringLiteral("<p>\u20ac\u2713\u4e2d</p>") << QStringLiteral("x\u20ac??x");
}

void TestTextCommands::pasteKeepsFormattingDropsImages() {
    QFETCH(QString, html);
    QFETCH(QString, text);
    pasteHtmlInsideXx(html);
    QCOMPARE(edit_->text(), text);
    const int bold = text.indexOf("bold");
    if (bold >= 0) {
        edit_->select(bold, 4);
        QCOMPARE(edit_->selStyles(), FontStyles(fsBold));
        edit_->select(text.indexOf("red"), 3);
        QCOMPARE(edit_->selColor(), QColor(Qt::red));
    }
    commands_->undo();
    QCOMPARE(edit_->text(), QStringLiteral("xx"));
}

void TestTextCommands::pasteFlattensStructure_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("bullets");
    QTest::newRow("line break starts a paragraph") << "<p>one<br>two</p>"
                                                   << "xone\r\ntwox" << 0;
    QTest::newRow("table cells become paragraphs")
        << "<table><tr><td>a</td><td>b</td></tr><tr><td>c</td><td></td></tr></table>"
        << "xa\r\nb\r\nc\r\nx" << 0;
    QTest::newRow("every list item gets a bullet")
        << "<ul><li>one</li><li>two</li></ul><ol><li>three</li></ol>"
        << "x\r\none\r\ntwo\r\nthreex" << 3;
}

void TestTextCommands::pasteFlattensStructure() {
    QFETCH(QString, html);
    QFETCH(QString, text);
    QFETCH(int, bullets);
    pasteHtmlInsideXx(html);
    QCOMPARE(edit_->text(), text);
    // Positions stay in step with the text: no line separators inside a paragraph.
    QCOMPARE(edit_->textLength(), text.size());
    QVERIFY(edit_->document()->rootFrame()->childFrames().isEmpty());
    int found = 0;
    for (QTextBlock b = edit_->document()->begin(); b.isValid(); b = b.next()) {
        found += b.textList() != nullptr ? 1 : 0;
    }
    QCOMPARE(found, bullets);
}

void TestTextCommands::pasteWithinProgramKeepsIndentsExactly() {
    edit_->setText("first\r\nsecond");
    edit_->select(0, 7);
    edit_->setParaStartIndent(230);
    edit_->setParaOffset(170);
    edit_->setParaRightIndent(90);
    edit_->setSelStyles(fsItalic);
    edit_->setSelCharset(Charset::Russian);
    edit_->select(0, 13);
    commands_->copy();
    edit_->setSelStart(edit_->textLength());
    commands_->paste();
    QCOMPARE(edit_->text(), QStringLiteral("first\r\nsecondfirst\r\nsecond"));
    edit_->select(7, 6); // "second" now leads the pasted "first" paragraph
    QCOMPARE(edit_->paraStartIndent(), 230);
    QCOMPARE(edit_->paraOffset(), 170);
    QCOMPARE(edit_->paraRightIndent(), 90);
    edit_->select(13, 5);
    QCOMPARE(edit_->selStyles(), FontStyles(fsItalic));
    QCOMPARE(edit_->selCharset(), Charset::Russian);
    // Other programs get plain text and HTML.
    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(offered->text(), QStringLiteral("first\nsecond"));
    QVERIFY(offered->html().contains("first"));
}

void TestTextCommands::pasteOfImageOnlyDoesNothing() {
    auto* mime = new QMimeData;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    mime->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(mime);
    edit_->loadPlainText("text");
    commands_->paste();
    QCOMPARE(edit_->text(), QStringLiteral("text"));
    QVERIFY(!edit_->modified());
}

QTEST_MAIN(TestTextCommands)
#include "tst_textcommands.moc"
