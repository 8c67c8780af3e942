#include "calculator/gui/frmTest.h"

#include "base/Seams.h"
#include "base/Twips.h"
#include "base/gui/ProportionalLayout.h"
#include "base/gui/WindowGeometry.h"
#include "blending/gui/BlendingGrid.h"
#include "calculator/Calculator.h"

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vestrel {

namespace {

// Design geometry in twips around the grid, which brings its own size.
constexpr int kEdge = 60;
constexpr int kGridTop = 300;            // inside its frame, below the caption
constexpr int kFrameGap = 90;            // between the grid's frame and the result's
constexpr int kResultFrameHeight = 1200; // as wide as the grid's frame
constexpr QPoint kResultInset(120, 300);
constexpr int kResultHeight = 780;
constexpr int kResultPitch = 1290;
constexpr QSize kButton(2850, 450);
constexpr int kButtonPitch = 540;

} // namespace

frmTest::frmTest(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmTest"));
    setWindowTitle(QStringLiteral("手动配比计算"));
    const TwipScale scale = GridScale();

    auto* top = new QGroupBox(QStringLiteral("请输入焦碳混合的比例和指标指"), this);
    top->setObjectName(QStringLiteral("fraTop"));
    m_grid = new BlendingGrid(GridHost::Calculator, top);
    m_grid->move(scale.toPixels(QPoint(kEdge, kGridTop)));
    const QSize grid = m_grid->designSize();
    const int width = grid.width() + 2 * kEdge;
    top->setGeometry(scale.toPixels(QRect(kEdge, kEdge, width, grid.height() + kGridTop + kEdge)));
    connect(m_grid, &BlendingGrid::startRequested, this, &frmTest::Command1_Click);

    int y = kEdge + grid.height() + kGridTop + kEdge + kFrameGap;
    auto* frame = new QGroupBox(QStringLiteral("混合后的指标"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(scale.toPixels(QRect(kEdge, y, width, kResultFrameHeight)));
    m_result = new QPlainTextEdit(frame);
    m_result->setObjectName(QStringLiteral("txtResult"));
    m_result->setGeometry(scale.toPixels(QRect(kResultInset, QSize(width - 2 * kResultInset.x(), kResultHeight))));
    y += kResultPitch;

    m_calculate = new QPushButton(QStringLiteral("计算混合后的指标"), this);
    m_calculate->setObjectName(QStringLiteral("Command1"));
    m_calculate->setGeometry(scale.toPixels(QRect(QPoint(kEdge + width - kButton.width(), y), kButton)));
    connect(m_calculate, &QPushButton::clicked, this, &frmTest::Command1_Click);
    y += kButtonPitch;

    m_designClient = scale.toPixels(QSize(width + 2 * kEdge, y));
    OpenAtSize(this, m_designClient);
}

void frmTest::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Like the main window, the calculator scales its controls with its size, starting from the design's;
    // on a screen too small for the design it opens smaller and scales them down at once.
    if (m_layout.recorded()) return;
    m_layout.record(ProportionalLayout::controlsBelow(this), m_designClient, m_grid->cell(0, CellName));
    if (size() != m_designClient) m_layout.apply(this);
}

void frmTest::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_layout.apply(this);
}

void frmTest::SetTxtValue(const QList<Mei>& lots) {
    m_grid->SetTxtValue(lots);
}

void frmTest::Command1_Click() {
    PanelTexts texts = m_grid->texts();
    const CalculationOutcome outcome = Calculate(texts, m_calcLots);
    m_grid->writeFrom(texts); // the rows stay compacted, also after a refused calculation
    if (!outcome.message.isEmpty()) {
        showMessage(outcome.message);
        return;
    }
    m_result->setPlainText(outcome.result);
}

} // namespace vestrel
