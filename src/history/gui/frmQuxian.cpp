#include "history/gui/frmQuxian.h"

#include "base/Seams.h"

#include <QChart>
#include <QChartView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace vestrel {

frmQuxian::frmQuxian(const PriceCurve& curve, QWidget* parent) : QWidget(parent, Qt::Window), m_curve(curve) {
    setObjectName(QStringLiteral("frmQuxian"));
    setWindowTitle(QStringLiteral("价格曲线"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(720, 480);

    auto* chart = new QChart;
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("各份数的最低价格"));
    auto* dots = new QScatterSeries;
    dots->setMarkerSize(7);
    double low = 0, high = 0;
    bool first = true;
    const auto extend = [&](double v) {
        low = first ? v : std::min(low, v);
        high = first ? v : std::max(high, v);
        first = false;
    };
    for (const PricePoint& p : curve.points) {
        line->append(p.k, p.price);
        dots->append(p.k, p.price);
        extend(p.price);
    }
    chart->addSeries(line);
    chart->addSeries(dots);
    if (curve.continuous) {
        auto* ideal = new QLineSeries;
        ideal->setName(QStringLiteral("连续配比最低价格"));
        ideal->append(2, *curve.continuous);
        ideal->append(100, *curve.continuous);
        chart->addSeries(ideal);
        extend(*curve.continuous);
    }
    for (QLegendMarker* marker : chart->legend()->markers(dots))
        marker->setVisible(false);
    auto* x = new QValueAxis;
    x->setRange(2, 100);
    x->setTitleText(QStringLiteral("总份数k"));
    x->setLabelFormat(QStringLiteral("%d"));
    auto* y = new QValueAxis;
    const double pad = std::max(1.0, (high - low) * 0.1);
    y->setRange(low - pad, high + pad);
    y->setTitleText(QStringLiteral("价格(元/吨)"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }

    m_view = new QChartView(chart, this);
    m_view->setObjectName(QStringLiteral("chtQuxian"));
    m_view->setRenderHint(QPainter::Antialiasing);
    auto* save = new QPushButton(QStringLiteral("导出PNG"), this);
    save->setObjectName(QStringLiteral("cmdPng"));
    connect(save, &QPushButton::clicked, this, &frmQuxian::exportPng);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(save, 0, Qt::AlignRight);
}

bool frmQuxian::exportPng() {
    FileDialogRequest r;
    r.kind = FileDialogRequest::Kind::Save;
    r.title = QStringLiteral("导出价格曲线");
    r.defaultName = QStringLiteral("价格曲线.png");
    r.filter = QStringLiteral("PNG 图片(*.png)|*.png");
    r.confirmOverwrite = true;
    const QString path = interaction().fileDialog(r);
    if (path.isEmpty()) return false;
    if (!m_view->grab().save(path, "PNG")) {
        showMessage(QStringLiteral("无法保存图片“%1”。").arg(path), QString(), MsgIcon::Critical);
        return false;
    }
    return true;
}

} // namespace vestrel
