#pragma once
// The program's one converter between twips and pixels.
//
// Windows are designed in twips, 15 to a pixel at 96 dots per inch with the font the design was drawn for.
// Fonts in use are wider (and at 144 dots per inch larger), so the windows grow with them: a scale says how
// many pixels one design pixel takes, across and down. The GUI measures the scales from the font at start;
// until then, and in tests that fix them, both are 1.

#include <QRect>
#include <QSize>

namespace vestrel {

constexpr double kTwipsPerDesignPixel = 15.0;

struct TwipScale {
    double x = 1.0; // pixels per design pixel, across
    double y = 1.0; // and down

    // Twips to pixels, rounded to the nearest pixel (halves away from zero).
    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    QPoint toPixels(const QPoint& twips) const;
    QSize toPixels(const QSize& twips) const;
    QRect toPixels(const QRect& twips) const;

    // Pixels to twips, unrounded, so that a size read back converts to the same pixels.
    double toTwipsX(double pixels) const;
    double toTwipsY(double pixels) const;
    // Rounded to whole twips, for layouts kept in twips.
    QSize toTwips(const QSize& pixels) const;

    bool operator==(const TwipScale&) const = default;
};

// Windows built around the blending grid (main window, calculator): their 720-twip cells hold a price such
// as "12345.67" and a lot name of six Chinese characters whole.
TwipScale GridScale();
// Windows built around lists (catalogue, history, selection dialog) and the columns of every list: a 900-twip
// column holds "12345.67" whole.
TwipScale ListScale();
// Pictures and the small windows of a picture and a line of text (splash, loading note, About, the banner):
// they grow evenly with the text's height, so the pictures keep their shape.
TwipScale PictureScale();
void SetTwipScales(const TwipScale& grid, const TwipScale& list);

} // namespace vestrel
