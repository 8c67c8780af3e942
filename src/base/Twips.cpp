#include "base/Twips.h"

#include <cmath>

namespace vestrel {

namespace {

TwipScale g_grid;
TwipScale g_list;

int nearest(double pixels) {
    return int(std::lround(pixels));
}

} // namespace

int TwipScale::toPixelsX(double twips) const {
    return nearest(twips * x / kTwipsPerDesignPixel);
}

int TwipScale::toPixelsY(double twips) const {
    return nearest(twips * y / kTwipsPerDesignPixel);
}

QPoint TwipScale::toPixels(const QPoint& twips) const {
    return {toPixelsX(twips.x()), toPixelsY(twips.y())};
}

QSize TwipScale::toPixels(const QSize& twips) const {
    return {toPixelsX(twips.width()), toPixelsY(twips.height())};
}

QRect TwipScale::toPixels(const QRect& twips) const {
    return {toPixels(twips.topLeft()), toPixels(twips.size())};
}

double TwipScale::toTwipsX(double pixels) const {
    return pixels * kTwipsPerDesignPixel / x;
}

double TwipScale::toTwipsY(double pixels) const {
    return pixels * kTwipsPerDesignPixel / y;
}

QSize TwipScale::toTwips(const QSize& pixels) const {
    return {nearest(toTwipsX(pixels.width())), nearest(toTwipsY(pixels.height()))};
}

TwipScale GridScale() {
    return g_grid;
}

TwipScale ListScale() {
    return g_list;
}

TwipScale PictureScale() {
    return {g_grid.y, g_grid.y};
}

void SetTwipScales(const TwipScale& grid, const TwipScale& list) {
    // A scale below the design would clip the very texts the design was drawn for.
    const auto atLeastDesign = [](TwipScale s) {
        s.x = std::isfinite(s.x) && s.x > 1.0 ? s.x : 1.0;
        s.y = std::isfinite(s.y) && s.y > 1.0 ? s.y : 1.0;
        return s;
    };
    g_grid = atLeastDesign(grid);
    g_list = atLeastDesign(list);
}

} // namespace vestrel
