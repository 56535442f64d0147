#pragma once

#include <QComboBox>

// The font box: every font family of the screen, sorted by name, with the families picked most
// recently at the top; no typing. Reports a pick with changed().
class FontComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit FontComboBox(QWidget* parent = nullptr);

    // The text of the selected entry; empty when none is selected.
    QString fontName() const;
    // Selects the entry whose text equals name (ignoring case), or none; does not report a change.
    void setFontName(const QString& name);

signals:
    void changed();
};
