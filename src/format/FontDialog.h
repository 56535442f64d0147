#pragma once

#include "TextFormat.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;

// The font dialog: family, style, size, strike-out, underline, one of the sixteen standard colours,
// script (character set) and a sample. It opens on the font it is given; a face the screen lacks
// keeps its name and is only drawn in a present face. On OK the font takes what is chosen, except
// that the colour changes only when the colour list was used, and the character set only when the
// script list was used or the face differs (ignoring case) from the one it opened with.
class FontDialog : public QDialog {
    Q_OBJECT
public:
    explicit FontDialog(QWidget* parent = nullptr);

    // Shows the dialog modally on font; on OK updates font and returns true.
    static bool execute(QWidget* parent, TextFont& font);

    // Shows font in the fields; the next result() starts from it.
    void setTextFont(const TextFont& font);
    // The font the fields describe. Throws ConvertError when the size is not 1 to 1638.
    TextFont result() const;

    // The sixteen standard colours, by their shown names.
    struct NamedColor {
        QString name;
        QColor color;
    };
    static const QList<NamedColor>& standardColors();

private:
    void buildFields();
    void buildLists(QGridLayout* grid);
    QGroupBox* buildEffects();
    QGroupBox* buildSample();
    void connectFields();
    void buildButtons();
    void fillScripts(const QString& family, int preferred);
    void onFamilyChanged();
    void onSizeEdited(const QString& text);
    void onOk();
    void updateSample();
    FontStyles chosenStyles() const;

    TextFont opened_;
    bool colorTouched_ = false;
    bool scriptTouched_ = false;

    QLineEdit* faceEdit_ = nullptr;
    QListWidget* familyList_ = nullptr;
    QLineEdit* styleEdit_ = nullptr;
    QListWidget* styleList_ = nullptr;
    QLineEdit* sizeEdit_ = nullptr;
    QListWidget* sizeList_ = nullptr;
    QCheckBox* strikeOutBox_ = nullptr;
    QCheckBox* underlineBox_ = nullptr;
    QComboBox* colorBox_ = nullptr;
    QComboBox* scriptBox_ = nullptr;
    QLabel* sample_ = nullptr;
};
