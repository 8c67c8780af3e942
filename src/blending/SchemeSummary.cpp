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
    return summary;
}

} // namespace vestrel
