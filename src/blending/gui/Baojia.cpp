#include "blending/gui/Baojia.h"

#include "base/Seams.h"
#include "blending/Valuation.h"
#include "blending/gui/BlendingPanel.h"
#include "catalogue/DaoFunction.h"

#include <QApplication>

#include <QScopeGuard>

namespace vestrel {

void ShowBreakEvenOfRow(const PanelTexts& texts, int row) {
    Mei offer;
    std::optional<BreakEven> b;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        b = BreakEvenOfRow(texts, row, &offer);
    }
    if (!b) {
        showMessage(QStringLiteral("这一行没有煤种。"));
        return;
    }
    showMessage(offer.MingCheng + QStringLiteral("（报价 %1 元/吨）：").arg(QString::number(offer.JiaGe, 'f', 2)) +
                    BreakEvenText(*b, offer.JiaGe),
                QStringLiteral("评估报价"));
}

void ShowBreakEvenOfLot(qint32 meiId) {
    const std::optional<Mei> lot = LoadMei(meiId);
    if (!lot) {
        showMessage(QStringLiteral("读取煤种失败。"), QString(), MsgIcon::Critical);
        return;
    }
    const BlendingPanel* panel = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (!panel) panel = w->findChild<BlendingPanel*>();
    if (!panel) {
        showMessage(QStringLiteral("请先打开配比窗口。"));
        return;
    }
    PanelTexts texts = panel->panelTexts();
    for (int row = 0; row < kGridRows; ++row)
        if (texts.cell(row, CellName) == lot->MingCheng) {
            ClearRow(texts, row);
            texts.mustUse[size_t(row)] = false;
        }
    CompactRows(texts, GridHost::Main);
    BreakEven b;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        b = BreakEvenPrice(ReadGridLots(texts), texts, *lot);
    }
    showMessage(lot->MingCheng + QStringLiteral("（报价 %1 元/吨）：").arg(QString::number(lot->JiaGe, 'f', 2)) +
                    BreakEvenText(b, lot->JiaGe),
                QStringLiteral("评估报价"));
}

} // namespace vestrel
