#pragma once

#include <QMimeData>
#include <QString>
#include <QTextDocumentFragment>

class QTextDocument;

// Formatted text as the editor takes it from the clipboard or a drop.
namespace PastedText {

// Builds into out (an empty document) what the editor keeps of html: its paragraphs, table cells
// and line breaks as plain paragraphs with their alignment and bullets; each run of text with its
// bold, italic, underline and strike-out style, font face, size in whole twips and colour.
// Images and other objects are dropped, characters outside Windows-1251 become '?'. Other
// attributes (backgrounds, links, margins, spacing, numbers of lists) are not taken.
void fromHtml(const QString& html, QTextDocument& out);

} // namespace PastedText

// What the editor puts on the clipboard for a selection: the selection itself, for an exact paste
// within the program, and plain text and HTML made from it on demand for other programs.
class FragmentMimeData : public QMimeData {
    Q_OBJECT
public:
    explicit FragmentMimeData(const QTextDocumentFragment& fragment);
    const QTextDocumentFragment& fragment() const { return fragment_; }
    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    QTextDocumentFragment fragment_;
};
