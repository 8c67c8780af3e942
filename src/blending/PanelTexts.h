#pragma once
// What the blending grid and the main window's target boxes hold, as plain texts, and the grid operations
// on it. The grid widget of both hosts reads and writes this value; every decision is made here.

#include "blending/AdvancedLimits.h"
#include "catalogue/Mei.h"

#include <QList>
#include <QString>
#include <array>

namespace vestrel {

// The main window's panel has must-use boxes and moves them with their rows; the calculator has none.
enum class GridHost { Main, Calculator };

constexpr int kGridRows = 10;
constexpr int kGridCells = 15;

// The cells of a row in the order every operation visits them: the name, then the twelve indices in the
// order of the checks and of the model's constraint lines, then stock (the ratio in the calculator) and price.
enum GridCell : int {
    CellName,
    CellSi,
    CellMoisture,
    CellFe,
    CellSulphur,
    CellAsh,
    CellVolatile,
    CellV,
    CellNi,
    CellFixedCarbon,
    CellAl,
    CellCa,
    CellNa,
    CellStock,
    CellPrice,
};

// The cells follow kCellOrder.
static_assert(kCellOrder[CellSi - 1] == 5 && kCellOrder[CellMoisture - 1] == 0 && kCellOrder[CellFe - 1] == 6 &&
              kCellOrder[CellSulphur - 1] == 1 && kCellOrder[CellAsh - 1] == 2 && kCellOrder[CellVolatile - 1] == 3 &&
              kCellOrder[CellV - 1] == 7 && kCellOrder[CellNi - 1] == 8 && kCellOrder[CellFixedCarbon - 1] == 4 &&
              kCellOrder[CellAl - 1] == 9 && kCellOrder[CellCa - 1] == 10 && kCellOrder[CellNa - 1] == 11);

// Index i (0..11, same order as the cells) lives in cell i + 1.
constexpr GridCell IndexCell(int index) {
    return GridCell(CellSi + index);
}

// The Mei property a cell is read into; nullptr for the name cell.
double Mei::*CellMember(GridCell cell);

using GridRow = std::array<QString, kGridCells>;

struct PanelTexts {
    std::array<GridRow, kGridRows> rows;
    std::array<bool, kGridRows> mustUse{};    // chk(0)..chk(9); main window only
    std::array<QString, kIndexCount> targets; // indexed like the cells: targets[i] belongs to IndexCell(i)
    QString tonnes;                           // txtZhongliang
    AdvancedLimits advanced;                  // the "高级指标" dialog; main window only

    QString& cell(int row, GridCell c) { return rows[size_t(row)][size_t(c)]; }
    const QString& cell(int row, GridCell c) const { return rows[size_t(row)][size_t(c)]; }
    QString& target(int index) { return targets[size_t(index)]; }
    const QString& target(int index) const { return targets[size_t(index)]; }

    bool operator==(const PanelTexts&) const = default;
};

// What a run works on: the panel's texts after compaction, the lots read from them and the flag that a
// solution of this run gave all parts to one lot (which adds the difference line to later models).
struct PanelState {
    PanelTexts texts;
    QList<Mei> PanelLots;
    bool SingleLotSeen = false;
};

// True when all fifteen cells are exactly empty; a cell holding blanks counts as filled.
bool IsRowEmpty(const PanelTexts& texts, int row);
// The last row of the unbroken run of named rows from row 0; 0 also when row 0 has no name.
int LastFilledRow(const PanelTexts& texts);
// Empties every cell; the must-use boxes keep their state.
void ClearGrid(PanelTexts& texts);
// The delete button of a row: empties its cells, rows below stay where they are. Other indices do nothing.
void ClearRow(PanelTexts& texts, int row);
// chkAll: every must-use box takes its value.
void SetAllMustUse(PanelTexts& texts, bool value);
// Moves filled rows up over empty ones, keeping their order; the main host moves the must-use boxes along.
void CompactRows(PanelTexts& texts, GridHost host);
// Puts the lots into the empty rows in order; a lot that finds no empty row is dropped.
void SetTxtValue(PanelTexts& texts, const QList<Mei>& lots);
// The lots of rows 0..LastFilledRow, values rounded to two decimals and 0 for empty or non-numeric cells.
QList<Mei> ReadGridLots(const PanelTexts& texts);

} // namespace vestrel
