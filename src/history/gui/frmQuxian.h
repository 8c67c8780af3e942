#pragma once

#include "history/PriceCurve.h"

#include <QWidget>

class QChartView;

namespace vestrel {

// The set's least price against the total of parts k, with the cheapest fractional blend as a line; the chart
// can be saved as a PNG picture.
class frmQuxian : public QWidget {
    Q_OBJECT
public:
    explicit frmQuxian(const PriceCurve& curve, QWidget* parent = nullptr);
    const PriceCurve& curve() const { return m_curve; }

public slots:
    // "导出PNG": asks for a file name and saves the chart; false when cancelled or not written.
    bool exportPng();

private:
    PriceCurve m_curve;
    QChartView* m_view = nullptr;
};

} // namespace vestrel
