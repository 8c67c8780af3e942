#pragma once

#include "base/gui/ProportionalLayout.h"
#include "catalogue/Mei.h"

#include <QList>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace vestrel {

class BlendingGrid;

// The manual blend calculator: the grid's calculator variant and the blended indices of the given ratios.
class frmTest : public QWidget {
    Q_OBJECT
public:
    explicit frmTest(QWidget* parent = nullptr);

    BlendingGrid* grid() const { return m_grid; }
    QPlainTextEdit* result() const { return m_result; }
    const QList<Mei>& calcLots() const { return m_calcLots; }

    // Fills the empty rows; each lot's stock lands in the ratio column.
    void SetTxtValue(const QList<Mei>& lots);
    void Command1_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    BlendingGrid* m_grid = nullptr;
    QPlainTextEdit* m_result = nullptr;
    QPushButton* m_calculate = nullptr;
    QList<Mei> m_calcLots;
    QSize m_designClient;
    ProportionalLayout m_layout;
};

} // namespace vestrel
