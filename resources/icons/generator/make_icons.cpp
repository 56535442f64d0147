// Draws the application icon (a shaded blue globe circled by a dark grey ring and a green ring) at
// every size the program and its packages use, and writes the PNG files and the Windows icon
// group: 48, 32 and 16 pixels in 16 colours and in 256 colours, then 256, 128, 96, 80, 72, 64, 48,
// 32 and 16 pixels in 32-bit colour with alpha. Not part of the build: run it after changing the
// drawing and commit its output.
//
//   cmake -S resources/icons/generator -B /tmp/icongen -G Ninja && cmake --build /tmp/icongen
//   /tmp/icongen/make_icons resources/icons

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <iterator>
#include <vector>

namespace {

// The PNG files: the sizes of the hicolor theme that the packages install, and the program's own.
const int kPngSizes[] = {16, 24, 32, 48, 64, 96, 128, 256};

// One image of the icon group: its size and colour depth in bits per pixel.
struct IcoImage {
    int size;
    int bits;
};
const IcoImage kIcoImages[] = {
    {48, 4},  {32, 4},  {16, 4},  {48, 8},  {32, 8},  {16, 8},  {256, 32}, {128, 32},
    {96, 32}, {80, 32}, {72, 32}, {64, 32}, {48, 32}, {32, 32}, {16, 32},
};

// The sixteen colours of the standard Windows palette, for the 16-colour images.
const QRgb kSixteenColours[16] = {
    0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080, 0xff008080, 0xffc0c0c0,
    0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00, 0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff,
};

// Colours of the drawing.
const QColor kGreenLight(120, 200, 80);
const QColor kGreenDark(40, 120, 30);
const QColor kGreyLight(95, 95, 100);
const QColor kGreyDark(40, 40, 45);
const QColor kSeaLight(150, 205, 255);
const QColor kSeaMid(30, 110, 210);
const QColor kSeaDark(10, 40, 110);

// A ring between radii outer and inner around the centre, shaded from top left to bottom right.
void drawRing(QPainter& p, QPointF centre, qreal outer, qreal inner, QColor light, QColor dark) {
    QPainterPath ring;
    ring.addEllipse(centre, outer, outer);
    ring.addEllipse(centre, inner, inner);
    ring.setFillRule(Qt::OddEvenFill);
    QLinearGradient shade(centre - QPointF(outer, outer), centre + QPointF(outer, outer));
    shade.setColorAt(0.0, light);
    shade.setColorAt(1.0, dark);
    p.fillPath(ring, shade);
}

// Meridians and parallels over the globe, clipped to it; left out where they would only blur.
void drawGraticule(QPainter& p, QPointF centre, qreal r, int size) {
    if (size < 32) {
        return;
    }
    p.save();
    QPainterPath globe;
    globe.addEllipse(centre, r, r);
    p.setClipPath(globe);
    QPen pen(QColor(220, 240, 255, size >= 64 ? 110 : 80));
    pen.setWidthF(qMax(1.0, r / 40.0));
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const int lines = size >= 64 ? 3 : 1;
    for (int i = 1; i <= lines; ++i) {
        const qreal rx = r * i / (lines + 1.0);
        p.drawEllipse(centre, rx, r); // meridians
    }
    p.drawLine(QPointF(centre.x(), centre.y() - r), QPointF(centre.x(), centre.y() + r));
    for (int i = -lines; i <= lines; ++i) {
        const qreal y = centre.y() + r * i / (lines + 1.0);
        p.drawLine(QPointF(centre.x() - r, y), QPointF(centre.x() + r, y)); // parallels
    }
    p.restore();
}

// The globe: a sphere lit from the top left, with a soft highlight.
void drawGlobe(QPainter& p, QPointF centre, qreal r, int size) {
    QRadialGradient sea(centre, r, centre - QPointF(r * 0.4, r * 0.45));
    sea.setColorAt(0.0, kSeaLight);
    sea.setColorAt(0.55, kSeaMid);
    sea.setColorAt(1.0, kSeaDark);
    p.setPen(Qt::NoPen);
    p.setBrush(sea);
    p.drawEllipse(centre, r, r);
    drawGraticule(p, centre, r, size);
    if (size >= 24) {
        const QPointF spot = centre - QPointF(r * 0.38, r * 0.42);
        QRadialGradient shine(spot, r * 0.45);
        shine.setColorAt(0.0, QColor(255, 255, 255, 150));
        shine.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setBrush(shine);
        p.drawEllipse(spot, r * 0.45, r * 0.45);
    }
}

QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(size / 2.0, size / 2.0);
    // Ring widths stay at least a pixel or so wide at the smallest sizes.
    const qreal outer = size / 2.0 - qMax(0.25, size / 128.0);
    const qreal green = qMax(1.6, size * 0.075);
    const qreal gap = size >= 48 ? size * 0.012 : 0.0;
    const qreal grey = qMax(1.4, size * 0.06);
    drawRing(p, centre, outer, outer - green, kGreenLight, kGreenDark);
    drawRing(p, centre, outer - green - gap, outer - green - gap - grey, kGreyLight, kGreyDark);
    drawGlobe(p, centre, outer - green - gap - grey + 0.5, size);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void putLe16(QByteArray& out, quint16 v) {
    const quint16 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&le), 2);
}

void putLe32(QByteArray& out, quint32 v) {
    const quint32 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&le), 4);
}

// A pixel that a palette image shows; the others are left to the AND mask.
bool opaque(QRgb pixel) {
    return qAlpha(pixel) >= 128;
}

int nearest(const QList<QRgb>& palette, int r, int g, int b) {
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < palette.size(); ++i) {
        const int dr = qRed(palette[i]) - r;
        const int dg = qGreen(palette[i]) - g;
        const int db = qBlue(palette[i]) - b;
        const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

// The palette of an image of the given depth: the sixteen standard colours, or 256 chosen by Qt
// from the image's opaque pixels (with black, which the transparent pixels take).
QList<QRgb> paletteFor(const QImage& image, int bits) {
    if (bits == 4) {
        return {std::begin(kSixteenColours), std::end(kSixteenColours)};
    }
    QImage flat = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!opaque(image.pixel(x, y))) {
                flat.setPixel(x, y, qRgb(0, 0, 0));
            }
        }
    }
    QList<QRgb> palette =
        flat.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::PreferDither)
            .colorTable();
    palette.resize(256, qRgb(0, 0, 0));
    return palette;
}

// The palette index of every pixel, dithered with error diffusion over the opaque pixels (half of
// the error with the sixteen colours, where the whole of it only makes noise); transparent pixels
// take the colour nearest to black.
std::vector<int> indexedPixels(const QImage& image, const QList<QRgb>& palette) {
    const int divisor = palette.size() <= 16 ? 32 : 16;
    const int n = image.width();
    std::vector<int> indices(size_t(n) * size_t(n));
    std::vector<int> error(size_t(n + 2) * 3 * 2, 0); // this row and the next, 3 channels each
    const int black = nearest(palette, 0, 0, 0);
    for (int y = 0; y < n; ++y) {
        int* here = error.data() + size_t((y % 2) * (n + 2) * 3);
        int* below = error.data() + size_t(((y + 1) % 2) * (n + 2) * 3);
        std::fill(below, below + (n + 2) * 3, 0);
        for (int x = 0; x < n; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (!opaque(pixel)) {
                indices[size_t(y * n + x)] = black;
                continue;
            }
            int* e = here + (x + 1) * 3;
            const int want[3] = {std::clamp(qRed(pixel) + e[0] / divisor, 0, 255),
                                 std::clamp(qGreen(pixel) + e[1] / divisor, 0, 255),
                                 std::clamp(qBlue(pixel) + e[2] / divisor, 0, 255)};
            const int index = nearest(palette, want[0], want[1], want[2]);
            indices[size_t(y * n + x)] = index;
            const int got[3] = {qRed(palette[index]), qGreen(palette[index]),
                                qBlue(palette[index])};
            for (int c = 0; c < 3; ++c) {
                const int diff = want[c] - got[c];
                e[3 + c] += diff * 7;
                below[x * 3 + c] += diff * 3;
                below[(x + 1) * 3 + c] += diff * 5;
                below[(x + 2) * 3 + c] += diff;
            }
        }
    }
    return indices;
}

// One .ico image as a device-independent bitmap: the header, the palette of a 4- or 8-bit image,
// the colour rows bottom up (32-bit BGRA, or palette indices), then the 1-bit AND mask (set where
// the pixel is transparent), every row padded to 32 bits.
QByteArray dibBytes(const QImage& image, int bits) {
    const int n = image.width();
    const int stride = ((n * bits + 31) / 32) * 4;
    const int maskStride = ((n + 31) / 32) * 4;
    const QList<QRgb> palette = bits < 32 ? paletteFor(image, bits) : QList<QRgb>();
    QByteArray out;
    putLe32(out, 40);
    putLe32(out, n);
    putLe32(out, 2 * n); // colour rows plus mask rows
    putLe16(out, 1);
    putLe16(out, quint16(bits));
    putLe32(out, 0);                                  // no compression
    putLe32(out, quint32((stride + maskStride) * n)); // image size
    putLe32(out, 0);
    putLe32(out, 0);
    putLe32(out, quint32(palette.size()));
    putLe32(out, 0);
    for (const QRgb colour : palette) {
        out.append(char(qBlue(colour)));
        out.append(char(qGreen(colour)));
        out.append(char(qRed(colour)));
        out.append(char(0));
    }
    const std::vector<int> indices = bits < 32 ? indexedPixels(image, palette) : std::vector<int>();
    for (int y = n - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < n; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (bits == 32) {
                row[4 * x] = char(qBlue(pixel));
                row[4 * x + 1] = char(qGreen(pixel));
                row[4 * x + 2] = char(qRed(pixel));
                row[4 * x + 3] = char(qAlpha(pixel));
            } else if (bits == 8) {
                row[x] = char(indices[size_t(y * n + x)]);
            } else {
                const int shift = x % 2 == 0 ? 4 : 0;
                row[x / 2] = char(row[x / 2] | (indices[size_t(y * n + x)] << shift));
            }
        }
        out.append(row);
    }
    // The mask: a 32-bit image hides only what is fully transparent (its alpha does the rest).
    const int hidden = bits == 32 ? 1 : 128;
    for (int y = n - 1; y >= 0; --y) {
        QByteArray mask(maskStride, '\0');
        for (int x = 0; x < n; ++x) {
            if (qAlpha(image.pixel(x, y)) < hidden) {
                mask[x / 8] = char(mask[x / 8] | (0x80 >> (x % 8)));
            }
        }
        out.append(mask);
    }
    return out;
}

// The .ico container, in the order of kIcoImages: the 256-pixel image stored as PNG (as Windows
// expects for that size), the others as bitmaps, which every reader understands.
QByteArray icoBytes() {
    std::vector<QByteArray> payloads;
    for (const IcoImage& entry : kIcoImages) {
        const QImage image = drawIcon(entry.size);
        payloads.push_back(entry.size >= 256 ? pngBytes(image) : dibBytes(image, entry.bits));
    }
    const auto count = quint32(std::size(kIcoImages));
    QByteArray out;
    putLe16(out, 0);
    putLe16(out, 1);
    putLe16(out, quint16(count));
    quint32 offset = 6 + 16 * count;
    for (quint32 i = 0; i < count; ++i) {
        const int n = kIcoImages[i].size;
        const int bits = kIcoImages[i].bits;
        out.append(char(n >= 256 ? 0 : n)); // 0 stands for 256
        out.append(char(n >= 256 ? 0 : n));
        out.append(char(bits == 4 ? 16 : 0)); // colours in the palette; 0 for 256 or none
        out.append(char(0));
        putLe16(out, 1); // planes
        putLe16(out, quint16(bits));
        putLe32(out, quint32(payloads[i].size()));
        putLe32(out, offset);
        offset += quint32(payloads[i].size());
    }
    for (const QByteArray& payload : payloads) {
        out.append(payload);
    }
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    for (int size : kPngSizes) {
        if (!writeFile(dir.filePath(QStringLiteral("zelto-%1.png").arg(size)),
                       pngBytes(drawIcon(size)))) {
            return 1;
        }
    }
    return writeFile(dir.filePath(QStringLiteral("zelto.ico")), icoBytes()) ? 0 : 1;
}
