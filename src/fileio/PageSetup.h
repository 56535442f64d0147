#pragma once

// The page a saved document states, in twips: the paper of the user's locale (A4 where the
// locale tells none) and a margin of 2 cm on every side.
struct PageSetup {
    static constexpr int kMarginTwips = 1134; // 2 cm

    int paperWidth = 11906; // A4, 210 x 297 mm
    int paperHeight = 16838;
    int margin = kMarginTwips;

    int textWidth() const { return paperWidth - 2 * margin; }

    // The paper of the locale's LC_PAPER category.
    static PageSetup local();
    // A paper of widthMm x heightMm millimetres; A4 when a side is under 5 cm. The locale gives
    // whole millimetres: sizes within a millimetre of A4, US Letter or US Legal are taken as
    // exactly those.
    static PageSetup fromMillimetres(int widthMm, int heightMm);

    friend bool operator==(const PageSetup&, const PageSetup&) = default;
};
