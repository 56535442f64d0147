#include "PageSetup.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#if __has_include(<langinfo.h>)
#include <langinfo.h>
#endif

namespace {

struct Paper {
    double widthMm, heightMm;
    int width, height; // twips
};

constexpr std::array<Paper, 3> kPapers{{
    {210, 297, 11906, 16838},     // A4
    {215.9, 279.4, 12240, 15840}, // US Letter, 8.5 x 11 in
    {215.9, 355.6, 12240, 20160}, // US Legal, 8.5 x 14 in
}};

// Below this (in millimetres) a side is not taken for a paper's: it would hold no text.
constexpr int kSmallestMm = 50;

int twipsOf(int millimetres) {
    return static_cast<int>(std::lround(millimetres * 1440 / 25.4));
}

} // namespace

PageSetup PageSetup::fromMillimetres(int widthMm, int heightMm) {
    PageSetup page;
    if (widthMm < kSmallestMm || heightMm < kSmallestMm) {
        return page;
    }
    for (const Paper& paper : kPapers) {
        if (std::abs(widthMm - paper.widthMm) <= 1 && std::abs(heightMm - paper.heightMm) <= 1) {
            page.paperWidth = paper.width;
            page.paperHeight = paper.height;
            return page;
        }
    }
    page.paperWidth = twipsOf(widthMm);
    page.paperHeight = twipsOf(heightMm);
    return page;
}

PageSetup PageSetup::local() {
#ifdef __GLIBC__
    // glibc answers these two with a number in place of the string pointer.
    const auto number = [](nl_item item) {
        return static_cast<int>(reinterpret_cast<std::intptr_t>(nl_langinfo(item)));
    };
    return fromMillimetres(number(_NL_PAPER_WIDTH), number(_NL_PAPER_HEIGHT));
#else
    return {};
#endif
}
