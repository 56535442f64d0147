// The whole life of a document, a thousand times over: open, edit, find, format, the save after
// the question and the RTF save. Memory must not grow with the number of cycles.
#include "CharFormatter.h"
#include "Cp1251.h"
#include "Document.h"
#include "Errors.h"
#include "FileBytes.h"
#include "Finder.h"
#include "ParaFormatter.h"
#include "RichEdit.h"
#include "ScriptedPrompts.h"
#include "TextCommands.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <memory>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define ZELTO_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELTO_UNDER_ASAN 1
#endif
#endif

namespace {

// Resident memory of this process in bytes.
qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

#ifdef ZELTO_UNDER_ASAN
// Under AddressSanitizer freed memory stays in quarantine, so resident memory says nothing; the
// leak checker at exit does the job, and fewer cycles keep the run short.
constexpr int kCycles = 200;
constexpr bool kMeasure = false;
#else
constexpr int kCycles = 1000;
constexpr bool kMeasure = true;
#endif
constexpr int kWarmUp = 100;

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void cyclesDoNotGrowMemory();
};

void TestSoak::cyclesDoNotGrowMemory() {
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("документ.txt"));
    const QString rtf = dir.filePath(QStringLiteral("документ.rtf"));
    QByteArray original;
    for (int i = 0; i < 200; ++i) {
        original += Cp1251::encode(QStringLiteral("Строка %1:  текст   с пробелами\r\n").arg(i));
    }

    RichEdit editor;
    editor.widget()->resize(700, 500);
    editor.widget()->show();
    ScriptedPrompts prompts;
    Document document(editor, prompts);
    Finder finder(editor, prompts);
    TextCommands commands(editor);
    CharFormatter chars(editor, prompts);
    ParaFormatter paras(editor);
    document.formShow();
    QStringList reported;
    setErrorReporter([&reported](const QString& message) { reported.append(message); });

    qint64 baseline = 0;
    QElapsedTimer clock;
    clock.start();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        writeBytes(text, original);
        prompts.openAnswers = {text};
        runGuarded([&] { document.open(); });
        QCOMPARE(editor.document()->blockCount(), 201);

        // Edit.
        editor.setSelStart(cycle % 500);
        editor.replaceSelection(QStringLiteral("вставка  номер %1\n").arg(cycle));
        commands.insertStamp();
        commands.removeExtraSpaces();
        // Find, each way of matching case.
        finder.FindPos = 0;
        QVERIFY(finder.findNext(QStringLiteral("строка 1"), false));
        QVERIFY(finder.findNext(QStringLiteral("Строка"), true));
        // Format the found text and its paragraph.
        chars.toggleStyle(fsBold);
        chars.applySizeText(QString::number(8 + cycle % 20));
        chars.applyColor(QColor::fromRgb(0x800000 + cycle));
        chars.applyFaceName(cycle % 2 ? QStringLiteral("Arial") : QStringLiteral("Courier New"));
        paras.setAlignment(static_cast<ParaAlignment>(cycle % 3));
        paras.toggleBullet();
        paras.applyDialog(cycle % 3, QStringLiteral("5"), QStringLiteral("3"),
                          QString::number(cycle % 40));
        editor.undo();

        // The save after the question writes the bound file; then the RTF save.
        prompts.answers = {mrYes};
        editor.setModified(true);
        runGuarded([&] { QVERIFY(document.queryClose()); });
        prompts.saveAnswers = {rtf};
        runGuarded([&] { document.saveAs(); });
        QVERIFY2(reported.isEmpty(), qPrintable(reported.join('|')));

        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        if (cycle == kWarmUp - 1) {
            baseline = residentBytes();
        }
    }
    const qint64 end = residentBytes();
    setErrorReporter(nullptr);
    qInfo("%d cycles in %lld ms; resident memory after %d cycles %lld KB, at the end %lld KB",
          kCycles, clock.elapsed(), kWarmUp, baseline / 1024, end / 1024);
    QVERIFY(QFile(rtf).size() > 0);
    if (kMeasure) {
        // A document kept per cycle would cost far more than this over 900 cycles.
        QVERIFY2(end - baseline < 8 * 1024 * 1024,
                 qPrintable(QStringLiteral("grew by %1 KB").arg((end - baseline) / 1024)));
    }
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
