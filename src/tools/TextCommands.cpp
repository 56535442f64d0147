#include "TextCommands.h"

#include "ExtraSpaces.h"
#include "RichEdit.h"
#include "StampFormat.h"

#include <QCoreApplication>
#include <QEvent>

TextCommands::TextCommands(RichEdit& editor, QObject* parent)
    : QObject(parent), editor_(editor), clock_([] { return QDateTime::currentDateTime(); }),
      readSeparator_(&StampFormat::systemTimeSeparator), timeSeparator_(readSeparator_()) {
    // A locale change reaches the application object and every widget; watching the application
    // sees them all.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
    }
}

TextCommands::~TextCommands() = default;

void TextCommands::undo() {
    editor_.undo();
}

void TextCommands::cut() {
    editor_.cut();
}

void TextCommands::copy() {
    editor_.copy();
}

void TextCommands::paste() {
    editor_.paste();
}

void TextCommands::selectAll() {
    editor_.selectAll();
}

void TextCommands::clear() {
    editor_.clear();
}

void TextCommands::insertStamp() {
    editor_.replaceSelection(StampFormat::format(clock_(), timeSeparator_));
}

qsizetype TextCommands::removeExtraSpaces() {
    // The caret's and the anchor's paragraphs are edited in place so the selection stays on the
    // same characters.
    return ExtraSpaces::remove(*editor_.document(), editor_.qtSelectionEnds());
}

void TextCommands::setClock(Clock clock) {
    clock_ = std::move(clock);
}

void TextCommands::setSeparatorReader(SeparatorReader reader) {
    readSeparator_ = std::move(reader);
    timeSeparator_ = readSeparator_();
}

bool TextCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::LocaleChange) {
        timeSeparator_ = readSeparator_();
    }
    return QObject::eventFilter(watched, event);
}
