#pragma once
// The history window's decisions without widgets: which scheme sets are listed, what a set shows, the
// tonnes conversion, deleting sets and where the window's parts go.

#include "data/DbResult.h"
#include "lists/ListData.h"

#include <QList>
#include <QPair>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace vestrel {

// The newest sets listed; older ones are reached after newer ones are deleted.
constexpr int kSchemeSetLimit = 500;

// Columns of the list of sets: "编号" (hidden id), "方案名称", "方案日期".
void SetSchemeSetColumns(ListData& list);
// The newest sets first: row text = id, sub-items = targets text and date. No rows on failure.
DbStatus FillSchemeSetRows(ListData& list);
// A stored date and time as "2026-12-09 14:36:38", whatever the system's language; a text that is not a date
// stays as it is.
QString SchemeDateText(const QVariant& riqi);

// The queries of one set's lots (storing order) and ratio schemes (cheapest first); one bound value, the id.
QString LotsOfSetSql();
QString RatiosOfSetSql();

// The targets text of a set for the label, with every CR LF removed; std::nullopt when the set is gone.
DbResult<std::optional<QString>> LoadSchemeTargets(qint64 setId);

// The lot names of a lot list (sub-item 1) in row order, one per lot, for NameRatioColumns.
QStringList LotNames(const ListData& lots);

// The whole tonnes of the tonnage text, halves to the even neighbour; std::nullopt when it is not a number.
std::optional<qint32> TonnageFromText(const QString& text);
// Turns the first `lotCount` share columns of every ratio row into tonnes: share x tonnes / S in "0.00", exact
// and rounded once with halves away from zero, where S sums the shares as whole numbers. A row whose shares
// add up to 0 keeps its cells.
void ConvertSharesToTonnes(ListData& ratios, int lotCount, qint32 tonnes);

// Deletes the sets with their schemes and lots, all in one transaction: either every set goes or none.
DbStatus DeleteSchemeSets(const QList<qint64>& ids);

// Positions in twips; list and label rectangles are relative to their frame.
struct HistoryLayout {
    QRect fraLeft, lsvLeft;
    QRect fraTop, lbZhibiao;
    QRect fraMid, lsvMid;
    QRect fraBottom, lsvBottom;
};
// The window's inside size at design (outer 11280 x 8295 twips).
QSize HistoryDesignInside();
// The layout for an inside size, below a tool bar that many twips high. The frames span the width; only the
// ratio list grows downwards. A small window keeps every part at a usable minimum size instead of letting it
// shrink to nothing or below.
HistoryLayout LayoutHistory(QSize insideTwips, int toolbarTwips);
// Widths of the name and date columns for a list of sets that wide: three quarters and one quarter.
QPair<int, int> SchemeSetColumnWidths(int listWidthTwips);

} // namespace vestrel
