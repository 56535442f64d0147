#include "RichEdit.h"

#include "DocumentLayout.h"
#include "DocumentTabs.h"
#include "DocumentWatchers.h"
#include "KeptJoint.h"
#include "LineBreaks.h"
#include "ParagraphGeometry.h"
#include "ParagraphPieces.h"
#include "PieceIndex.h"
#include "PlainTextBuilder.h"
#include "RichTextView.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

RichEdit::RichEdit(QWidget* parent) : QObject(parent), view_(new RichTextView(parent)) {
    view_->setObjectName(QStringLiteral("RichEdit1"));
    view_->setAcceptRichText(true);
    view_->setLineWrapMode(QTextEdit::WidgetWidth);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    installDocument(view_->document());
    setTabStops({}); // default stops every half inch
    // A view made without a parent widget is owned by no one else: it goes with the editor unless
    // it was given a parent meanwhile. The connection ends by itself if the view goes first.
    if (parent == nullptr) {
        connect(this, &QObject::destroyed, view_, [view = view_] {
            if (view->parent() == nullptr) {
                delete view;
            }
        });
    }
}

RichEdit::~RichEdit() = default;

QTextEdit* RichEdit::widget() const {
    return view_;
}

QTextDocument* RichEdit::document() const {
    return view_->document();
}

void RichEdit::installDocument(QTextDocument* doc) {
    pieces_ = PieceIndex::install(doc);
    DocumentLayout* layout = installDocumentLayout(doc);
    connect(layout, &DocumentLayout::blockHeightChanged, view_, &RichTextView::keepTextStill,
            Qt::UniqueConnection);
    DocumentWatchers& watchers = DocumentWatchers::of(*doc);
    if (watchers.get<GeometryMender>() == nullptr) {
        watchers.add(new GeometryMender(doc, pixelsPerTwip()));
    }
}

// --- positions ----------------------------------------------------------------------------

Position RichEdit::toPosition(QtPosition qtPosition) const {
    const QTextDocument* doc = document();
    const int last = doc->characterCount() - 1;
    const int at = std::clamp(qtPosition.value, 0, last);
    const int position = at + offsetBefore(doc->findBlock(at).blockNumber());
    Q_ASSERT(position >= 0 && position <= textLength());
    return position;
}

int RichEdit::offsetBefore(int blockNumber) const {
    // Each separator before the block is a paragraph break (one more character as CR LF) unless
    // it stands for a space inside a paragraph in pieces (the same one character) or for nothing
    // (one character less).
    const int offset = blockNumber - pieces_->continuationsUpTo(blockNumber) -
                       pieces_->joinedByNothingUpTo(blockNumber);
    Q_ASSERT(offset >= -blockNumber && offset <= blockNumber);
    return offset;
}

QtPosition RichEdit::toQtPosition(Position position) const {
    const QTextDocument* doc = document();
    const int target = position.value;
    if (target <= 0) {
        return QtPosition(0);
    }
    // The last block whose program start (its Qt start moved by offsetBefore) is at or before
    // position: where a separator stands for nothing, the start of the piece after it.
    int lo = 0;
    int hi = doc->blockCount() - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (doc->findBlockByNumber(mid).position() + offsetBefore(mid) <= target) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    const QTextBlock block = doc->findBlockByNumber(lo);
    const int offset = std::min(target - (block.position() + offsetBefore(lo)), block.length() - 1);
    Q_ASSERT(offset >= 0 && block.position() + offset < doc->characterCount());
    return QtPosition(block.position() + offset);
}

QtPosition RichEdit::qtPositionAtOrAfter(Position position) const {
    QtPosition at = toQtPosition(position);
    // Past the end, or between CR and LF: the position maps back below position.
    if (toPosition(at) < position) {
        at = at + 1;
    }
    return at;
}

int RichEdit::textLength() const {
    const QTextDocument* doc = document();
    return doc->characterCount() - 1 + offsetBefore(doc->blockCount() - 1);
}

// --- text ---------------------------------------------------------------------------------

QString RichEdit::text() const {
    return LineBreaks::toCrLf(ParagraphPieces::rawText(*document()));
}

void RichEdit::setText(const QString& text) {
    QTextCursor c(document());
    c.beginEditBlock();
    c.select(QTextCursor::Document);
    c.insertText(LineBreaks::toEditorText(text));
    ParagraphPieces::mend(*document(), 0, c.position());
    c.endEditBlock();
}

void RichEdit::loadPlainText(const QString& paragraphs) {
    PlainTextBuilder builder(*document());
    builder.append(LineBreaks::toEditorText(paragraphs));
    adopt(builder.take());
}

void RichEdit::adopt(std::unique_ptr<QTextDocument> doc) {
    QTextDocument* old = document();
    // The view deletes only the document it made itself; those adopted here are ours to delete,
    // or every open would keep the previous document (as large as its text many times over)
    // alive.
    const bool ours = old->parent() == view_;
    doc->setParent(view_);
    QTextDocument* fresh = doc.release();
    view_->setDocument(fresh);
    if (ours) {
        delete old;
    }
    installDocument(fresh);
    view_->setTextCursor(QTextCursor(fresh));
    scrollToTop();
    emit documentReplaced();
}

void RichEdit::clear() {
    QTextCursor c(document());
    c.beginEditBlock();
    c.select(QTextCursor::Document);
    c.removeSelectedText();
    c.endEditBlock();
    setModified(false);
}

// --- selection ----------------------------------------------------------------------------

QTextCursor RichEdit::cursor() const {
    return view_->textCursor();
}

void RichEdit::applyCursor(const QTextCursor& c) {
    view_->setTextCursor(c);
}

QString RichEdit::selectedText() const {
    const QTextCursor c = cursor();
    QString text = c.selectedText();
    ParagraphPieces::restore(*document(), c.selectionStart(), text);
    return LineBreaks::toCrLf(text);
}

void RichEdit::replaceSelection(const QString& text) {
    QTextCursor c = cursor();
    c.beginEditBlock();
    const int from = c.selectionStart();
    const KeptJoint joint(c);
    c.insertText(LineBreaks::toEditorText(text));
    joint.restore();
    ParagraphPieces::mend(*document(), from, c.position());
    c.endEditBlock();
    applyCursor(c);
}

Position RichEdit::selStart() const {
    return toPosition(QtPosition(cursor().selectionStart()));
}

void RichEdit::setSelStart(Position position) {
    QTextCursor c = cursor();
    c.setPosition(toQtPosition(position).value);
    applyCursor(c);
}

int RichEdit::selLength() const {
    const QTextCursor c = cursor();
    return toPosition(QtPosition(c.selectionEnd())) - toPosition(QtPosition(c.selectionStart()));
}

void RichEdit::select(Position start, int length) {
    select(toQtPosition(start), toQtPosition(start + std::max(0, length)));
}

QList<QtPosition> RichEdit::qtSelectionEnds() const {
    const QTextCursor c = cursor();
    return {QtPosition(c.selectionStart()), QtPosition(c.selectionEnd())};
}

void RichEdit::select(QtPosition from, QtPosition to) {
    QTextCursor c = cursor();
    c.setPosition(from.value);
    c.setPosition(to.value, QTextCursor::KeepAnchor);
    applyCursor(c);
    view_->showCaret();
}

void RichEdit::selectAll() {
    view_->selectAll();
}

// --- editing commands ---------------------------------------------------------------------

bool RichEdit::modified() const {
    return document()->isModified();
}

void RichEdit::setModified(bool modified) {
    document()->setModified(modified);
}

RichEdit::UndoStep::UndoStep(const RichEdit& edit) : cursor_(edit.document()) {
    cursor_.beginEditBlock();
}

RichEdit::UndoStep::~UndoStep() {
    cursor_.endEditBlock();
}

void RichEdit::undo() {
    view_->undo();
}

void RichEdit::cut() {
    view_->cutSelection();
}

void RichEdit::copy() {
    view_->copy();
}

void RichEdit::paste() {
    view_->paste();
}

void RichEdit::scrollToTop() {
    view_->verticalScrollBar()->setValue(0);
}

void RichEdit::setFocus() {
    view_->setFocus(Qt::OtherFocusReason);
}

// --- character attributes -----------------------------------------------------------------

QTextCharFormat RichEdit::selCharFormat() const {
    const QTextCursor c = cursor();
    if (!c.hasSelection()) {
        return view_->currentCharFormat();
    }
    QTextCursor first(document());
    first.setPosition(c.selectionStart() + 1);
    return first.charFormat();
}

void RichEdit::mergeCharFormat(const QTextCharFormat& format) {
    QTextCursor c = cursor();
    if (c.hasSelection()) {
        c.beginEditBlock();
        c.mergeCharFormat(format);
        c.endEditBlock();
    } else {
        view_->mergeCurrentCharFormat(format);
    }
}

FontStyles RichEdit::selStyles() const {
    return stylesOf(selCharFormat());
}

void RichEdit::setSelStyles(FontStyles styles) {
    QTextCharFormat f;
    setStyles(f, styles);
    mergeCharFormat(f);
}

QString RichEdit::selFaceName() const {
    const QTextCharFormat f = selCharFormat();
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty()) {
        return families.first();
    }
    return document()->defaultFont().family();
}

void RichEdit::setSelFaceName(const QString& face) {
    QTextCharFormat f;
    f.setFontFamilies({face.left(kMaxFaceName)});
    mergeCharFormat(f);
}

int RichEdit::selSizeTwips() const {
    const QTextCharFormat f = selCharFormat();
    const qreal points = f.hasProperty(QTextFormat::FontPointSize)
                             ? f.fontPointSize()
                             : document()->defaultFont().pointSizeF();
    return static_cast<int>(std::lround(points * kTwipsPerPoint));
}

void RichEdit::setSelSizeTwips(int twips) {
    QTextCharFormat f;
    f.setFontPointSize(static_cast<qreal>(twips) / kTwipsPerPoint);
    mergeCharFormat(f);
}

QColor RichEdit::selColor() const {
    const QBrush brush = selCharFormat().foreground();
    return brush.style() == Qt::NoBrush ? QColor() : brush.color();
}

void RichEdit::setSelColor(const QColor& color) {
    QTextCharFormat f;
    f.setForeground(color.isValid() ? QBrush(color) : QBrush());
    mergeCharFormat(f);
}

int RichEdit::selCharset() const {
    const QTextCharFormat f = selCharFormat();
    return f.hasProperty(TextProperty::Charset) ? f.intProperty(TextProperty::Charset)
                                                : Charset::Default;
}

void RichEdit::setSelCharset(int charset) {
    QTextCharFormat f;
    f.setProperty(TextProperty::Charset, charset);
    mergeCharFormat(f);
}

// --- view ---------------------------------------------------------------------------------

void RichEdit::setTabStops(const QList<qreal>& pixels) {
    DocumentTabs::set(*document(), pixels, pixelsPerTwip());
}

qreal RichEdit::pixelsPerTwip() const {
    return view_->logicalDpiX() / static_cast<qreal>(kTwipsPerInch);
}
