#include "base/gui/WindowGeometry.h"

#include "base/Seams.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <algorithm>

namespace vestrel {

namespace {

// A window's frame before it is shown: borders and a title bar as the common desktops draw them.
constexpr int kFrameAllowanceWidth = 16;
constexpr int kFrameAllowanceHeight = 40;
// QLineEdit keeps its text this far inside the contents rectangle on each side; the cursor takes one pixel
// more at the end.
constexpr int kLineEditTextMargin = 2;
constexpr int kCursorWidth = 1;

double ratio(int needed, int designPixels) {
    return designPixels > 0 ? std::max(1.0, double(needed) / designPixels) : 1.0;
}

} // namespace

QString WidestNumberText() {
    return QStringLiteral("12345.67");
}

QString LongNameText() {
    return QStringLiteral("山东青岛焦炭");
}

int LineEditChrome(const QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins margins = edit->textMargins();
    return edit->width() - contents.width() + margins.left() + margins.right() + 2 * kLineEditTextMargin + kCursorWidth;
}

TwipScales MeasureTwipScales(const QFont& font) {
    const TwipScale design;
    const int cellWidth = design.toPixelsX(kGridCellWidthTwips);
    const int cellHeight = design.toPixelsY(kGridCellHeightTwips);

    QLineEdit edit;
    edit.setFont(font);
    edit.resize(cellWidth, cellHeight);
    const int editChrome = LineEditChrome(&edit);

    const QFontMetrics metrics(font);
    const int number = metrics.horizontalAdvance(WidestNumberText());
    const int name = metrics.horizontalAdvance(LongNameText());

    // A list cell as the view sizes one to its contents: the text, the style's margins and the grid's line.
    QTableView view;
    view.setFont(font);
    QStyleOptionViewItem item;
    item.initFrom(&view);
    item.font = font;
    item.fontMetrics = metrics;
    item.text = WidestNumberText();
    item.features = QStyleOptionViewItem::HasDisplay;
    const int listCell = view.style()->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), &view).width() + 1;

    TwipScales s;
    s.grid.x = ratio(std::max(number, name) + editChrome, cellWidth);
    s.grid.y = ratio(edit.sizeHint().height(), cellHeight);
    s.list.x = ratio(listCell, design.toPixelsX(kListColumnTwips));
    s.list.y = s.grid.y;
    return s;
}

void InstallTwipScales() {
    const TwipScales s = MeasureTwipScales(QApplication::font("QLineEdit"));
    SetTwipScales(s.grid, s.list);
}

QSize OpeningSize(const QSize& wanted) {
    const QRect available = availableScreenGeometry();
    if (available.isEmpty()) return wanted;
    return {std::min(wanted.width(), available.width() - kFrameAllowanceWidth),
            std::min(wanted.height(), available.height() - kFrameAllowanceHeight)};
}

void OpenAtSize(QWidget* window, const QSize& wanted) {
    const QSize size = OpeningSize(wanted);
    window->resize(size);
    const QRect available = availableScreenGeometry();
    if (available.isEmpty()) return;
    const QSize outer = size + QSize(kFrameAllowanceWidth, kFrameAllowanceHeight);
    window->move(available.left() + std::max(0, (available.width() - outer.width()) / 2),
                 available.top() + std::max(0, (available.height() - outer.height()) / 2));
}

} // namespace vestrel
