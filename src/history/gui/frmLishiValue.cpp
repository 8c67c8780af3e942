// The history window's commands that value a set: limit prices, re-pricing and comparing two sets.

#include "base/Seams.h"
#include "blending/BlendingTexts.h"
#include "data/DbResult.h"
#include "history/Reprice.h"
#include "history/gui/frmBijiao.h"
#include "history/gui/frmLishi.h"
#include "lists/gui/ReportListView.h"

namespace vestrel {

void frmLishi::showReadFailure(const QString& reason) {
    // No reason means the row was gone when it was read.
    showMessage(QStringLiteral("读取方案失败：") + (reason.isEmpty() ? QStringLiteral("此方案已被删除。") : reason),
                QString(), MsgIcon::Critical);
}

void frmLishi::showLimitPrices() {
    if (m_currentSchemeId == 0) {
        showMessage(QStringLiteral("请先选择一个历史配比方案。"));
        return;
    }
    const DbResult<StoredSet> set = LoadStoredSet(m_currentSchemeId);
    if (!set) {
        showReadFailure(set.error());
        return;
    }
    const std::vector<LimitPrice> prices = SetLimitPrices(*set);
    if (prices.empty()) {
        showMessage(QStringLiteral("此方案没有指标限制。"));
        return;
    }
    const PanelTexts panel = PanelOfSet(*set);
    QStringList lines{QStringLiteral("每吨价格（按100份计算）：")};
    for (const LimitPrice& p : prices) {
        const PanelIndex& idx = PanelIndices()[size_t(p.index)];
        const QString step = LimitStepCents(p.index) == 10 ? QStringLiteral("0.1") : QStringLiteral("0.01");
        lines << QStringLiteral("%1%2%3：放宽%4节省 %5 元，收紧%4多花 %6 元")
                     .arg(QString::fromUtf16(idx.summaryLabel), p.lower ? QStringLiteral(">=") : QStringLiteral("<="),
                          panel.target(p.index), step, LimitPriceText(p.loosen), LimitPriceText(p.tighten));
    }
    showMessage(lines.join(u'\n'), QStringLiteral("指标价格"));
}

void frmLishi::repriceSet() {
    if (m_currentSchemeId == 0) {
        showMessage(QStringLiteral("请先选择一个历史配比方案。"));
        return;
    }
    const DbResult<StoredSet> set = LoadStoredSet(m_currentSchemeId);
    if (!set) {
        showReadFailure(set.error());
        return;
    }
    const RepriceOutcome out = RepriceSet(*set);
    if (out.run.kind != RunOutcome::Kind::Stored) {
        showMessage(out.run.message, QString(), MsgIcon::Exclamation);
        return;
    }
    reloadSets(out.run.setId);
    QStringList notes{MissingLotsText(out.missing), out.run.message};
    notes.removeAll(QString());
    if (!notes.isEmpty()) showMessage(notes.join(u'\n'));
}

void frmLishi::compareSets() {
    const QList<int> selected = m_lsvLeft->selectedRows();
    if (selected.size() != 2) {
        showMessage(QStringLiteral("请选择两个历史配比方案进行比较。"));
        return;
    }
    const ListData& left = m_lsvLeft->listData();
    const DbResult<StoredSet> a = LoadStoredSet(left.cell(selected[0], 0).toLongLong());
    const DbResult<StoredSet> b = LoadStoredSet(left.cell(selected[1], 0).toLongLong());
    if (!a || !b) {
        showReadFailure(b ? a.error() : b.error());
        return;
    }
    (new frmBijiao(*a, *b, this))->show();
}

} // namespace vestrel
