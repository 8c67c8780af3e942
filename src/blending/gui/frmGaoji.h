#pragma once

#include "blending/PanelTexts.h"

#include <QDialog>
#include <array>

class QLineEdit;

namespace vestrel {

// "高级指标": the other side of each index's limit, share bounds for the panel's lots and a cap on lots per
// scheme. Opened by the panel with its current texts; OK checks the values and keeps the dialog open with a
// message when one is wrong.
class frmGaoji : public QDialog {
    Q_OBJECT
public:
    explicit frmGaoji(const PanelTexts& panel, QWidget* parent = nullptr);

    // What the boxes hold. The shares are those of the lots listed, which are the named panel rows, one line
    // per name; bounds kept for lots no longer in the panel are left out.
    AdvancedLimits limits() const;

public slots:
    void accept() override;

private:
    PanelTexts m_panel;
    std::array<QLineEdit*, kIndexCount> m_otherSide{};
    QStringList m_lotNames;
    QList<QLineEdit*> m_shareMin, m_shareMax;
    QLineEdit* m_maxLots = nullptr;
};

} // namespace vestrel
