#include "blending/SchemeSummary.h"

#include "blending/BlendingTexts.h"

namespace vestrel {

QString FormatLimit(const QString& lower, const QString& upper, const QString& label) {
    const QString le = QStringLiteral("<=");
    const QString blank = QStringLiteral(" ");
    if (!lower.isEmpty() && !upper.isEmpty()) return lower + le + label + le + upper + blank;
    if (!lower.isEmpty()) return label + QStringLiteral("=>") + lower + blank;
    if (!upper.isEmpty()) return label + le + upper + blank;
    return {};
}

namespace {

QStringList advancedSegments(const AdvancedLimits& limits, const QList<const ShareLimit*>& shares) {
    QStringList segments;
    for (int x : SummaryOrder()) {
        const QString& other = limits.otherSide[size_t(x)];
        if (other.isEmpty()) continue;
        const PanelIndex& index = PanelIndices()[size_t(x)];
        segments << QString::fromUtf16(index.summaryLabel) +
                        (index.lowerLimit ? QStringLiteral("<=") : QStringLiteral(">=")) + other;
    }
    const QString percent = QStringLiteral("%");
    for (const ShareLimit* share : shares) {
        if (!share->min.isEmpty() && !share->max.isEmpty())
            segments << share->name + share->min + percent + u'~' + share->max + percent;
        else if (!share->min.isEmpty())
            segments << share->name + QStringLiteral(">=") + share->min + percent;
        else if (!share->max.isEmpty())
            segments << share->name + QStringLiteral("<=") + share->max + percent;
    }
    if (!limits.maxLots.isEmpty()) segments << QStringLiteral("最多") + limits.maxLots + QStringLiteral("种");
    return segments;
}

} // namespace

QString AdvancedSummary(const AdvancedLimits& limits) {
    QList<const ShareLimit*> shares;
    for (const ShareLimit& share : limits.shares)
        shares << &share;
    return advancedSegments(limits, shares).join(u' ');
}

QString BuildSchemeSummary(const PanelTexts& texts) {
    QString summary;
    for (int x : SummaryOrder()) {
        const PanelIndex& index = PanelIndices()[size_t(x)];
        const QString label = QString::fromUtf16(index.summaryLabel);
        summary += index.lowerLimit ? FormatLimit(texts.target(x), {}, label) : FormatLimit({}, texts.target(x), label);
    }
    if (!texts.tonnes.isEmpty()) summary += QStringLiteral(" 配") + texts.tonnes + QStringLiteral("吨");
    const int n = LastFilledRow(texts);
    for (int i = 0; i <= n; ++i)
        if (texts.mustUse[size_t(i)]) summary += QStringLiteral(" ") + texts.cell(i, CellName) + QStringLiteral("必选");
    // Only the shares of lots in this run, in panel order.
    QList<const ShareLimit*> shares;
    for (int i = 0; i <= n; ++i) {
        const ShareLimit* share = texts.advanced.shareFor(texts.cell(i, CellName));
        if (share && !shares.contains(share)) shares << share;
    }
    for (const QString& segment : advancedSegments(texts.advanced, shares))
        summary += u' ' + segment;
    return summary;
}

} // namespace vestrel
