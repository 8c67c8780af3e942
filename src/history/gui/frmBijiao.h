#pragma once
// Two scheme sets side by side: for every k both hold, both prices, the difference and the lots each uses,
// and the cheapest scheme of each.

#include "history/Reprice.h"

#include <QWidget>

class QTableWidget;
class QLabel;

namespace vestrel {

class frmBijiao : public QWidget {
    Q_OBJECT
public:
    frmBijiao(const StoredSet& a, const StoredSet& b, QWidget* parent = nullptr);
    const Comparison& comparison() const { return m_comparison; }

private:
    Comparison m_comparison;
};

} // namespace vestrel
