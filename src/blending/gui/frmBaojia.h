#pragma once
// An offer typed in: name, indices and price, valued against the main window's panel and limits.

#include "data/IndexTable.h"

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;

namespace vestrel {

class frmBaojia : public QWidget {
    Q_OBJECT
public:
    explicit frmBaojia(QWidget* parent = nullptr);
    // "计算": checks the boxes, then shows the break-even text; bad input is told through a message.
    void cmdJisuan_Click();

private:
    QLineEdit* m_name = nullptr;
    std::array<QLineEdit*, kIndexCount> m_indices{}; // in the order of IndexTable()
    QLineEdit* m_price = nullptr;
    QLabel* m_result = nullptr;
};

} // namespace vestrel
