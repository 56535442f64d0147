#include "FontDialog.h"

#include "CharFormatter.h"
#include "Errors.h"
#include "FontFamilies.h"
#include "FontScripts.h"
#include "SizeBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The sample is drawn at the chosen size up to this many points, at the fallback size when the
// size field holds no positive number.
constexpr int kLargestSample = 36;
constexpr int kFallbackSample = 8;

// Style list rows, in this order.
const char* const kStyleNames[] = {"Обычный", "Курсив", "Полужирный", "Полужирный курсив"};

int styleRow(FontStyles style) {
    return (style.testFlag(fsItalic) ? 1 : 0) + (style.testFlag(fsBold) ? 2 : 0);
}

QIcon swatch(const QColor& color) {
    QPixmap pixmap(24, 12);
    pixmap.fill(color);
    QPainter p(&pixmap);
    p.setPen(Qt::darkGray);
    p.drawRect(0, 0, 23, 11);
    return QIcon(pixmap);
}

QListWidget* makeList(const QString& name, int width) {
    auto* list = new QListWidget;
    list->setObjectName(name);
    list->setMinimumWidth(width);
    list->setFixedHeight(118);
    return list;
}

// Selects the first row whose text equals text (ignoring case); none when there is no such row.
void selectText(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchFixedString);
    const QSignalBlocker blocker(list);
    if (found.isEmpty()) {
        list->setCurrentRow(-1);
        list->clearSelection();
    } else {
        list->setCurrentItem(found.first());
        list->scrollToItem(found.first(), QAbstractItemView::PositionAtTop);
    }
}

} // namespace

const QList<FontDialog::NamedColor>& FontDialog::standardColors() {
    static const QList<NamedColor> colors = {
        {QStringLiteral("Чёрный"), QColor(QRgb(0x000000))},
        {QStringLiteral("Бордовый"), QColor(QRgb(0x800000))},
        {QStringLiteral("Зелёный"), QColor(QRgb(0x008000))},
        {QStringLiteral("Оливковый"), QColor(QRgb(0x808000))},
        {QStringLiteral("Тёмно-синий"), QColor(QRgb(0x000080))},
        {QStringLiteral("Фиолетовый"), QColor(QRgb(0x800080))},
        {QStringLiteral("Сине-зелёный"), QColor(QRgb(0x008080))},
        {QStringLiteral("Серый"), QColor(QRgb(0x808080))},
        {QStringLiteral("Серебристый"), QColor(QRgb(0xC0C0C0))},
        {QStringLiteral("Красный"), QColor(QRgb(0xFF0000))},
        {QStringLiteral("Ярко-зелёный"), QColor(QRgb(0x00FF00))},
        {QStringLiteral("Жёлтый"), QColor(QRgb(0xFFFF00))},
        {QStringLiteral("Синий"), QColor(QRgb(0x0000FF))},
        {QStringLiteral("Фуксия"), QColor(QRgb(0xFF00FF))},
        {QStringLiteral("Голубой"), QColor(QRgb(0x00FFFF))},
        {QStringLiteral("Белый"), QColor(QRgb(0xFFFFFF))},
    };
    return colors;
}

FontDialog::FontDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FontDialog1"));
    setWindowTitle(QStringLiteral("Шрифт"));
    setModal(true);
    buildFields();
    buildButtons();
    setTextFont(TextFont());
}

void FontDialog::buildFields() {
    auto* grid = new QGridLayout(this);
    buildLists(grid);
    grid->addWidget(buildEffects(), 3, 0);
    grid->addWidget(buildSample(), 3, 1, 1, 2);
    connectFields();
}

void FontDialog::buildLists(QGridLayout* grid) {
    faceEdit_ = new QLineEdit;
    faceEdit_->setObjectName(QStringLiteral("faceEdit"));
    faceEdit_->setReadOnly(true);
    familyList_ = makeList(QStringLiteral("familyList"), 190);
    familyList_->addItems(FontFamilies::screen());
    styleEdit_ = new QLineEdit;
    styleEdit_->setObjectName(QStringLiteral("styleEdit"));
    styleEdit_->setReadOnly(true);
    styleList_ = makeList(QStringLiteral("styleList"), 150);
    for (const char* name : kStyleNames) {
        styleList_->addItem(QString::fromUtf8(name));
    }
    sizeEdit_ = new QLineEdit;
    sizeEdit_->setObjectName(QStringLiteral("sizeEdit"));
    sizeEdit_->setMaxLength(4);
    sizeList_ = makeList(QStringLiteral("sizeList"), 60);
    sizeList_->setMaximumWidth(70);
    sizeEdit_->setMaximumWidth(70);
    sizeList_->addItems(SizeBox::entries());

    // Each caption names its field, and the list under the field, to assistive technology.
    const auto caption = [grid](const QString& text, int column, QLineEdit* field,
                                QListWidget* list) {
        auto* label = new QLabel(text);
        label->setBuddy(field);
        list->setAccessibleName(text.chopped(1));
        grid->addWidget(label, 0, column);
    };
    caption(QStringLiteral("Шрифт:"), 0, faceEdit_, familyList_);
    caption(QStringLiteral("Начертание:"), 1, styleEdit_, styleList_);
    caption(QStringLiteral("Размер:"), 2, sizeEdit_, sizeList_);
    grid->addWidget(faceEdit_, 1, 0);
    grid->addWidget(styleEdit_, 1, 1);
    grid->addWidget(sizeEdit_, 1, 2);
    grid->addWidget(familyList_, 2, 0);
    grid->addWidget(styleList_, 2, 1);
    grid->addWidget(sizeList_, 2, 2);
}

QGroupBox* FontDialog::buildEffects() {
    auto* effects = new QGroupBox(QStringLiteral("Видоизменение"));
    auto* effectsLayout = new QVBoxLayout(effects);
    strikeOutBox_ = new QCheckBox(QStringLiteral("Зачёркнутый"));
    strikeOutBox_->setObjectName(QStringLiteral("strikeOutBox"));
    underlineBox_ = new QCheckBox(QStringLiteral("Подчёркнутый"));
    underlineBox_->setObjectName(QStringLiteral("underlineBox"));
    colorBox_ = new QComboBox;
    colorBox_->setObjectName(QStringLiteral("colorBox"));
    for (const NamedColor& c : standardColors()) {
        colorBox_->addItem(swatch(c.color), c.name, c.color);
    }
    effectsLayout->addWidget(strikeOutBox_);
    effectsLayout->addWidget(underlineBox_);
    auto* colorLabel = new QLabel(QStringLiteral("Цвет:"));
    colorLabel->setBuddy(colorBox_);
    effectsLayout->addWidget(colorLabel);
    effectsLayout->addWidget(colorBox_);
    effectsLayout->addStretch();
    return effects;
}

QGroupBox* FontDialog::buildSample() {
    auto* sampleGroup = new QGroupBox(QStringLiteral("Образец"));
    auto* sampleLayout = new QVBoxLayout(sampleGroup);
    sample_ = new QLabel(QStringLiteral("АаБбYyZz"));
    sample_->setObjectName(QStringLiteral("sample"));
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setFixedHeight(60);
    sample_->setFrameShape(QFrame::StyledPanel);
    scriptBox_ = new QComboBox;
    scriptBox_->setObjectName(QStringLiteral("scriptBox"));
    sampleLayout->addWidget(sample_);
    auto* scriptLabel = new QLabel(QStringLiteral("Набор символов:"));
    scriptLabel->setBuddy(scriptBox_);
    sampleLayout->addWidget(scriptLabel);
    sampleLayout->addWidget(scriptBox_);
    return sampleGroup;
}

void FontDialog::connectFields() {
    connect(familyList_, &QListWidget::currentRowChanged, this, &FontDialog::onFamilyChanged);
    connect(styleList_, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        styleEdit_->setText(text);
        updateSample();
    });
    connect(sizeList_, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        if (!text.isEmpty()) {
            sizeEdit_->setText(text);
            updateSample();
        }
    });
    connect(sizeEdit_, &QLineEdit::textEdited, this, &FontDialog::onSizeEdited);
    connect(strikeOutBox_, &QCheckBox::toggled, this, &FontDialog::updateSample);
    connect(underlineBox_, &QCheckBox::toggled, this, &FontDialog::updateSample);
    connect(colorBox_, &QComboBox::activated, this, [this] {
        colorTouched_ = true;
        updateSample();
    });
    connect(scriptBox_, &QComboBox::activated, this, [this] { scriptTouched_ = true; });
}

void FontDialog::buildButtons() {
    auto* buttons = new QDialogButtonBox(Qt::Vertical);
    QPushButton* ok = buttons->addButton(QStringLiteral("ОК"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &FontDialog::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    static_cast<QGridLayout*>(layout())->addWidget(buttons, 1, 3, 2, 1, Qt::AlignTop);
}

void FontDialog::setTextFont(const TextFont& font) {
    opened_ = font;
    colorTouched_ = false;
    scriptTouched_ = false;

    selectText(familyList_, font.name);
    faceEdit_->setText(font.name);
    styleList_->setCurrentRow(styleRow(font.style));
    sizeEdit_->setText(QString::number(font.size));
    selectText(sizeList_, sizeEdit_->text());
    strikeOutBox_->setChecked(font.style.testFlag(fsStrikeOut));
    underlineBox_->setChecked(font.style.testFlag(fsUnderline));

    // The automatic colour shows as the colour of window text, black.
    const QColor shown = font.color.isValid() ? font.color : QColor(Qt::black);
    colorBox_->setCurrentIndex(colorBox_->findData(shown));
    fillScripts(font.name, font.charset);
    updateSample();
}

void FontDialog::fillScripts(const QString& family, int preferred) {
    const QList<int> charsets = FontScripts::charsetsOf(family);
    scriptBox_->clear();
    for (const int charset : charsets) {
        scriptBox_->addItem(FontScripts::name(charset), charset);
    }
    int row = scriptBox_->findData(preferred);
    if (row < 0) {
        row = scriptBox_->findData(Charset::Russian);
    }
    scriptBox_->setCurrentIndex(std::max(row, 0));
}

void FontDialog::onFamilyChanged() {
    const QListWidgetItem* item = familyList_->currentItem();
    if (item == nullptr) {
        return;
    }
    faceEdit_->setText(item->text());
    fillScripts(item->text(), scriptBox_->currentData().toInt());
    updateSample();
}

void FontDialog::onSizeEdited(const QString& text) {
    selectText(sizeList_, text);
    updateSample();
}

FontStyles FontDialog::chosenStyles() const {
    const int row = std::max(styleList_->currentRow(), 0);
    FontStyles style;
    style.setFlag(fsItalic, (row & 1) != 0);
    style.setFlag(fsBold, (row & 2) != 0);
    style.setFlag(fsStrikeOut, strikeOutBox_->isChecked());
    style.setFlag(fsUnderline, underlineBox_->isChecked());
    return style;
}

TextFont FontDialog::result() const {
    TextFont font = opened_;
    font.name = faceEdit_->text();
    font.size = CharFormatter::sizeFromText(sizeEdit_->text());
    font.style = chosenStyles();
    if (colorTouched_ && colorBox_->currentIndex() >= 0) {
        font.color = colorBox_->currentData().value<QColor>();
    }
    const bool faceChanged = font.name.compare(opened_.name, Qt::CaseInsensitive) != 0;
    if ((scriptTouched_ || faceChanged) && scriptBox_->currentIndex() >= 0) {
        font.charset = scriptBox_->currentData().toInt();
    }
    return font;
}

void FontDialog::onOk() {
    // A size that is no number shows the error box and keeps the dialog open.
    runGuarded([this] {
        opened_ = result();
        accept();
    });
}

void FontDialog::updateSample() {
    QFont font(faceEdit_->text());
    bool ok = false;
    const int size = sizeEdit_->text().toInt(&ok);
    font.setPointSize(ok && size > 0 ? std::min(size, kLargestSample) : kFallbackSample);
    setStyles(font, chosenStyles());
    sample_->setFont(font);
    QPalette palette = sample_->palette();
    const auto color = colorBox_->currentData().value<QColor>();
    palette.setColor(QPalette::WindowText, color.isValid() ? color : QColor(Qt::black));
    sample_->setPalette(palette);
}

bool FontDialog::execute(QWidget* parent, TextFont& font) {
    FontDialog dialog(parent);
    dialog.setTextFont(font);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    font = dialog.opened_;
    return true;
}
