#include "calculator/gui/frmTest.h"

#include "base/Seams.h"
#include "blending/gui/BlendingGrid.h"
#include "calculator/Calculator.h"

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vestrel {

frmTest::frmTest(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmTest"));
    setWindowTitle(QStringLiteral("手动配比计算"));

    auto* top = new QGroupBox(QStringLiteral("请输入焦碳混合的比例和指标指"), this);
    top->setObjectName(QStringLiteral("fraTop"));
    m_grid = new BlendingGrid(GridHost::Calculator, top);
    m_grid->move(4, 20);
    top->setGeometry(4, 4, m_grid->width() + 8, m_grid->height() + 24);
    connect(m_grid, &BlendingGrid::startRequested, this, &frmTest::Command1_Click);

    const int width = top->width();
    int y = top->geometry().bottom() + 6;
    auto* frame = new QGroupBox(QStringLiteral("混合后的指标"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(4, y, width, 80);
    m_result = new QPlainTextEdit(frame);
    m_result->setObjectName(QStringLiteral("txtResult"));
    m_result->setGeometry(8, 20, width - 16, 52);
    y += 86;

    m_calculate = new QPushButton(QStringLiteral("计算混合后的指标"), this);
    m_calculate->setObjectName(QStringLiteral("Command1"));
    m_calculate->setGeometry(width - 190, y, 190, 30);
    connect(m_calculate, &QPushButton::clicked, this, &frmTest::Command1_Click);
    y += 36;

    resize(width + 8, y);
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
