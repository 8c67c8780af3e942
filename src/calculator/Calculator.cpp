#include "calculator/Calculator.h"

#include "base/CommonFunction.h"
#include "blending/BlendOfSolution.h"
#include "blending/BlendingTexts.h"
#include "blending/Validation.h"

#include <limits>
#include <vector>

namespace vestrel {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString lotNumber(int row) {
    return QString::number(row + 1);
}

QString lotPrefix(const PanelTexts& texts, int row) {
    return QStringLiteral("第") + lotNumber(row) + QStringLiteral("种煤:") + texts.cell(row, CellName);
}

} // namespace

QString CheckNamesRatiosAndPrices(const PanelTexts& texts) {
    for (int i = 0; i < kGridRows; ++i) {
        if (IsRowEmpty(texts, i)) continue;
        if (texts.cell(i, CellName).isEmpty())
            return QStringLiteral("第") + lotNumber(i) + QStringLiteral("行的煤名称没有填写，请你填写");
        if (texts.cell(i, CellStock).isEmpty())
            return QStringLiteral("第") + lotNumber(i) + QStringLiteral("行的配比没有填写，请你填写");
        if (texts.cell(i, CellPrice).isEmpty())
            return QStringLiteral("第") + lotNumber(i) + QStringLiteral("行的价格没有填写，请你填写");
    }
    return {};
}

QString CheckCalcNumbers(const PanelTexts& texts) {
    const int n = LastFilledRow(texts);
    if (n < 1) return QString::fromUtf16(msg::TwoLotsNeeded);
    for (int i = 0; i <= n; ++i) {
        for (int x = 0; x < kIndexCount; ++x) {
            const GridCell cell = IndexCell(x);
            const QString& text = texts.cell(i, cell);
            if (cell == CellNa) {
                // The Na cell takes a fraction or a percentage; it does not enter the result.
                if (!text.isEmpty() && !PercentToDouble(text))
                    return lotPrefix(texts, i) + QStringLiteral("钠值请填写成小数或者百分比") + kCrLf;
            } else if (!IsNumberOrEmpty(text)) {
                return lotPrefix(texts, i) + QString::fromUtf16(PanelIndices()[size_t(x)].cellMessage) + kCrLf;
            } else if (!IsWithinValueLimit(text)) {
                return lotPrefix(texts, i) +
                       OutOfLimitMessage(QString::fromUtf16(PanelIndices()[size_t(x)].cellMessage)) + kCrLf;
            }
        }
        const QString& ratio = texts.cell(i, CellStock);
        if (ratio.isEmpty())
            return QStringLiteral("第") + lotNumber(i) +
                   QStringLiteral("煤配比必须填写，否则无法得知混在一起后的指标是多少");
        if (!IsNumeric(ratio)) return lotPrefix(texts, i) + QStringLiteral("配比请填写成数字") + kCrLf;
        const QString& price = texts.cell(i, CellPrice);
        if (!IsNumberOrEmpty(price)) return lotPrefix(texts, i) + QString::fromUtf16(msg::PriceNotNumber) + kCrLf;
        if (!IsWithinValueLimit(price))
            return lotPrefix(texts, i) + OutOfLimitMessage(QString::fromUtf16(msg::PriceNotNumber)) + kCrLf;
    }
    return {};
}

RatioWeightsResult RatioWeights(const QList<Mei>& calcLots) {
    RatioWeightsResult out;
    for (qsizetype i = 0; i < calcLots.size(); ++i) {
        const qint32 w = ToLong(calcLots[i].Kucun);
        // A weight is a 16-bit number; a larger ratio would wrap around and silently change the blend.
        if (w > std::numeric_limits<qint16>::max() || w < std::numeric_limits<qint16>::min()) {
            out.message =
                QStringLiteral("第") + lotNumber(int(i)) + QStringLiteral("种煤的配比太大，请填写不超过32767的配比");
            return out;
        }
        out.weights.append(qint16(w));
    }
    return out;
}

QString CalcResultText(const Mei& b) {
    const auto f = [](double v) { return FormatTwoDecimals(v); };
    return QStringLiteral("全水：") + f(b.ShuiFen) + QStringLiteral("硫分：") + f(b.Liu) + QStringLiteral("灰分：") +
           f(b.HuiFen) + QStringLiteral("挥发分：") + f(b.HuiFaFen) + QStringLiteral("固定碳：") + f(b.GuDingTan) +
           QStringLiteral("硅：") + f(b.NeiShui) + QStringLiteral("铁：") + f(b.ReLiang) + QStringLiteral("G：") +
           f(b.G) + QStringLiteral("Y：") + f(b.y) + QStringLiteral("铝：") + f(b.KeMoXing) + QStringLiteral("钙：") +
           f(b.HuiRongDian) + QStringLiteral("单价：") + f(b.JiaGe);
}

CalculationOutcome Calculate(PanelTexts& texts, QList<Mei>& calcLots) {
    CompactRows(texts, GridHost::Calculator);
    if (QString m = CheckNamesRatiosAndPrices(texts); !m.isEmpty()) return {m, {}};
    if (QString m = CheckCalcNumbers(texts); !m.isEmpty()) return {m, {}};
    calcLots = ReadGridLots(texts);
    const RatioWeightsResult w = RatioWeights(calcLots);
    if (!w.message.isEmpty()) return {w.message, {}};
    const std::vector<double> weights(w.weights.cbegin(), w.weights.cend());
    const std::optional<Mei> blend = BlendOfSolution(calcLots, weights);
    // Ratios that all round to 0 (or cancel out) leave nothing to divide by.
    if (!blend) return {QStringLiteral("配比加起来为0，请填写配比！"), {}};
    return {{}, CalcResultText(*blend)};
}

} // namespace vestrel
