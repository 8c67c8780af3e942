#include "blending/Validation.h"

#include "base/CommonFunction.h"
#include "blending/BlendingTexts.h"

#include <cmath>
#include <utility>

namespace vestrel {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString lotNumber(int row) {
    return QString::number(row + 1);
}

QString cellMessage(GridCell cell) {
    switch (cell) {
    case CellStock:
        return QString::fromUtf16(msg::StockNotNumber);
    case CellPrice:
        return QString::fromUtf16(msg::PriceNotNumber);
    default:
        return QString::fromUtf16(PanelIndices()[size_t(cell - CellSi)].cellMessage);
    }
}

// An index has a limit in the panel or in the dialog.
bool isLimited(const PanelTexts& texts, int index) {
    return !texts.target(index).isEmpty() || !texts.advanced.otherSide[size_t(index)].isEmpty();
}

// The message for a dialog text that is not a number or too large, or "" when it is empty or fine.
QString numberMessage(const QString& text, const QString& notNumberMessage) {
    if (!IsNumberOrEmpty(text)) return notNumberMessage;
    if (!IsWithinValueLimit(text)) return OutOfLimitMessage(notNumberMessage);
    return {};
}

QString shareMessage(const ShareLimit& share) {
    const QString minName = share.name + QStringLiteral("最小比例");
    const QString maxName = share.name + QStringLiteral("最大比例");
    for (const auto& [text, name] : {std::pair{share.min, minName}, std::pair{share.max, maxName}}) {
        const QString m = numberMessage(text, name + QStringLiteral("请填写成数字！"));
        if (!m.isEmpty()) return m;
        const double percent = ParseNumber(text).value_or(0.0);
        if (percent < 0 || percent > 100) return name + QStringLiteral("请填写0到100之间的数字！");
    }
    if (!share.min.isEmpty() && !share.max.isEmpty() && *ParseNumber(share.min) > *ParseNumber(share.max))
        return minName + QStringLiteral("大于最大比例，请重新填写！");
    return {};
}

} // namespace

bool IsNumberOrEmpty(const QString& text) {
    return text.isEmpty() || IsNumeric(text);
}

QString MissingValueMessage(const QString& indexName, int row) {
    return QStringLiteral("你既然要算") + indexName + QStringLiteral("的指标，但是你参与配煤的第") + lotNumber(row) +
           QStringLiteral("种煤，没有填写") + indexName + QStringLiteral("的值，这怎么计算？");
}

QString CheckNamesAndPrices(const PanelTexts& texts) {
    for (int i = 0; i < kGridRows; ++i) {
        if (IsRowEmpty(texts, i)) continue;
        if (texts.cell(i, CellName).isEmpty())
            return QStringLiteral("第") + lotNumber(i) + QStringLiteral("行的煤名称没有填写，请你填写");
        if (texts.cell(i, CellPrice).isEmpty())
            return QStringLiteral("第") + lotNumber(i) + QStringLiteral("行的价格没有填写，请你填写");
    }
    return {};
}

QString ValidateInput(const PanelTexts& texts) {
    for (auto check : {CheckCellNumbers, CheckTargets, CheckAdvancedLimits, CheckRequiredValues, CheckStock}) {
        QString m = check(texts);
        if (!m.isEmpty()) return m;
    }
    return {};
}

QString CheckCellNumbers(const PanelTexts& texts) {
    for (int i = 0; i < kGridRows; ++i) {
        for (int c = CellSi; c <= CellPrice; ++c) {
            const QString& text = texts.cell(i, GridCell(c));
            QString message;
            if (!IsNumberOrEmpty(text))
                message = cellMessage(GridCell(c));
            else if (!IsWithinValueLimit(text))
                message = OutOfLimitMessage(cellMessage(GridCell(c)));
            else
                continue;
            return QStringLiteral("第") + lotNumber(i) + QStringLiteral("种煤:") + texts.cell(i, CellName) + message +
                   kCrLf;
        }
    }
    return {};
}

QString CheckTargets(const PanelTexts& texts) {
    bool any = false;
    for (int x = 0; x < kIndexCount; ++x)
        any = any || isLimited(texts, x);
    if (!any) return QString::fromUtf16(msg::NoTarget);
    for (int x = 0; x < kIndexCount; ++x) {
        const PanelIndex& index = PanelIndices()[size_t(x)];
        if (!IsNumberOrEmpty(texts.target(x))) return QString::fromUtf16(index.targetMessage);
        if (!IsWithinValueLimit(texts.target(x))) return QString::fromUtf16(index.targetRangeMessage);
    }
    if (!IsNumberOrEmpty(texts.tonnes)) return QString::fromUtf16(msg::TonnesNotNumber);
    if (!IsWithinValueLimit(texts.tonnes)) return QString::fromUtf16(msg::TonnesOutOfRange);
    return {};
}

QString CheckAdvancedLimits(const PanelTexts& texts) {
    const AdvancedLimits& a = texts.advanced;
    for (int x = 0; x < kIndexCount; ++x) {
        const QString& other = a.otherSide[size_t(x)];
        const QString m = numberMessage(other, OtherSideName(x) + QStringLiteral("请填写成数字！"));
        if (!m.isEmpty()) return m;
        const std::optional<double> panelLimit = ParseNumber(texts.target(x));
        if (other.isEmpty() || !panelLimit) continue;
        const bool panelIsLower = PanelIndices()[size_t(x)].lowerLimit;
        const double lower = panelIsLower ? *panelLimit : *ParseNumber(other);
        const double upper = panelIsLower ? *ParseNumber(other) : *panelLimit;
        if (lower > upper)
            return QString::fromUtf16(PanelIndices()[size_t(x)].summaryLabel) +
                   QStringLiteral("下限大于上限，请重新填写！");
    }
    for (const ShareLimit& share : a.shares) {
        const QString m = shareMessage(share);
        if (!m.isEmpty()) return m;
    }
    const QString lots = QStringLiteral("最多种数");
    QString m = numberMessage(a.maxLots, lots + QStringLiteral("请填写成数字！"));
    if (m.isEmpty() && !a.maxLots.isEmpty()) {
        const double cap = *ParseNumber(a.maxLots);
        if (cap < 1 || cap != std::trunc(cap)) m = lots + QStringLiteral("请填写成大于0的整数！");
    }
    return m;
}

QString CheckRequiredValues(const PanelTexts& texts) {
    const int n = LastFilledRow(texts);
    if (n < 1) return QString::fromUtf16(msg::TwoLotsNeeded);
    for (int x = 0; x < kIndexCount; ++x) {
        if (!isLimited(texts, x)) continue;
        for (int i = 0; i <= n; ++i)
            if (texts.cell(i, IndexCell(x)).isEmpty())
                return MissingValueMessage(QString::fromUtf16(PanelIndices()[size_t(x)].valueName), i);
    }
    if (texts.tonnes.isEmpty()) return {};
    for (int i = 0; i <= n; ++i)
        if (texts.cell(i, CellStock).isEmpty()) return MissingValueMessage(QString::fromUtf16(msg::StockName), i);
    return {};
}

QString CheckStock(const PanelTexts& texts) {
    if (texts.tonnes.isEmpty()) return {};
    const int n = LastFilledRow(texts);
    double stock = 0;
    for (int i = 0; i <= n; ++i)
        stock += ParseNumber(texts.cell(i, CellStock)).value_or(0.0);
    const double wanted = ParseNumber(texts.tonnes).value_or(0.0);
    if (wanted <= stock) return {};
    const QString w = GeneralNumberText(wanted);
    return QStringLiteral("您想配") + w + QStringLiteral("吨煤，但是你所输入的几种煤库存加起来只有") +
           GeneralNumberText(stock) + QStringLiteral("吨，怎么可能配出") + w + QStringLiteral("吨的煤");
}

bool PricesAllEqual(const PanelTexts& texts) {
    const int n = LastFilledRow(texts);
    const QString& first = texts.cell(0, CellPrice);
    for (int i = 1; i <= n; ++i)
        if (texts.cell(i, CellPrice) != first) return false;
    return true;
}

} // namespace vestrel
