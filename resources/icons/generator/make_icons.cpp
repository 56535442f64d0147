// Draws the application icon (a shaded blue globe circled by a dark grey ring and a green ring) at
// every size the program and its packages use, and writes the PNG files and a Windows .ico made
// from them. Not part of the build: run it after changing the drawing and commit its output.
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
#include <cstdio>
#include <vector>

namespace {

const int kSizes[] = {16, 24, 32, 48, 64, 96, 128, 256};

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

// One .ico image as a device-independent bitmap: 32-bit BGRA rows bottom up, then the 1-bit AND
// mask (set where the pixel is fully transparent), rows padded to 32 bits.
QByteArray dibBytes(const QImage& image) {
    const int n = image.width();
    QByteArray out;
    putLe32(out, 40);
    putLe32(out, n);
    putLe32(out, 2 * n); // colour rows plus mask rows
    putLe16(out, 1);
    putLe16(out, 32);
    putLe32(out, 0);
    putLe32(out, 0);
    putLe32(out, 0);
    putLe32(out, 0);
    putLe32(out, 0);
    putLe32(out, 0);
    for (int y = n - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < n; ++x) {
            out.append(char(qBlue(row[x])));
            out.append(char(qGreen(row[x])));
            out.append(char(qRed(row[x])));
            out.append(char(qAlpha(row[x])));
        }
    }
    const int maskStride = ((n + 31) / 32) * 4;
    for (int y = n - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QByteArray mask(maskStride, '\0');
        for (int x = 0; x < n; ++x) {
            if (qAlpha(row[x]) == 0) {
                mask[x / 8] = char(mask[x / 8] | (0x80 >> (x % 8)));
            }
        }
        out.append(mask);
    }
    return out;
}

// The .ico container: the 256-pixel image stored as PNG (as Windows expects for that size), the
// smaller ones as bitmaps, which every reader understands.
QByteArray icoBytes(const std::vector<QImage>& images) {
    std::vector<QByteArray> payloads;
    for (const QImage& image : images) {
        payloads.push_back(image.width() >= 256 ? pngBytes(image) : dibBytes(image));
    }
    QByteArray out;
    putLe16(out, 0);
    putLe16(out, 1);
    putLe16(out, quint16(images.size()));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int n = images[i].width();
        out.append(char(n >= 256 ? 0 : n)); // 0 stands for 256
        out.append(char(n >= 256 ? 0 : n));
        out.append(char(0)); // no palette
        out.append(char(0));
        putLe16(out, 1);  // planes
        putLe16(out, 32); // bits per pixel
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
    std::vector<QImage> images;
    for (int size : kSizes) {
        images.push_back(drawIcon(size));
        if (!writeFile(dir.filePath(QStringLiteral("zelto-%1.png").arg(size)),
                       pngBytes(images.back()))) {
            return 1;
        }
    }
    return writeFile(dir.filePath(QStringLiteral("zelto.ico")), icoBytes(images)) ? 0 : 1;
}
