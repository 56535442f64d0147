// A record replayed gives the document as it stood at each commit, blocks, formats and lists
// alike, and a record cut short or damaged anywhere gives an earlier such state, never garbage.
#include "CancellingPrompts.h"
#include "Document.h"
#include "EditorRecorder.h"
#include "Positions.h"
#include "RecordReader.h"
#include "RecoveryOffer.h"
#include "RichEdit.h"
#include "RtfWriter.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <functional>
#include <map>

namespace {

using Step = std::function<void(RichEdit&, Document&)>;

void typeAt(RichEdit& e, int at, const QString& text, int replacing = 0) {
    e.select(Position(at), replacing);
    e.replaceSelection(text);
}

QString words(int n) {
    QString s;
    for (int i = 0; i < n; ++i) {
        s += QStringLiteral("слово%1 ").arg(i % 97);
    }
    return s;
}

const std::map<QString, std::vector<Step>>& scenarios() {
    static const std::map<QString, std::vector<Step>> table = {
        {"typing bursts",
         {[](RichEdit& e, Document&) { typeAt(e, 0, "Hello"); },
          [](RichEdit& e, Document&) { typeAt(e, 5, ", world\r\nsecond paragraph\r\n\r\nlast"); },
          [](RichEdit& e, Document&) { typeAt(e, 3, "XYZ"); },
          [](RichEdit& e, Document&) { typeAt(e, 4, "", 20); }, // across paragraph breaks
          [](RichEdit& e, Document&) { typeAt(e, 0, "new", 2); }}},
        {"formatting",
         {[](RichEdit& e, Document&) { e.setText("first line\r\nsecond line\r\nthird"); },
          [](RichEdit& e, Document&) {
              e.select(Position(2), 10);
              e.setSelStyles(fsBold | fsItalic);
              e.setSelColor(QColor(200, 10, 30));
          },
          [](RichEdit& e, Document&) {
              e.select(Position(14), 12);
              e.setSelFaceName("Arial");
              e.setSelSizeTwips(360);
              e.setSelStyles(fsUnderline);
              e.setParaAlignment(ParaAlignment::Center);
              e.setParaStartIndent(400);
              e.setParaOffset(-200);
              e.setParaRightIndent(300);
          },
          [](RichEdit& e, Document&) { typeAt(e, 5, "inside"); },
          [](RichEdit& e, Document&) {
              e.selectAll();
              e.setParaAlignment(ParaAlignment::Right);
          }}},
        {"bullets and paste",
         {[](RichEdit& e, Document&) { e.setText("one\r\ntwo\r\nthree\r\nfour"); },
          [](RichEdit& e, Document&) {
              e.select(Position(5), 8);
              e.setParaNumbering(ParaNumbering::Bullet);
          },
          [](RichEdit& e, Document&) { typeAt(e, 7, "\r\nnew item"); },
          [](RichEdit& e, Document&) {
              e.select(Position(0), 12);
              e.setSelStyles(fsBold);
              e.copy();
              e.setSelStart(Position(e.textLength()));
              e.paste();
          },
          [](RichEdit& e, Document&) {
              e.select(Position(6), 0);
              e.setParaNumbering(ParaNumbering::None);
          }}},
        {"undo",
         {[](RichEdit& e, Document&) { e.setText("alpha beta\r\ngamma"); },
          [](RichEdit& e, Document&) {
              e.select(Position(0), 5);
              e.setSelStyles(fsItalic);
              typeAt(e, 11, "delta ");
              e.select(Position(0), 0);
              e.setParaNumbering(ParaNumbering::Bullet);
          },
          [](RichEdit& e, Document&) {
              e.undo();
              e.undo();
          },
          [](RichEdit& e, Document&) { e.undo(); }}},
        {"a paragraph in pieces",
         {[](RichEdit& e, Document&) { e.setText("head\r\n" + words(6000) + "\r\ntail"); },
          [](RichEdit& e, Document&) { typeAt(e, 30000, "typed in the middle "); },
          [](RichEdit& e, Document&) {
              e.select(Position(20000), 9000);
              e.setSelStyles(fsBold);
              e.setParaAlignment(ParaAlignment::Center);
          },
          [](RichEdit& e, Document&) { typeAt(e, 10000, "", 30000); }}},
        {"an opened file",
         {[](RichEdit& e, Document& d) {
              const QString name = QDir::temp().filePath(QStringLiteral("zelto-record-base.txt"));
              QFile f(name);
              QVERIFY(f.open(QIODevice::WriteOnly));
              f.write("line one\r\nline two\r\n" + words(100).toUtf8());
              f.close();
              d.openFile(name);
              typeAt(e, 3, "typed");
          },
          [](RichEdit& e, Document&) {
              e.select(Position(0), 12);
              e.setSelStyles(fsBold);
          }}},
    };
    return table;
}

// The document's blocks, each with its block format (its list left out: list objects differ
// between documents), block character format, whether it is in a list, and its text as runs of
// one character format each. Formats count as the same by their properties, in whatever order
// they were set (Qt's own comparison minds the order).
QStringList dump(const QTextDocument& doc) {
    QStringList out;
    QList<std::pair<int, QMap<int, QVariant>>> formats;
    const auto id = [&formats](QTextFormat f) {
        f.clearProperty(QTextFormat::ObjectIndex);
        const std::pair<int, QMap<int, QVariant>> key{f.type(), f.properties()};
        qsizetype i = formats.indexOf(key);
        if (i < 0) {
            formats.append(key);
            i = formats.size() - 1;
        }
        return QString::number(i);
    };
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QString line = id(b.blockFormat()) + '/' + id(b.charFormat()) +
                       (b.textList() != nullptr ? "*" : "") + ':';
        QString last;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QString format = id(it.fragment().charFormat());
            line += (format == last ? QString() : '[' + format + ']') + it.fragment().text();
            last = format;
        }
        out << line;
    }
    return out;
}

} // namespace

class TestRecorder : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void replayGivesEachCommittedState_data();
    void replayGivesEachCommittedState();
    void randomEditsReplay();
    void cutOrDamagedRecordGivesAnEarlierState();

private:
    std::unique_ptr<QTextDocument> replay(const QByteArray& record);
    void checkReplay(const QString& step);

    std::unique_ptr<QTemporaryDir> dir_;
    CancellingPrompts prompts_;
    std::unique_ptr<RichEdit> edit_;
    std::unique_ptr<Document> document_;
    std::unique_ptr<Recorder> recorder_;
};

void TestRecorder::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    edit_ = std::make_unique<RichEdit>();
    document_ = std::make_unique<Document>(*edit_, prompts_);
    recorder_ = std::make_unique<EditorRecorder>(
        *edit_, *document_, prompts_,
        RecordFolder(dir_->filePath(QStringLiteral("zelto/recovery")), dir_->path()));
}

void TestRecorder::cleanup() {
    recorder_.reset();
    document_.reset();
    edit_.reset();
    // A normal end leaves nothing behind.
    QCOMPARE(QDir(dir_->filePath(QStringLiteral("zelto/recovery")))
                 .entryList(QDir::Files | QDir::Hidden)
                 .size(),
             0);
}

std::unique_ptr<QTextDocument> TestRecorder::replay(const QByteArray& record) {
    QBuffer buffer;
    buffer.setData(record);
    buffer.open(QIODevice::ReadOnly);
    RecordReader reader(buffer);
    if (reader.empty()) {
        return nullptr;
    }
    return reader.replay(recordBase(*edit_, prompts_));
}

void TestRecorder::checkReplay(const QString& step) {
    recorder_->flushNow();
    QFile file(recorder_->recordPath());
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(step));
    const std::unique_ptr<QTextDocument> doc = replay(file.readAll());
    QVERIFY2(doc, qPrintable(step));
    QCOMPARE(RtfWriter::toRtf(*doc), RtfWriter::toRtf(*edit_->document()));
    QCOMPARE(dump(*doc), dump(*edit_->document()));
}

void TestRecorder::replayGivesEachCommittedState_data() {
    QTest::addColumn<QString>("scenario");
    for (const auto& [name, steps] : scenarios()) {
        QTest::newRow(qPrintable(name)) << name;
    }
}

void TestRecorder::replayGivesEachCommittedState() {
    QFETCH(QString, scenario);
    int n = 0;
    for (const Step& step : scenarios().at(scenario)) {
        step(*edit_, *document_);
        checkReplay(QStringLiteral("step %1").arg(++n));
        if (QTest::currentTestFailed()) {
            return;
        }
    }
}

void TestRecorder::randomEditsReplay() {
    // Many scattered changes between commits: more stretches than are kept apart, which then
    // merge.
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    edit_->setText(words(400).replace(QLatin1String("7 "), QLatin1String("7\r\n")));
    for (int i = 0; i < 300; ++i) {
        const int length = edit_->textLength();
        const int at = random.bounded(length + 1);
        const int span = random.bounded(std::min(40, length - at) + 1);
        switch (random.bounded(5)) {
        case 0:
            typeAt(*edit_, at, random.bounded(4) == 0 ? "\r\n" : "ab", span);
            break;
        case 1:
            edit_->select(Position(at), span);
            edit_->setSelStyles(FontStyles(random.bounded(8)));
            break;
        case 2:
            edit_->select(Position(at), span);
            edit_->setParaNumbering(random.bounded(2) ? ParaNumbering::Bullet
                                                      : ParaNumbering::None);
            break;
        case 3:
            edit_->select(Position(at), span);
            edit_->setParaAlignment(ParaAlignment(random.bounded(3)));
            break;
        default:
            edit_->undo();
        }
        if (i % 23 == 22) {
            checkReplay(QStringLiteral("seed %1, edit %2").arg(seed).arg(i));
            if (QTest::currentTestFailed()) {
                return;
            }
        }
    }
}

void TestRecorder::cutOrDamagedRecordGivesAnEarlierState() {
    // The document at each commit, by the commit's sequence number.
    std::map<quint64, QByteArray> states;
    connect(recorder_.get(), &Recorder::committing, this,
            [&](quint64 sequence) { states[sequence] = RtfWriter::toRtf(*edit_->document()); });
    for (const Step& step : scenarios().at("formatting")) {
        step(*edit_, *document_);
        recorder_->flushNow();
    }
    QFile file(recorder_->recordPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
        for (const bool damage : {false, true}) {
            QByteArray bytes = whole.left(cut);
            if (damage && cut < whole.size()) {
                bytes = whole;
                bytes[cut] = static_cast<char>(bytes[cut] ^ 0x20);
            }
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::ReadOnly);
            try {
                RecordReader reader(buffer);
                if (reader.empty()) {
                    continue;
                }
                const QByteArray rtf =
                    RtfWriter::toRtf(*reader.replay(recordBase(*edit_, prompts_)));
                QVERIFY2(rtf == states.at(reader.commit().sequence),
                         qPrintable(QStringLiteral("cut at %1 of %2").arg(cut).arg(whole.size())));
            } catch (const RecordError&) {
                // Only the magic line itself, damaged, makes a record unreadable.
                QVERIFY2(damage && cut < Record::kMagic.size(), qPrintable(QString::number(cut)));
            }
        }
    }
}

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"
