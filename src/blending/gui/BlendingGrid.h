#pragma once

#include "blending/PanelTexts.h"

#include <QList>
#include <QWidget>
#include <array>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace vestrel {

// The ten-row lot grid with its toolbar, headers and notes, shared by the main window's panel and the
// calculator. Controls are placed at fixed positions, designed in twips and shown at the grid's scale, so the
// main window can scale them.
class BlendingGrid : public QWidget {
    Q_OBJECT
public:
    explicit BlendingGrid(GridHost host, QWidget* parent = nullptr);

    GridHost host() const { return m_host; }
    // The size the grid was designed at, in twips; its pixels follow GridScale().
    QSize designSize() const { return m_designSize; }

    // The cells and must-use boxes; targets and tonnes are left as they are in `texts`.
    void readInto(PanelTexts& texts) const;
    void writeFrom(const PanelTexts& texts);
    PanelTexts texts() const;

    QLineEdit* cell(int row, GridCell c) const { return m_cells[size_t(row)][size_t(c)]; }
    QCheckBox* mustUseBox(int row) const { return m_chk[size_t(row)]; } // nullptr in the calculator
    QToolBar* toolbar() const { return m_toolbar; }

    void SetTxtValue(const QList<Mei>& lots);
    void ClearGrid();
    // The main window's "全选" box keeps its design width when the window scales the controls.
    void keepChkAllWidth();
    void CompactRows();
    void btnDel_Click(int index);

signals:
    // Toolbar button 4: start a run or calculate; the host decides.
    void startRequested();
    // "评估报价" in the context menu of a row's name cell (main window only).
    void offerRequested(int row);

private:
    void tbrMenu_ButtonClick(int index);
    void chkAll_Click(bool checked);

    GridHost m_host;
    QToolBar* m_toolbar = nullptr;
    std::array<std::array<QLineEdit*, kGridCells>, kGridRows> m_cells{};
    std::array<QCheckBox*, kGridRows> m_chk{};
    std::array<QPushButton*, kGridRows> m_del{};
    QCheckBox* m_chkAll = nullptr;
    QSize m_designSize;
};

} // namespace vestrel
