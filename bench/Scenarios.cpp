#include "Scenarios.h"

#include "Corpus.h"
#include "Cp1251.h"
#include "DocumentLayout.h"
#include "Measure.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <string_view>

namespace {

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 900;

QString markerCased(bool matchCase) {
    const QString marker = QString::fromUtf16(Corpus::kMarker);
    return matchCase ? marker : marker.toUpper();
}

} // namespace

Scenarios::Scenarios(const QString& file, const QString& workDir)
    : file_(file), workDir_(workDir), window_(new QWidget) {
    auto* box = new QVBoxLayout(window_);
    box->setContentsMargins(0, 0, 0, 0);
    editor_ = new RichEdit(window_);
    box->addWidget(editor_->widget());
    document_ = new Document(*editor_, prompts_, window_);
    finder_ = new Finder(*editor_, prompts_);
    commands_ = new TextCommands(*editor_, window_);
    window_->resize(kWindowWidth, kWindowHeight);
    window_->show();
    document_->formShow();
    QApplication::processEvents();
    prompts_.openName = file_;
}

Scenarios::~Scenarios() {
    delete finder_;
    delete window_;
}

QStringList Scenarios::sessions() {
    return {QStringLiteral("view"),     QStringLiteral("edit"),   QStringLiteral("squeeze"),
            QStringLiteral("interact"), QStringLiteral("settle"), QStringLiteral("progress"),
            QStringLiteral("recovery"), QStringLiteral("quiet")};
}

void Scenarios::runSession(const QString& session, int runs, const Report& report) {
    if (session == QLatin1String("view")) {
        viewSession(runs, report);
    } else if (session == QLatin1String("edit")) {
        editSession(runs, report);
    } else if (session == QLatin1String("squeeze")) {
        squeezeSession(runs, report);
    } else if (session == QLatin1String("interact")) {
        interactSession(runs, report);
    } else if (session == QLatin1String("settle")) {
        settleSession(report);
    } else if (session == QLatin1String("progress")) {
        progressSession(runs, report);
    } else if (session == QLatin1String("quiet")) {
        quietSession(runs, report);
    } else if (session == QLatin1String("recovery")) {
        recoverySession(runs, report);
    } else {
        throw std::invalid_argument("unknown session: " + session.toStdString());
    }
}

// --- steps --------------------------------------------------------------------------------

void Scenarios::draw() {
    QApplication::processEvents();
    editor_->widget()->viewport()->repaint();
}

void Scenarios::open() {
    document_->open();
    draw();
}

void Scenarios::key(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QWidget* target = editor_->widget();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

void Scenarios::click(const QPoint& point) {
    QWidget* target = editor_->widget()->viewport();
    const QPointF global = target->mapToGlobal(QPointF(point));
    QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, point, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

void Scenarios::formatRichly() {
    // Every seventh paragraph gets character formats on a stretch of its text, every 21st is
    // centred, every 35th indented, every 49th starts three bulleted paragraphs: a document with
    // many runs and paragraph formats, as a long formatted text has.
    QTextDocument* doc = editor_->document();
    doc->setUndoRedoEnabled(false);
    window_->hide(); // the selections below would scroll the view each time

    const QColor colours[] = {Qt::darkRed, Qt::darkBlue, Qt::darkGreen};
    const QString faces[] = {QStringLiteral("Times New Roman"), QStringLiteral("Arial")};
    int n = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next(), ++n) {
        if (n % 7 != 0) {
            continue;
        }
        const Position start = editor_->toPosition(QtPosition(b.position()));
        editor_->select(start + 3, std::min(30, std::max(0, b.length() - 4)));
        editor_->setSelStyles(n % 2 == 0 ? FontStyles(fsBold) : FontStyles(fsItalic | fsUnderline));
        editor_->setSelColor(colours[n % 3]);
        editor_->setSelSizeTwips(n % 3 == 0 ? 280 : 200);
        editor_->setSelFaceName(faces[n % 2]);
        if (n % 21 == 0) {
            editor_->setParaAlignment(ParaAlignment::Center);
        }
        if (n % 35 == 0) {
            editor_->setParaStartIndent(720);
            editor_->setParaOffset(-360);
        }
        if (n % 49 == 0 && b.next().next().isValid()) {
            editor_->select(start,
                            editor_->toPosition(QtPosition(b.next().next().position())) - start);
            editor_->setParaNumbering(ParaNumbering::Bullet);
        }
    }
    doc->setUndoRedoEnabled(true);
    editor_->setSelStart(0);
    window_->show();
    draw();
}

// --- scenarios ----------------------------------------------------------------------------

void Scenarios::viewSession(int runs, const Report& report) {
    // Each run: the file opened afresh, Ctrl+End right after, one character typed there.
    QList<double> open;
    QList<double> end;
    QList<double> type;
    for (int i = 0; i < runs; ++i) {
        editor_->loadPlainText(QString()); // the previous document goes before the clock starts
        draw();
        open << Measure::time([&] { this->open(); });
        end << Measure::time([&] {
            key(Qt::Key_End, Qt::ControlModifier);
            draw();
        });
        type << Measure::time([&] {
            key(Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            draw();
        });
    }
    const qint64 peak = Measure::peakMemory();
    report({QStringLiteral("open"), open, peak});
    report({QStringLiteral("ctrl-end"), end, peak});
    report({QStringLiteral("type-at-end"), type, peak});
}

void Scenarios::interactSession(int runs, const Report& report) {
    // What a person does right after opening: click into the text, type, delete, paste a
    // megabyte and take it back, page on, jump to the end. In a file of one long paragraph every
    // step falls inside that paragraph but the last. What is pasted is the file's first megabyte:
    // lines in a file of lines, one word in a file of one word.
    const QString pasted = fileStart(1 << 20);
    const QPoint middle = editor_->widget()->viewport()->rect().center();
    QList<QString> names;
    QList<QList<double>> times;
    const auto step = [&](int i, const QString& name, const std::function<void()>& action) {
        if (i == 0) {
            names << name;
            times << QList<double>();
        }
        times[names.indexOf(name)] << Measure::time([&] {
            action();
            draw();
        });
    };
    for (int i = 0; i < runs; ++i) {
        editor_->loadPlainText(QString());
        draw();
        step(i, QStringLiteral("open"), [&] { document_->open(); });
        step(i, QStringLiteral("click"), [&] { click(middle); });
        step(i, QStringLiteral("type"),
             [&] { key(Qt::Key_X, Qt::NoModifier, QStringLiteral("x")); });
        step(i, QStringLiteral("backspace"), [&] { key(Qt::Key_Backspace); });
        step(i, QStringLiteral("delete"), [&] { key(Qt::Key_Delete); });
        QApplication::clipboard()->setText(pasted);
        step(i, QStringLiteral("paste-1mb"), [&] { editor_->paste(); });
        step(i, QStringLiteral("undo-paste"), [&] { editor_->undo(); });
        step(i, QStringLiteral("page-down"), [&] { key(Qt::Key_PageDown); });
        step(i, QStringLiteral("ctrl-end"), [&] { key(Qt::Key_End, Qt::ControlModifier); });
    }
    // Idle with the caret back in the text, once idle time has measured every paragraph: only the
    // caret's blink may run.
    click(middle);
    draw();
    while (!qobject_cast<DocumentLayout*>(editor_->document()->documentLayout())->isSettled()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double idle = Measure::idleCpu(5000);
    const qint64 peak = Measure::peakMemory();
    for (qsizetype n = 0; n < names.size(); ++n) {
        report({names[n], times[n], peak});
    }
    report({QStringLiteral("idle-cpu"), {idle}, peak});
}

QString Scenarios::fileStart(qsizetype bytes) const {
    QFile in(file_);
    if (!in.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read " + file_.toStdString());
    }
    return Cp1251::decode(in.read(bytes));
}

void Scenarios::settleSession(const Report& report) {
    // Opened, the caret at the end, then left alone: how long until every estimated height is
    // real, the longest an event waits meanwhile (a timer due every millisecond), whether the text
    // under the caret moved, and the processor time of 5 idle seconds after.
    open();
    key(Qt::Key_End, Qt::ControlModifier);
    draw();
    const auto* layout = qobject_cast<DocumentLayout*>(editor_->document()->documentLayout());
    const QRect caret = editor_->widget()->cursorRect();
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer gap;
    gap.start();
    double longest = 0;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        longest = std::max(longest, static_cast<double>(gap.nsecsElapsed()) / 1e6);
        gap.restart();
        if (layout->isSettled()) {
            loop.quit();
        }
    });
    tick.start(1);
    loop.exec();
    tick.stop();
    const double settled = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const double moved = std::abs(editor_->widget()->cursorRect().y() - caret.y());
    const double idle = Measure::idleCpu(5000);
    const qint64 peak = Measure::peakMemory();
    report({QStringLiteral("settle"), {settled}, peak});
    report({QStringLiteral("settle-longest-wait"), {longest}, peak});
    report({QStringLiteral("settle-caret-moved-px"), {moved}, peak});
    report({QStringLiteral("idle-cpu-settled"), {idle}, peak});
}

void Scenarios::progressSession(int runs, const Report& report) {
    // The same open with no progress at all and with the window's progress dialog (its call after
    // every chunk, the events handled between chunks, the dialog drawn once it shows), in turns,
    // so that both meet the same load of the machine. Processor time: the dialog's cost is all in
    // this process.
    QList<double> none;
    QList<double> dialog;
    for (int i = 0; i < runs; ++i) {
        for (const bool shown : {false, true}) {
            editor_->loadPlainText(QString());
            draw();
            prompts_.progressWindow = shown ? window_ : nullptr;
            const double before = Measure::cpuTime();
            open();
            (shown ? dialog : none) << Measure::cpuTime() - before;
        }
    }
    prompts_.progressWindow = nullptr;
    const qint64 peak = Measure::peakMemory();
    report({QStringLiteral("open-cpu-no-progress"), none, peak});
    report({QStringLiteral("open-cpu-progress-dialog"), dialog, peak});
}

void Scenarios::editSession(int runs, const Report& report) {
    const auto step = [&](const QString& name, const QList<double>& times) {
        report({name, times, Measure::peakMemory()});
    };
    step(QStringLiteral("save-plain"), savePlainRuns(runs));
    step(QStringLiteral("save-rtf-plain"), saveRtfRuns(runs, QStringLiteral("plain")));
    step(QStringLiteral("find-case"), findRuns(runs, true));
    step(QStringLiteral("find-nocase"), findRuns(runs, false));
    step(QStringLiteral("style-all"), styleRuns(runs));
    formatRichly();
    step(QStringLiteral("save-rtf-formatted"), saveRtfRuns(runs, QStringLiteral("formatted")));
}

void Scenarios::squeezeSession(int runs, const Report& report) {
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        editor_->loadPlainText(QString());
        open();
        times << Measure::time([&] {
            commands_->removeExtraSpaces();
            draw();
        });
    }
    report({QStringLiteral("squeeze"), times, Measure::peakMemory()});
}

QList<double> Scenarios::savePlainRuns(int runs) {
    // The save after the question writes the bound file: work on a copy bound as plain text.
    const QString copy = workDir_ + QStringLiteral("/saved-plain.txt");
    QFile::remove(copy);
    QFile::copy(file_, copy);
    prompts_.openName = copy;
    open();
    prompts_.openName = file_;
    prompts_.answer = mrYes;
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        editor_->setModified(true);
        times << Measure::time([&] {
            if (!document_->queryClose()) {
                throw std::runtime_error("the save after the question did not complete");
            }
        });
    }
    return times;
}

QList<double> Scenarios::saveRtfRuns(int runs, const QString& name) {
    prompts_.saveName = workDir_ + QStringLiteral("/saved-%1.rtf").arg(name);
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        times << Measure::time([&] { document_->saveAs(); });
    }
    return times;
}

QList<double> Scenarios::findRuns(int runs, bool matchCase) {
    const QString what = markerCased(matchCase);
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        // An edit before each search, as in real use: the search text is built afresh.
        editor_->setSelStart(0);
        editor_->replaceSelection(QStringLiteral(" "));
        editor_->undo();
        editor_->setSelStart(0);
        finder_->FindPos = 0;
        draw();
        times << Measure::time([&] {
            if (!finder_->findNext(what, matchCase)) {
                throw std::runtime_error("the marker was not found");
            }
            draw();
        });
    }
    return times;
}

QList<double> Scenarios::styleRuns(int runs) {
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        times << Measure::time([&] {
            commands_->selectAll();
            editor_->setSelStyles(i % 2 == 0 ? FontStyles(fsBold) : FontStyles());
            draw();
        });
    }
    return times;
}

// --- references ---------------------------------------------------------------------------

QList<double> Scenarios::searchReference(int runs) const {
    QFile in(file_);
    if (!in.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read " + file_.toStdString());
    }
    const QByteArray bytes = in.readAll();
    QByteArray needle;
    for (const QChar ch : QString::fromUtf16(Corpus::kMarker)) {
        needle.append(static_cast<char>(Cp1251::fromUnicode(ch)));
    }
    const std::string_view haystack(bytes.constData(), static_cast<size_t>(bytes.size()));
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        times << Measure::time([&] {
            if (std::search(haystack.begin(), haystack.end(), searcher) == haystack.end()) {
                throw std::runtime_error("the marker is not in the file");
            }
        });
    }
    return times;
}
