#include "blending/gui/Baojia.h"

#include "base/Seams.h"
#include "blending/Validation.h"
#include "blending/Valuation.h"
#include "blending/gui/BlendingPanel.h"
#include "catalogue/DaoFunction.h"

#include <QApplication>

#include <QScopeGuard>

namespace vestrel {

namespace {

const QString kCaption = QStringLiteral("评估报价");

// A run would refuse these texts; valuing against misread numbers would give a wrong price.
bool checked(const PanelTexts& texts) {
    for (const QString& message : {CheckCellNumbers(texts), CheckTargets(texts), CheckAdvancedLimits(texts)})
        if (!message.isEmpty()) {
            showMessage(message, kCaption, MsgIcon::Exclamation);
            return false;
        }
    return true;
}

QString heading(const Mei& offer) {
    return offer.MingCheng + QStringLiteral("（报价 %1 元/吨）：").arg(QString::number(offer.JiaGe, 'f', 2));
}

} // namespace

void ShowBreakEvenOfRow(const PanelTexts& texts, int row) {
    if (!checked(texts)) return;
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
    showMessage(heading(offer) + BreakEvenText(*b, offer.JiaGe), kCaption);
}

std::optional<PanelTexts> PanelForOffer(const QString& name) {
    const BlendingPanel* panel = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (!panel) panel = w->findChild<BlendingPanel*>();
    if (!panel) {
        showMessage(QStringLiteral("请先打开配比窗口。"));
        return std::nullopt;
    }
    PanelTexts texts = panel->panelTexts();
    if (!checked(texts)) return std::nullopt;
    for (int row = 0; row < kGridRows; ++row)
        if (texts.cell(row, CellName) == name) {
            ClearRow(texts, row);
            texts.mustUse[size_t(row)] = false;
        }
    CompactRows(texts, GridHost::Main);
    return texts;
}

QString OfferText(const Mei& offer, const PanelTexts& panel) {
    BreakEven b;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        b = BreakEvenPrice(ReadGridLots(panel), panel, offer);
    }
    return heading(offer) + BreakEvenText(b, offer.JiaGe);
}

void ShowBreakEvenOfLot(qint32 meiId) {
    const std::optional<Mei> lot = LoadMei(meiId);
    if (!lot) {
        showMessage(QStringLiteral("读取煤种失败。"), QString(), MsgIcon::Critical);
        return;
    }
    if (const std::optional<PanelTexts> texts = PanelForOffer(lot->MingCheng))
        showMessage(OfferText(*lot, *texts), kCaption);
}

} // namespace vestrel
