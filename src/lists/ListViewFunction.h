#pragma once
// The two report-style lists every window shares: the lot list (16 columns) and the ratio-scheme list
// (24 columns). The routines fill a ListData; the windows show it and the exports read it back.

#include "data/DbResult.h"
#include "lists/ListData.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <Qt>
#include <optional>

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
// lot columns (every caller selects all columns); `binds` fill its placeholders in order. No rows on failure.
DbStatus FillLotRows(ListData& list, const QString& sql, const QVariantList& binds = {});

// The width in twips of the ratio list's columns for a screen that many pixels wide.
int RatioColumnWidth(double screenWidthPixels);
// Replaces the columns with the 24 ratio columns ("序" hidden, "D1" .. "D10", the twelve indices, "价格"),
// sized for the screen (screenWidthPixels()).
void SetRatioColumns(ListData& list);
// Narrows the ratio columns so that the shown ones add up to no more than `widthTwips`, keeping 价格 100 twips
// wider than the others; never widens them, and never below 300 twips.
void FitRatioColumns(ListData& list, int widthTwips);
// Heads the share columns "d1" .. "d10", then column K with names[K-1], at most ten. Each name is taken whole,
// so a name may hold any character, "," included.
void NameRatioColumns(ListData& list, const QStringList& names);
// Like FillLotRows, for Lishi_Peibibiao records.
DbStatus FillRatioRows(ListData& list, const QString& sql, const QVariantList& binds = {});

// How dates show in the lists and exports, whatever the system's language: "2026-12-09 14:36:38".
inline const QString kListDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// Sorts the rows by one column as its kind says: numbers by value, dates by time, texts case-insensitively in
// Chinese (pinyin) order. Empty cells come first ascending and last descending; a cell that is not a value
// of its column's kind comes after the values, among the texts. Stable: rows with equal keys keep their
// order, in either direction.
void SortListRows(ListData& list, int column, Qt::SortOrder order);

} // namespace vestrel
