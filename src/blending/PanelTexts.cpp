#include "blending/PanelTexts.h"

#include "base/CommonFunction.h"

namespace vestrel {

double Mei::*CellMember(GridCell cell) {
    switch (cell) {
    case CellName:
        return nullptr;
    case CellStock:
        return &Mei::Kucun;
    case CellPrice:
        return &Mei::JiaGe;
    default:
        return IndexMember(kCellOrder[size_t(cell - CellSi)]);
    }
}

bool IsRowEmpty(const PanelTexts& texts, int row) {
    if (row < 0 || row >= kGridRows) return true;
    for (const QString& c : texts.rows[size_t(row)])
        if (!c.isEmpty()) return false;
    return true;
}

int LastFilledRow(const PanelTexts& texts) {
    int last = 0;
    for (int i = 0; i < kGridRows && !texts.cell(i, CellName).isEmpty(); ++i)
        last = i;
    return last;
}

void ClearGrid(PanelTexts& texts) {
    for (int i = 0; i < kGridRows; ++i)
        ClearRow(texts, i);
}

void ClearRow(PanelTexts& texts, int row) {
    if (row < 0 || row >= kGridRows) return;
    for (QString& c : texts.rows[size_t(row)])
        c.clear();
}

void SetAllMustUse(PanelTexts& texts, bool value) {
    texts.mustUse.fill(value);
}

void CompactRows(PanelTexts& texts, GridHost host) {
    for (int i = 0; i < kGridRows - 1; ++i) {
        if (!IsRowEmpty(texts, i)) continue;
        int j = i + 1;
        while (j < kGridRows && IsRowEmpty(texts, j))
            ++j;
        if (j == kGridRows) continue;
        if (host == GridHost::Main) {
            texts.mustUse[size_t(i)] = texts.mustUse[size_t(j)];
            texts.mustUse[size_t(j)] = false;
        }
        texts.rows[size_t(i)] = texts.rows[size_t(j)];
        ClearRow(texts, j);
    }
}

void SetTxtValue(PanelTexts& texts, const QList<Mei>& lots) {
    for (const Mei& lot : lots) {
        int row = 0;
        while (row < kGridRows && !IsRowEmpty(texts, row))
            ++row;
        if (row == kGridRows) return; // the grid is full: this lot and every later one are dropped
        texts.cell(row, CellName) = lot.MingCheng;
        for (int c = CellSi; c <= CellPrice; ++c)
            texts.cell(row, GridCell(c)) = FormatTwoDecimals(lot.*CellMember(GridCell(c)));
    }
}

QList<Mei> ReadGridLots(const PanelTexts& texts) {
    QList<Mei> lots;
    const int n = LastFilledRow(texts);
    for (int i = 0; i <= n; ++i) {
        Mei lot;
        if (!texts.cell(i, CellNa).isEmpty()) lot.LeiXing = 1;
        lot.MingCheng = texts.cell(i, CellName);
        for (int c = CellSi; c <= CellPrice; ++c)
            lot.*CellMember(GridCell(c)) = ToDouble(texts.cell(i, GridCell(c)));
        lots.append(lot);
    }
    return lots;
}

} // namespace vestrel
