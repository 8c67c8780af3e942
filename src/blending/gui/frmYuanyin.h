#pragma once

#include "blending/Explainer.h"

#include <QWidget>
#include <functional>

namespace vestrel {

// Why a run found no blend: the conflicting conditions, each limit's tightest workable value with a button
// that copies it into the panel's target box, the most tonnes the stocks allow and the must-use lots.
// Nothing in the panel changes unless one of those buttons is clicked.
class frmYuanyin : public QWidget {
    Q_OBJECT
public:
    // `apply` receives a target index (0..11) and its suggested text; -1 stands for the tonnage box.
    frmYuanyin(const QList<Mei>& lots, const PanelTexts& texts, std::function<void(int, const QString&)> apply,
               QWidget* parent = nullptr);

    const Explanation& explanation() const { return m_explanation; }

private:
    Explanation m_explanation;
};

} // namespace vestrel
