#pragma once
// The two report-style lists every window shares: the lot list (16 columns) and the ratio-scheme list
// (24 columns). The routines fill a ListData; the windows show it and the exports read it back.

#include "lists/ListData.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <Qt>

namespace vestrel {

// Column counts of the two lists.
constexpr int kLotColumnCount = 16;
constexpr int kRatioColumnCount = 24;
// Share columns of the ratio list: columns 1 .. 10 ("D1" .. "D10").
constexpr int kShareColumnCount = 10;
constexpr int kFirstShareColumn = 1;

// Replaces the columns with the 16 lot columns ("编号", "名称", the twelve indices, "库存", "价格").
void SetLotColumns(ListData& list);
// Replaces the rows with one row per record of the query, in the order returned. The query must return the
// lot columns (every caller selects all columns); `binds` fill its placeholders in order. Opens the database
// and leaves it open for the caller to close. False on failure (reason in LastDbError()), with no rows.
bool FillLotRows(ListData& list, const QString& sql, const QVariantList& binds = {});

// The width in twips of the ratio list's columns for a screen that many pixels wide.
int RatioColumnWidth(double screenWidthPixels);
// Replaces the columns with the 24 ratio columns ("序" hidden, "D1" .. "D10", the twelve indices, "价格"),
// sized for the screen (ScreenWidthPixels()).
void SetRatioColumns(ListData& list);
// Heads the share columns "d1" .. "d10", then column K with names[K-1], at most ten. Each name is taken whole,
// so a name may hold any character, "," included.
void NameRatioColumns(ListData& list, const QStringList& names);
// Like FillLotRows, for Lishi_Peibibiao records.
bool FillRatioRows(ListData& list, const QString& sql, const QVariantList& binds = {});

// Sorts the rows by the text of one column, case-insensitively in the order of the user's language. Stable:
// rows with equal texts keep their order, in either direction.
void SortListRows(ListData& list, int column, Qt::SortOrder order);

} // namespace vestrel
