#pragma once
// Window sizes for the font and the screen in use: the twip scales measured from the font, and the size and
// place a window opens at.

#include "base/Twips.h"

class QFont;
class QLineEdit;
class QWidget;

namespace vestrel {

// The design sizes the scales are measured on.
constexpr int kGridCellWidthTwips = 690;  // a cell of the blending grid; cells start 720 twips apart
constexpr int kGridCellHeightTwips = 330; // and its height
constexpr int kListColumnTwips = 900;     // an index, stock or price column of the lot list

// The texts the design's cells hold whole: the widest price and a lot name of six Chinese characters.
QString WidestNumberText();
QString LongNameText();

// The pixels of a line edit that show no text: its frame, QLineEdit's own margins and the cursor at the end.
int LineEditChrome(const QLineEdit* edit);

struct TwipScales {
    TwipScale grid;
    TwipScale list;
};
// The scales at which the design's cells hold their texts in `font`, under the application's style.
TwipScales MeasureTwipScales(const QFont& font);
// Measures the application font and installs the scales (SetTwipScales); called once at start.
void InstallTwipScales();

// The inside size a window opens at for the wanted one: as wanted, but with its frame no larger than the
// available screen.
QSize OpeningSize(const QSize& wanted);
// Gives a window that is not shown yet its opening size, centred on the available screen.
void OpenAtSize(QWidget* window, const QSize& wanted);

} // namespace vestrel
