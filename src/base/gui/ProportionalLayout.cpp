#include "base/gui/ProportionalLayout.h"

#include "base/Twips.h"
#include "base/gui/WindowGeometry.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <algorithm>
#include <array>

namespace vestrel {

namespace {

// Widgets that arrange their own children; those children are not controls of the window.
bool placesOwnChildren(const QWidget* w) {
    return w->layout() || qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QTabWidget*>(w) || qobject_cast<const QTabBar*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QSplitter*>(w) || qobject_cast<const QToolBar*>(w) ||
           qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w);
}

void collectControls(QWidget* container, QList<QWidget*>& out) {
    for (QObject* child : container->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        out << w;
        if (!placesOwnChildren(w)) collectControls(w, out);
    }
}

// "left top width height fontsize ", each number followed by a space; a missing number counts as 0.
QString tagText(const QRect& g, double fontSize) {
    const TwipScale s = GridScale();
    QString tag;
    for (double n : {s.toTwipsX(g.x()), s.toTwipsY(g.y()), s.toTwipsX(g.width()), s.toTwipsY(g.height()), fontSize})
        tag += QString::number(n, 'g', 15) + QLatin1Char(' ');
    return tag;
}

std::array<double, 5> tagNumbers(const QWidget* w) {
    std::array<double, 5> n{};
    const QStringList parts = w->property("tag").toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i < 5 && i < parts.size(); ++i)
        n[i] = parts[i].toDouble();
    return n;
}

// The width the cell's texts take in a font.
int textsWidth(const QFont& font) {
    const QFontMetrics metrics(font);
    return std::max(metrics.horizontalAdvance(WidestNumberText()), metrics.horizontalAdvance(LongNameText()));
}

} // namespace

QList<QWidget*> ProportionalLayout::controlsBelow(QWidget* root) {
    QList<QWidget*> controls;
    if (!placesOwnChildren(root)) collectControls(root, controls);
    return controls;
}

void ProportionalLayout::record(const QList<QWidget*>& controls, const QSize& designClient, QLineEdit* cell) {
    m_controls.clear();
    for (QWidget* w : controls) {
        w->setProperty("tag", tagText(w->geometry(), w->font().pointSizeF()));
        m_controls << w;
    }
    m_designClient = designClient;
    // Only a cell that holds its texts at the design size is kept doing so; one that never did (a scale fixed
    // below the font's) follows the plain ratios.
    m_cell = nullptr;
    if (cell && controls.contains(cell) && textsWidth(cell->font()) <= cell->width() - LineEditChrome(cell)) {
        m_cell = cell;
        m_cellChrome = LineEditChrome(cell);
    }
}

double ProportionalLayout::fontRatio(double rx, double rf) const {
    if (!m_cell) return rf;
    const auto n = tagNumbers(m_cell);
    if (n[4] <= 0) return rf;
    const int shown = GridScale().toPixelsX(n[2] * rx) - m_cellChrome;
    QFont font = m_cell->font();
    double ratio = rf;
    for (int step = 0; step < 40; ++step, ratio *= 0.98) {
        font.setPointSizeF(n[4] * ratio);
        if (textsWidth(font) <= shown) break;
    }
    return ratio;
}

void ProportionalLayout::apply(QWidget* window) {
    if (window->isMinimized() || m_designClient.isEmpty()) return;
    // Ratios of the outer size. The frame is measured now rather than at recording: a window manager may add
    // its decoration only after the window was first shown.
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    const double rx = double(window->width() + frame.width()) / (m_designClient.width() + frame.width());
    const double ry = double(window->height() + frame.height()) / (m_designClient.height() + frame.height());
    const double rf = fontRatio(rx, std::min(rx, ry));

    const TwipScale s = GridScale();
    for (QWidget* w : std::as_const(m_controls)) {
        if (!w) continue;
        const auto n = tagNumbers(w);
        w->setGeometry(s.toPixelsX(n[0] * rx), s.toPixelsY(n[1] * ry), s.toPixelsX(n[2] * rx), s.toPixelsY(n[3] * ry));
        if (n[4] > 0) {
            QFont font = w->font();
            font.setPointSizeF(n[4] * rf);
            w->setFont(font);
        }
    }
}

} // namespace vestrel
