#pragma once

#include <QDebug>
#include <compare>

// The three ways of counting places in the editor's text, as three types that do not mix.
//
// A Position counts the text as the program sees it: every paragraph break is two characters, CR
// and LF. Selection start, search positions and FindPos are Positions. It is made from a plain
// number without ceremony, since that is how the program writes them.
//
// A QtPosition counts the text as Qt's document holds it: one separator per block break, including
// the separators inside a very long paragraph held in pieces (ParagraphPieces), which stand for a
// space or for nothing.
//
// A TextIndex counts the text as the search reads it (ParagraphPieces::rawText): one separator per
// paragraph break, a space where a piece separator stands for one, and nothing where it stands for
// nothing. It indexes the search's copy of the text.
//
// The editor adapter (RichEdit) converts between Position and QtPosition; the piece model
// (ParagraphPieces::textIndex and qtPosition) between QtPosition and TextIndex. Both cost
// O(log n), and nothing else converts.
struct Position {
    int value = 0;

    constexpr Position() = default;
    constexpr Position(int v) : value(v) {} // NOLINT(google-explicit-constructor)

    friend constexpr bool operator==(Position, Position) = default;
    friend constexpr std::strong_ordering operator<=>(Position a, Position b) {
        return a.value <=> b.value;
    }
    // A position some characters further on, and the characters between two positions.
    friend constexpr Position operator+(Position p, int n) { return Position(p.value + n); }
    friend constexpr Position operator-(Position p, int n) { return Position(p.value - n); }
    friend constexpr int operator-(Position a, Position b) { return a.value - b.value; }
    friend QDebug operator<<(QDebug debug, Position p) { return debug << p.value; }
};

// A QtPosition or a TextIndex: made from a number only explicitly, so that neither mixes with
// another way of counting. Way names the count in debug output.
template <typename Way> struct CountedPlace {
    int value = 0;

    constexpr CountedPlace() = default;
    constexpr explicit CountedPlace(int v) : value(v) {}

    friend constexpr bool operator==(CountedPlace, CountedPlace) = default;
    friend constexpr std::strong_ordering operator<=>(CountedPlace a, CountedPlace b) {
        return a.value <=> b.value;
    }
    // A place some characters further on, and the characters between two places.
    friend constexpr CountedPlace operator+(CountedPlace p, int n) {
        return CountedPlace(p.value + n);
    }
    friend constexpr int operator-(CountedPlace a, CountedPlace b) { return a.value - b.value; }
    friend QDebug operator<<(QDebug debug, CountedPlace p) {
        return debug << Way::kName << p.value;
    }
};

struct QtCounting {
    static constexpr const char* kName = "QtPosition";
};
struct TextCounting {
    static constexpr const char* kName = "TextIndex";
};
using QtPosition = CountedPlace<QtCounting>;
using TextIndex = CountedPlace<TextCounting>;
