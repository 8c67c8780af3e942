#include "blending/gui/frmGaoji.h"

#include "base/Seams.h"
#include "blending/BlendingTexts.h"
#include "blending/Validation.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vestrel {

namespace {

QLineEdit* makeBox(QWidget* parent, const QString& name, const QString& text) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setMaximumWidth(80);
    return box;
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QString& name = {}) {
    auto* label = new QLabel(text, parent);
    if (!name.isEmpty()) label->setObjectName(name);
    return label;
}

} // namespace

frmGaoji::frmGaoji(const PanelTexts& panel, QWidget* parent) : QDialog(parent), m_panel(panel) {
    setObjectName(QStringLiteral("frmGaoji"));
    setWindowTitle(QStringLiteral("高级指标"));
    const AdvancedLimits& current = panel.advanced;
    auto* layout = new QVBoxLayout(this);

    auto* indices = new QGroupBox(QStringLiteral("指标的另一侧限值(空着表示不限)"), this);
    indices->setObjectName(QStringLiteral("fraZhibiao"));
    auto* indexGrid = new QGridLayout(indices);
    int slot = 0;
    for (int x : SummaryOrder()) {
        const PanelIndex& index = PanelIndices()[size_t(x)];
        const QString caption =
            QString::fromUtf16(index.summaryLabel) + (index.lowerLimit ? QStringLiteral("<=") : QStringLiteral(">="));
        QLineEdit* box = makeBox(indices, QLatin1String(index.otherSideBox), current.otherSide[size_t(x)]);
        m_otherSide[size_t(x)] = box;
        indexGrid->addWidget(makeLabel(indices, caption), slot / 4, 2 * (slot % 4));
        indexGrid->addWidget(box, slot / 4, 2 * (slot % 4) + 1);
        ++slot;
    }
    layout->addWidget(indices);

    auto* shares = new QGroupBox(QStringLiteral("各焦种所占比例(%)"), this);
    shares->setObjectName(QStringLiteral("fraBili"));
    auto* shareGrid = new QGridLayout(shares);
    shareGrid->addWidget(makeLabel(shares, QStringLiteral("焦名称")), 0, 0);
    shareGrid->addWidget(makeLabel(shares, QStringLiteral("最小比例%")), 0, 1);
    shareGrid->addWidget(makeLabel(shares, QStringLiteral("最大比例%")), 0, 2);
    for (int row = 0; row < kGridRows; ++row) {
        const QString& name = panel.cell(row, CellName);
        if (name.isEmpty() || m_lotNames.contains(name)) continue;
        const int i = int(m_lotNames.size());
        const ShareLimit* share = current.shareFor(name);
        m_lotNames << name;
        m_shareMin << makeBox(shares, QStringLiteral("txtBiliMin_%1").arg(i), share ? share->min : QString());
        m_shareMax << makeBox(shares, QStringLiteral("txtBiliMax_%1").arg(i), share ? share->max : QString());
        shareGrid->addWidget(makeLabel(shares, name, QStringLiteral("lbJiao_%1").arg(i)), i + 1, 0);
        shareGrid->addWidget(m_shareMin.last(), i + 1, 1);
        shareGrid->addWidget(m_shareMax.last(), i + 1, 2);
    }
    layout->addWidget(shares);

    auto* capLine = new QHBoxLayout;
    capLine->addWidget(makeLabel(this, QStringLiteral("每个方案最多用")));
    m_maxLots = makeBox(this, QStringLiteral("txtZuiduo"), current.maxLots);
    capLine->addWidget(m_maxLots);
    capLine->addWidget(makeLabel(this, QStringLiteral("种焦")));
    capLine->addStretch();
    layout->addLayout(capLine);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &frmGaoji::accept);
    connect(cancel, &QPushButton::clicked, this, &frmGaoji::reject);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

AdvancedLimits frmGaoji::limits() const {
    AdvancedLimits limits;
    for (int x = 0; x < kIndexCount; ++x)
        limits.otherSide[size_t(x)] = m_otherSide[size_t(x)]->text();
    for (qsizetype i = 0; i < m_lotNames.size(); ++i) {
        const ShareLimit share{m_lotNames[i], m_shareMin[i]->text(), m_shareMax[i]->text()};
        if (!share.min.isEmpty() || !share.max.isEmpty()) limits.shares << share;
    }
    limits.maxLots = m_maxLots->text();
    return limits;
}

void frmGaoji::accept() {
    PanelTexts checked = m_panel;
    checked.advanced = limits();
    const QString message = CheckAdvancedLimits(checked);
    if (!message.isEmpty()) {
        showMessage(message);
        return;
    }
    QDialog::accept();
}

} // namespace vestrel
