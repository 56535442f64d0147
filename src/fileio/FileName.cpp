#include "FileName.h"

#include "Cp1251.h"

#include <QDir>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <climits>
#include <unistd.h>
#endif

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // a kept byte b is the character kEscapeBase + b

bool isKeptByte(char16_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

// The length of the valid UTF-8 character at p (at most end - p bytes), or 0 when there is none.
int utf8Length(const unsigned char* p, const unsigned char* end) {
    const unsigned char b = *p;
    int n = 0;
    char32_t min = 0;
    char32_t c = 0;
    if (b < 0x80) {
        return 1;
    }
    if ((b & 0xE0) == 0xC0) {
        n = 2;
        min = 0x80;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3;
        min = 0x800;
        c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4;
        min = 0x10000;
        c = b & 0x07;
    } else {
        return 0;
    }
    if (end - p < n) {
        return 0;
    }
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not characters.
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return 0;
    }
    return n;
}

} // namespace

QString FileName::decode(QByteArrayView bytes) {
    QString name;
    name.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const auto* run = p;
        int n = 0;
        while (p < end && (n = utf8Length(p, end)) > 0) {
            p += n;
        }
        name += QString::fromUtf8(reinterpret_cast<const char*>(run), p - run);
        if (p < end) {
            name += QChar(static_cast<char16_t>(kEscapeBase + *p++));
        }
    }
    return name;
}

QByteArray FileName::encode(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isKeptByte(name[i].unicode())) {
            continue;
        }
        // A kept byte stands alone: the character before it is never its high surrogate, as no
        // decoded name pairs them.
        bytes += QStringView(name).mid(run, i - run).toUtf8();
        if (i < name.size()) {
            bytes += static_cast<char>(name[i].unicode() - kEscapeBase);
        }
        run = i + 1;
    }
    return bytes;
}

QString FileName::display(const QString& name) {
    QString shown = name;
    for (QChar& c : shown) {
        if (isKeptByte(c.unicode())) {
            c = Cp1251::toUnicode(static_cast<unsigned char>(c.unicode() - kEscapeBase));
        }
    }
    return shown;
}

QString FileName::shortName(const QString& path) {
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    cut = std::max(cut, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return path.mid(cut + 1);
}

QString FileName::absolute(const QString& name) {
    if (!QDir::isRelativePath(name)) {
        return QDir::cleanPath(name);
    }
    QString folder = QDir::currentPath();
#ifdef Q_OS_UNIX
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) != nullptr) {
        folder = decode(QByteArrayView(buffer, static_cast<qsizetype>(qstrlen(buffer))));
    }
#endif
    return QDir::cleanPath(folder + QLatin1Char('/') + name);
}

QByteArray FileName::cut(QByteArrayView name, qsizetype room) {
    if (name.size() <= room) {
        return name.toByteArray();
    }
    qsizetype n = std::max<qsizetype>(room, 0);
    // Back over the continuation bytes of a character the cut would split.
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) {
        --n;
    }
    return name.first(n).toByteArray();
}

qsizetype FileName::maxLength(const QByteArray& folder) {
#ifdef Q_OS_UNIX
    const long max = ::pathconf(folder.constData(), _PC_NAME_MAX);
    if (max > 0) {
        return max;
    }
#else
    Q_UNUSED(folder);
#endif
    return 255;
}
