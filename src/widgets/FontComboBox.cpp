#include "FontComboBox.h"

#include "FontFamilies.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QProxyStyle>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {

// Draws the entries at the box's item height with a line under the last recent family.
class FontItemDelegate : public QStyledItemDelegate {
public:
    explicit FontItemDelegate(FontComboBox* box) : QStyledItemDelegate(box), box_(box) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(FontComboBox::kItemHeight);
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (index.row() == box_->recentCount() - 1) {
            painter->save();
            painter->setPen(option.palette.color(QPalette::Text));
            const int y = option.rect.bottom();
            painter->drawLine(option.rect.left(), y, option.rect.right(), y);
            painter->restore();
        }
    }

private:
    FontComboBox* box_;
};

QIcon iconFor(FontKind kind) {
    static const QIcon icons[] = {
        QIcon(FontComboBox::glyph(FontKind::ScalableFixed)),
        QIcon(FontComboBox::glyph(FontKind::Scalable)),
        QIcon(FontComboBox::glyph(FontKind::FixedPitch)),
        QIcon(FontComboBox::glyph(FontKind::Other)),
    };
    return icons[static_cast<int>(kind)];
}

// A serif-less "T" of 6 x 8 pixels at (x, y).
void drawT(QPainter& p, int x, int y, const QColor& color) {
    p.fillRect(x, y, 7, 2, color);
    p.fillRect(x + 2, y, 2, 8, color);
}

// Drops the list below the box, kVisibleRows high, where the platform style would open it over the
// box as a menu as tall as the screen.
class DropDownStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_ComboBox_Popup) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

FontComboBox::FontComboBox(QWidget* parent) : FontComboBox(QFontDatabase::families(), parent) {}

FontComboBox::FontComboBox(const QStringList& families, QWidget* parent) : QComboBox(parent) {
    // One style for every box, living as long as the application.
    static DropDownStyle* const dropDown = [] {
        auto* style = new DropDownStyle;
        style->setParent(QCoreApplication::instance());
        return style;
    }();
    setStyle(dropDown);
    setEditable(false);
    setMaxVisibleItems(kVisibleRows);
    setIconSize(QSize(kGlyphSize, kGlyphSize));
    setItemDelegate(new FontItemDelegate(this));
    fill(families);
    connect(this, &QComboBox::activated, this, &FontComboBox::onActivated);
}

void FontComboBox::fill(const QStringList& listed) {
    const QStringList families = FontFamilies::unique(listed);
    for (const QString& family : families) {
        const FontKind kind = kindOf(family);
        addItem(iconFor(kind), family);
        setItemData(count() - 1, static_cast<int>(kind), kKindRole);
    }
    setCurrentIndex(-1);
    // The opened list is as wide as its longest name, at least as wide as the box.
    QAbstractItemView* list = view();
    const int scrollBar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    list->setMinimumWidth(list->sizeHintForColumn(0) + scrollBar + 2 * list->frameWidth() + 4);
}

QString FontComboBox::fontName() const {
    return currentIndex() >= 0 ? itemText(currentIndex()) : QString();
}

void FontComboBox::setFontName(const QString& name) {
    setCurrentIndex(findText(name, Qt::MatchFixedString));
}

void FontComboBox::hidePopup() {
    // A pick from the opened list arrives (as activated) right after the list closes.
    popupClosing_ = true;
    QComboBox::hidePopup();
    QTimer::singleShot(0, this, [this] { popupClosing_ = false; });
}

void FontComboBox::onActivated(int index) {
    if (popupClosing_ && index >= 0) {
        popupClosing_ = false;
        promote(index);
    }
    emit changed();
}

void FontComboBox::promote(int index) {
    const QString family = itemText(index);
    const QVariant kind = itemData(index, kKindRole);
    const QIcon icon = itemIcon(index);
    for (int i = 0; i < recentCount_; ++i) {
        if (itemText(i) == family) {
            removeItem(i);
            --recentCount_;
            break;
        }
    }
    insertItem(0, icon, family);
    setItemData(0, kind, kKindRole);
    ++recentCount_;
    setCurrentIndex(0);
}

FontKind FontComboBox::kindOf(const QString& family) {
    const bool scalable = QFontDatabase::isScalable(family);
    const bool fixed = QFontDatabase::isFixedPitch(family);
    if (scalable) {
        return fixed ? FontKind::ScalableFixed : FontKind::Scalable;
    }
    return fixed ? FontKind::FixedPitch : FontKind::Other;
}

QPixmap FontComboBox::glyph(FontKind kind) {
    QPixmap pixmap(kGlyphSize, kGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor dark(0x20, 0x20, 0x20);
    const QColor grey(0x90, 0x90, 0x90);
    const QColor blue(0x00, 0x40, 0xA0);
    switch (kind) {
    case FontKind::Scalable: // two overlapping T's: an outline font
        drawT(p, 0, 0, grey);
        drawT(p, 4, 3, dark);
        break;
    case FontKind::ScalableFixed: // the two T's over a ruler of equal cells: fixed pitch
        drawT(p, 0, 0, grey);
        drawT(p, 4, 2, blue);
        for (int x = 0; x < kGlyphSize; x += 3) {
            p.fillRect(x, 11, 2, 1, blue);
        }
        break;
    case FontKind::FixedPitch: // a blocky "A" in a frame: a bitmap font of one width
        p.setPen(dark);
        p.drawRect(0, 0, kGlyphSize - 1, kGlyphSize - 1);
        p.fillRect(5, 2, 2, 2, dark);
        p.fillRect(3, 4, 2, 6, dark);
        p.fillRect(7, 4, 2, 6, dark);
        p.fillRect(5, 6, 2, 2, dark);
        break;
    case FontKind::Other: // a small printer: a device font
        p.fillRect(3, 1, 6, 3, grey);
        p.fillRect(1, 4, 10, 5, dark);
        p.fillRect(3, 8, 6, 3, Qt::white);
        p.setPen(dark);
        p.drawRect(3, 8, 5, 3);
        break;
    }
    return pixmap;
}
