// Draws the twelve 16 x 16 toolbar glyphs into one 64 x 64 sheet with alpha: glyph k in column
// k % 4 and row k / 4; the bottom row stays empty. A second sheet of 32 x 32 glyphs, 128 x 128,
// serves screens of twice the density.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

const QColor kOutlineBlue(102, 153, 204);
const QColor kDarkBlue(0, 51, 153);
const QColor kMidBlue(0, 102, 204);
const QColor kGrey(128, 128, 128);
const QColor kPaleBlue(176, 208, 240);
const QColor kYellow(255, 204, 51);
const QColor kDarkYellow(204, 153, 0);

void sheetOfPaper(QPainter& p) {
    const QPolygon sheet({{3, 1}, {9, 1}, {12, 4}, {12, 14}, {3, 14}});
    p.setPen(kOutlineBlue);
    p.setBrush(Qt::white);
    p.drawPolygon(sheet);
    p.setBrush(QColor(220, 232, 244));
    p.drawPolygon(QPolygon({{9, 1}, {9, 4}, {12, 4}}));
    p.setPen(kGrey);
    for (const int y : {6, 8, 10, 12}) {
        p.drawLine(5, y, y == 12 ? 8 : 10, y);
    }
}

void openFolder(QPainter& p) {
    p.setPen(kDarkYellow);
    p.setBrush(QColor(230, 180, 40));
    p.drawPolygon(QPolygon({{1, 4}, {4, 4}, {5, 5}, {10, 5}, {10, 13}, {1, 13}}));
    p.setBrush(kYellow);
    p.drawPolygon(QPolygon({{3, 8}, {14, 8}, {11, 13}, {1, 13}}));
    // The curved arrow at the top right.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kMidBlue, 1));
    p.drawArc(QRect(8, 1, 6, 6), 0 * 16, 160 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kMidBlue);
    p.drawPolygon(QPolygon({{12, 4}, {15, 4}, {14, 6}}));
}

void floppy(QPainter& p, const QRect& r) {
    p.setPen(kDarkBlue);
    p.setBrush(kMidBlue);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    const int w = r.width();
    const int h = r.height();
    // Shutter at the top, label at the bottom.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(r.x() + w / 4, r.y() + 1, w / 2, h / 3);
    p.setBrush(kDarkBlue);
    p.drawRect(r.x() + w / 2, r.y() + 2, 1, h / 3 - 2);
    p.setBrush(Qt::white);
    p.drawRect(r.x() + 2, r.y() + h / 2 + 1, w - 4, h / 2 - 2);
    p.setBrush(kDarkBlue);
    p.drawRect(r.x(), r.y(), 1, h);
    p.drawRect(r.x(), r.y() + h - 1, w, 1);
}

void oneFloppy(QPainter& p) {
    floppy(p, QRect(2, 2, 12, 12));
}

void twoFloppies(QPainter& p) {
    floppy(p, QRect(1, 1, 10, 10));
    floppy(p, QRect(5, 5, 10, 10));
}

void doorWithArrow(QPainter& p) {
    // The door frame, and the door swung half open towards the viewer.
    p.setPen(kDarkBlue);
    p.setBrush(QColor(90, 90, 110));
    p.drawRect(1, 1, 7, 13);
    p.setBrush(kPaleBlue);
    p.drawPolygon(QPolygon({{1, 1}, {5, 3}, {5, 15}, {1, 14}}));
    p.setPen(kDarkBlue);
    p.drawPoint(4, 9);
    // The arrow pointing left into the doorway.
    p.setPen(QPen(kMidBlue, 2));
    p.drawLine(15, 8, 9, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(kMidBlue);
    p.drawPolygon(QPolygon({{6, 8}, {10, 4}, {10, 12}}));
}

const int kLineLengths[5] = {14, 10, 14, 8, 12};

void lines(QPainter& p, int alignment) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (int i = 0; i < 5; ++i) {
        const int length = kLineLengths[i];
        const int left = alignment < 0 ? 1 : alignment == 0 ? (16 - length) / 2 : 15 - length;
        p.drawRect(left, 2 + 3 * i, length, 1);
    }
}

void letter(QPainter& p, QChar ch, bool bold, bool italic, int bottom) {
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(15);
    font.setBold(bold);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferFullHinting);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, 16, bottom), Qt::AlignHCenter | Qt::AlignBottom, QString(ch));
}

void underlinedLetter(QPainter& p) {
    letter(p, QChar(0x0427), false, false, 14);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(kGrey);
    p.drawRect(2, 14, 12, 2);
}

void bullets(QPainter& p) {
    p.setPen(Qt::NoPen);
    for (const int y : {2, 7, 12}) {
        p.setBrush(kDarkBlue);
        p.drawRect(1, y, 3, 3);
        p.setBrush(Qt::black);
        p.drawRect(6, y + 1, 9, 1);
    }
}

// The sheet at scale 1 (16-pixel cells) or 2 (32-pixel cells, for screens of twice the density):
// the same drawing, each glyph's coordinates scaled, so that straight edges stay on whole pixels
// and the letters are rendered at twice their size.
QImage drawSheet(const std::function<void(QPainter&)> (&glyphs)[12], int scale) {
    QImage sheet(64 * scale, 64 * scale, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    for (int k = 0; k < 12; ++k) {
        QImage cell(16 * scale, 16 * scale, QImage::Format_ARGB32_Premultiplied);
        cell.fill(Qt::transparent);
        {
            QPainter p(&cell);
            p.scale(scale, scale);
            glyphs[k](p);
        }
        QPainter s(&sheet);
        s.drawImage(16 * scale * (k % 4), 16 * scale * (k / 4), cell);
    }
    return sheet;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("glyphs.png");
    const std::function<void(QPainter&)> glyphs[12] = {
        sheetOfPaper,
        openFolder,
        oneFloppy,
        twoFloppies,
        doorWithArrow,
        [](QPainter& p) { lines(p, -1); },
        [](QPainter& p) { lines(p, 0); },
        [](QPainter& p) { lines(p, 1); },
        [](QPainter& p) { letter(p, QChar(0x0416), true, false, 16); },
        [](QPainter& p) { letter(p, QChar(0x041A), false, true, 16); },
        underlinedLetter,
        bullets,
    };
    // The sheet for twice the density next to it: glyphs.png and glyphs@2x.png.
    QString out2 = out;
    out2.insert(out.endsWith(QLatin1String(".png")) ? out.size() - 4 : out.size(),
                QLatin1String("@2x"));
    return drawSheet(glyphs, 1).save(out, "PNG") && drawSheet(glyphs, 2).save(out2, "PNG") ? 0 : 1;
}
