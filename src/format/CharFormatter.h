#pragma once

#include "Prompts.h"
#include "TextFormat.h"

#include <QColor>
#include <QString>

class FontComboBox;
class QComboBox;
class RichEdit;

// Character formatting of the editor's selection (of the text typed next when nothing is
// selected): the style buttons, the font box, the size box, the colour edit and the font dialog.
// Each write names only its own attributes. Holds the font dialog's own font, which every
// confirmed dialog replaces and the next use opens on.
class CharFormatter {
public:
    // Sizes a typed or listed size may have, in points.
    static constexpr int kMinSize = 1;
    static constexpr int kMaxSize = 1638;

    CharFormatter(RichEdit& editor, Prompts& prompts);

    // The boxes that show the font the font dialog assigned (either may be null).
    void attachBoxes(FontComboBox* fontBox, QComboBox* sizeBox);

    // A style button: when the selection's style set is exactly member, clears every style;
    // otherwise the selection gets member alone. The focus stays where it is.
    void toggleStyle(FontStyle member);
    // The font box: writes face as the face name, then focuses the editor.
    void applyFaceName(const QString& face);
    // The size box (a picked entry or a typed size confirmed with Enter): writes the size, then
    // focuses the editor. A text that is not a whole number from 1 to 1638 throws ConvertError
    // with that text, writes nothing and leaves the focus where it is.
    void applySizeText(const QString& text);
    // The colour edit: writes color, then focuses the editor.
    void applyColor(const QColor& color);
    // The font dialog: opens on its own font; on OK assigns it to the selection and shows its
    // family and size in the boxes without running their handlers. Focuses the editor either way.
    void runFontDialog();

    // Assigns a whole font as six writes: colour, face name, character set, styles, size (pitch
    // is not a property of the editor's text, so it is not written).
    void assignFont(const TextFont& font);

    const TextFont& dialogFont() const { return dialogFont_; }

    // The size in points a box text names; throws ConvertError outside 1..1638.
    static int sizeFromText(const QString& text);

private:
    void showInBoxes(const TextFont& font);

    RichEdit& editor_;
    Prompts& prompts_;
    FontComboBox* fontBox_ = nullptr;
    QComboBox* sizeBox_ = nullptr;
    TextFont dialogFont_;
};
