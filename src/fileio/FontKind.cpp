#include "FontKind.h"

#include "TextFormat.h"

#ifdef ZELTO_HAVE_FONTCONFIG
#include <QStringList>
#include <array>
#include <fontconfig/fontconfig.h>
#include <utility>
#endif

namespace {

#ifdef ZELTO_HAVE_FONTCONFIG

FcPattern* patternFor(const QString& name) {
    FcPattern* pattern = FcPatternCreate();
    const QByteArray utf8 = name.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.constData()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    return pattern;
}

// The families the configuration puts in place of name, best first, name itself included.
QStringList substitutes(const QString& name) {
    FcPattern* pattern = patternFor(name);
    QStringList families;
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        families.append(QString::fromUtf8(reinterpret_cast<const char*>(family)));
    }
    FcPatternDestroy(pattern);
    return families;
}

using Generic = std::pair<FontKind::Family, QString>;

// Each generic family with the face the configuration prefers for it. A family's own list of
// substitutes takes in a generic's list whole, so the first such face in it tells its kind.
const std::array<Generic, 5>& generics() {
    static const std::array<Generic, 5> table = [] {
        std::array<Generic, 5> t{{
            {FontKind::Family::Modern, QStringLiteral("monospace")},
            {FontKind::Family::Roman, QStringLiteral("serif")},
            {FontKind::Family::Swiss, QStringLiteral("sans-serif")},
            {FontKind::Family::Script, QStringLiteral("cursive")},
            {FontKind::Family::Decorative, QStringLiteral("fantasy")},
        }};
        for (Generic& g : t) {
            g.second = substitutes(g.second).value(0, g.second);
        }
        return t;
    }();
    return table;
}

FontKind::Family familyOf(const QString& name) {
    for (const QString& face : substitutes(name)) {
        for (const Generic& g : generics()) {
            if (face == g.second) {
                return g.first;
            }
        }
    }
    return FontKind::Family::Unknown;
}

FontKind::Pitch pitchOf(const QString& name) {
    FcPattern* pattern = patternFor(name);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return FontKind::Pitch::Unknown;
    }
    int spacing = FC_PROPORTIONAL;
    FcPatternGetInteger(match, FC_SPACING, 0, &spacing);
    FcPatternDestroy(match);
    return spacing >= FC_DUAL ? FontKind::Pitch::Fixed : FontKind::Pitch::Variable;
}

#endif

} // namespace

FontKind FontKind::of(const QString& name, int charset) {
    FontKind kind;
#ifdef ZELTO_HAVE_FONTCONFIG
    kind.family = familyOf(name);
    kind.pitch = pitchOf(name);
#endif
    if (charset == Charset::Symbol) {
        kind.family = Family::Technical;
    }
    return kind;
}
