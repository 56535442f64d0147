#pragma once

#include <QComboBox>
#include <QPixmap>

// The kind of a font family, shown as a 12 x 12 glyph in front of its name.
enum class FontKind { ScalableFixed, Scalable, FixedPitch, Other };

// The font box: every font family of the screen, symbol fonts included, sorted by name without
// regard to case, each behind the glyph of its kind; no typing. A family picked from the opened
// list is also placed at the top, most recent first, with a line under the last such entry.
// Every pick with mouse or keyboard reports changed().
class FontComboBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kVisibleRows = 14;
    static constexpr int kItemHeight = 16;
    static constexpr int kGlyphSize = 12;
    // The item data role that holds an entry's FontKind as an int.
    static constexpr int kKindRole = Qt::UserRole + 1;

    // Lists the families of QFontDatabase, each once under its real name (FontFamilies).
    explicit FontComboBox(QWidget* parent = nullptr);
    // Lists the given families instead (for tests), made unique and sorted like the screen's.
    FontComboBox(const QStringList& families, QWidget* parent);

    // The text of the selected entry; empty when none is selected.
    QString fontName() const;
    // Selects the first entry whose text equals name (ignoring case), or none; reports no change.
    void setFontName(const QString& name);
    // How many entries at the top are recently picked families.
    int recentCount() const { return recentCount_; }

    static FontKind kindOf(const QString& family);
    static QPixmap glyph(FontKind kind);

    void hidePopup() override;

signals:
    void changed();

private:
    void fill(const QStringList& listed);
    void onActivated(int index);
    // Puts the family of entry index at the top of the recent families and selects it there.
    void promote(int index);

    int recentCount_ = 0;
    bool popupClosing_ = false;
};
