#pragma once

#include "TextFormat.h"

#include <QDialog>

// The font dialog: family, style, size, strike-out, underline, colour, script and a sample.
class FontDialog : public QDialog {
    Q_OBJECT
public:
    explicit FontDialog(QWidget* parent = nullptr);

    // Shows the dialog modally on font; on OK updates font and returns true.
    static bool execute(QWidget* parent, TextFont& font);
};
