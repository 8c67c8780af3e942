#include "history/gui/HeadroomView.h"

#include <QPainter>

namespace vestrel {

namespace {

constexpr int kRow = 24;
constexpr int kLabelWidth = 110;
constexpr int kBarWidth = 180;

QColor barColour(HeadroomBar::State s) {
    switch (s) {
    case HeadroomBar::State::Inside:
        return QColor(60, 170, 70);
    case HeadroomBar::State::Near:
    case HeadroomBar::State::Binding:
        return QColor(235, 160, 30);
    case HeadroomBar::State::Outside:
        return QColor(210, 50, 40);
    }
    return Qt::gray;
}

} // namespace

HeadroomView::HeadroomView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("HeadroomView"));
}

void HeadroomView::setHeadroom(const Headroom& headroom) {
    m_headroom = headroom;
    updateGeometry();
    update();
}

QStringList HeadroomView::barTexts() const {
    QStringList out;
    for (const HeadroomBar& b : m_headroom.bars)
        out << b.label + QStringLiteral("  ") + QString::number(b.value, 'f', 2) +
                   (b.state == HeadroomBar::State::Binding ? QStringLiteral("  紧") : QString());
    return out;
}

QSize HeadroomView::sizeHint() const {
    return {kLabelWidth + kBarWidth + 120, kRow * int(m_headroom.bars.size() + m_headroom.shares.size() + 2)};
}

void HeadroomView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QStringList texts = barTexts();
    int y = 4;
    for (size_t i = 0; i < m_headroom.bars.size(); ++i) {
        const HeadroomBar& b = m_headroom.bars[i];
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRect(4, y, kLabelWidth, kRow - 4), Qt::AlignVCenter, b.label);
        const QRect frame(kLabelWidth + 8, y + 3, kBarWidth, kRow - 10);
        p.fillRect(frame.adjusted(0, 0, -int((1.0 - b.fill) * kBarWidth), 0), barColour(b.state));
        p.drawRect(frame);
        p.drawText(QRect(frame.right() + 8, y, 110, kRow - 4), Qt::AlignVCenter,
                   texts[qsizetype(i)].mid(b.label.size() + 2));
        y += kRow;
    }
    y += kRow / 2;
    p.setPen(palette().color(QPalette::WindowText));
    for (const LotShare& s : m_headroom.shares) {
        p.drawText(QRect(4, y, kLabelWidth + kBarWidth, kRow - 4), Qt::AlignVCenter,
                   QStringLiteral("%1  %2%").arg(s.name, QString::number(s.percent, 'f', 1)));
        y += kRow;
    }
}

} // namespace vestrel
