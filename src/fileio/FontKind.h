#pragma once

#include <QString>

// What kind of face a font family is, so that a reader that lacks it can pick a stand-in of the
// same kind: its generic family, and whether all its characters are equally wide.
struct FontKind {
    // In this order in the RTF writer's table of words.
    enum class Family { Unknown, Roman, Swiss, Modern, Script, Decorative, Technical };
    enum class Pitch { Unknown, Fixed, Variable };

    Family family = Family::Unknown;
    Pitch pitch = Pitch::Unknown;

    // The kind of the face named name with character set charset (Charset), as the system's font
    // configuration sees it: the generic family (serif, sans-serif, monospace, cursive, fantasy)
    // it falls back to first for name, and the spacing of the face name resolves to. A face of
    // the symbol set is Technical. Unknown where the system has no such configuration.
    static FontKind of(const QString& name, int charset);

    friend bool operator==(const FontKind&, const FontKind&) = default;
};
