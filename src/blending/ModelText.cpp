#include "blending/ModelText.h"

#include "base/CommonFunction.h"
#include "base/FileFunction.h"
#include "base/Seams.h"
#include "blending/BlendingTexts.h"

#include <QDir>
#include <QRegularExpression>

namespace vestrel {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A zero would format as an empty text and leave "+*X2" behind, which the solver refuses, silently losing the
// scheme of every k; a zero coefficient is written out instead.
QString coefficient(double value) {
    const QString text = FormatTwoDecimals(value);
    return text.isEmpty() ? QStringLiteral("0.00") : text;
}

// The tonnes go into the stock lines as typed, but the checks also accept texts the modelling language cannot
// read (" 50", "5e1"); those are written as their value so the stock lines stay valid.
QString tonnesText(const QString& typed) {
    static const QRegularExpression plainDecimal(
        QRegularExpression::anchoredPattern(QStringLiteral("[+-]?[0-9]+(\\.[0-9]+)?")));
    if (plainDecimal.match(typed).hasMatch()) return typed;
    return GeneralNumberText(ParseNumber(typed).value_or(0.0));
}

// A limit typed in the dialog, as a number text of the model.
QString limitText(const QString& typed) {
    return GeneralNumberText(ParseNumber(typed).value_or(0.0));
}

} // namespace

ModelTemplate::ModelTemplate(const QList<Mei>& lots, const PanelTexts& texts) {
    QString objective = QStringLiteral("[rObj] min=");
    std::array<QString, kIndexCount> left;
    QString mustUse, sum, difference, integers, pointers, capSum, binaries;
    const QString tonnes = tonnesText(texts.tonnes);
    const AdvancedLimits& advanced = texts.advanced;
    const auto limited = [&texts](int x) {
        return !texts.target(x).isEmpty() || !texts.advanced.otherSide[size_t(x)].isEmpty();
    };
    const bool capped = !advanced.maxLots.isEmpty();

    for (int row = 0; row < lots.size(); ++row) {
        const Mei& lot = lots[row];
        const QString j = QString::number(row + 1);
        const QString joiner = row == 0 ? QString() : QStringLiteral("+");
        const QString subtractor = row == 0 ? QString() : QStringLiteral("-");

        objective += joiner + coefficient(lot.JiaGe) + QStringLiteral("*X") + j;
        for (int x = 0; x < kIndexCount; ++x) {
            if (!limited(x)) continue;
            left[size_t(x)] += joiner + coefficient(lot.*CellMember(IndexCell(x))) + QStringLiteral("*X") + j;
        }
        if (!texts.tonnes.isEmpty())
            stockHeads_ << tonnes + QStringLiteral("*X") + j + QStringLiteral("<") + GeneralNumberText(lot.Kucun) +
                               QStringLiteral("*");
        sum += joiner + QStringLiteral("X") + j;
        difference += subtractor + QStringLiteral("X") + j;
        if (row < kGridRows && texts.mustUse[size_t(row)])
            mustUse += QStringLiteral("X") + j + QStringLiteral(">1;") + kCrLf;
        if (const ShareLimit* share = advanced.shareFor(lot.MingCheng)) {
            const QString part = QStringLiteral("100*X") + j;
            if (!share->min.isEmpty()) shareHeads_ << part + QStringLiteral(">") + limitText(share->min) + u'*';
            if (!share->max.isEmpty()) shareHeads_ << part + QStringLiteral("<") + limitText(share->max) + u'*';
        }
        if (capped) {
            capSum += joiner + QStringLiteral("Y") + j;
            binaries += QStringLiteral("@bin(Y") + j + QStringLiteral(");") + kCrLf;
        }
        integers += QStringLiteral("@gin(X") + j + QStringLiteral(");") + kCrLf;
        pointers += QStringLiteral("@pointer(") + j + QStringLiteral(")=X") + j + QStringLiteral(";") + kCrLf;
    }
    pointers += QStringLiteral("@pointer(") + QString::number(lots.size() + 1) + QStringLiteral(")=rObj;") + kCrLf;

    head_ = QStringLiteral("model:") + kCrLf + objective + QStringLiteral(";") + kCrLf;
    // An index row exists only with at least one lot, as its left side does.
    // The panel's limit of an index comes first, the dialog's other side right after it.
    for (int x = 0; x < kIndexCount && !lots.isEmpty(); ++x) {
        const bool lower = PanelIndices()[size_t(x)].lowerLimit;
        const QString& panelLimit = texts.target(x);
        const QString& otherLimit = advanced.otherSide[size_t(x)];
        if (!panelLimit.isEmpty())
            indexRows_.push_back({left[size_t(x)] + (lower ? QStringLiteral(">") : QStringLiteral("<")),
                                  ParseNumber(panelLimit).value_or(0.0)});
        if (!otherLimit.isEmpty())
            indexRows_.push_back({left[size_t(x)] + (lower ? QStringLiteral("<") : QStringLiteral(">")),
                                  ParseNumber(otherLimit).value_or(0.0)});
    }
    if (capped && !lots.isEmpty()) {
        cappedLots_ = int(lots.size());
        capRow_ = capSum + QStringLiteral("<") + limitText(advanced.maxLots) + QStringLiteral(";") + kCrLf;
    }
    mustUse_ = mustUse;
    sumHead_ = sum + QStringLiteral("=");
    differenceHead_ = QStringLiteral("@abs(") + difference + QStringLiteral(")<");
    tail_ = integers + binaries + QStringLiteral("data:") + kCrLf + pointers + QStringLiteral("enddata") + kCrLf +
            QStringLiteral("end");
}

QString ModelTemplate::text(int k, bool singleLotSeen) const {
    const QString kText = QString::number(k);
    QString text;
    text.reserve(head_.size() + tail_.size() + 64 * (indexRows_.size() + stockHeads_.size()) + 256);
    text += head_;
    for (const IndexRow& row : indexRows_)
        text += row.head + GeneralNumberText(row.target * k) + QStringLiteral(";") + kCrLf;
    text += mustUse_;
    for (const QString& share : shareHeads_)
        text += share + kText + QStringLiteral(";") + kCrLf;
    text += sumHead_ + kText + QStringLiteral(";") + kCrLf;
    if (singleLotSeen) text += differenceHead_ + QString::number(k - 1) + QStringLiteral(";") + kCrLf;
    for (const QString& stock : stockHeads_)
        text += stock + kText + QStringLiteral(";") + kCrLf;
    // A lot with parts needs its Yj at 1, since its parts never exceed k.
    for (int j = 1; j <= cappedLots_; ++j) {
        const QString jText = QString::number(j);
        text +=
            QStringLiteral("X") + jText + u'-' + kText + QStringLiteral("*Y") + jText + QStringLiteral("<0;") + kCrLf;
    }
    text += capRow_ + tail_;
    return text;
}

QString BuildModelText(const QList<Mei>& lots, int k, const PanelTexts& texts, bool singleLotSeen) {
    return ModelTemplate(lots, texts).text(k, singleLotSeen);
}

QString WriteModelFile(const ModelTemplate& model, int k, bool singleLotSeen) {
    const QString folder = dataFolder();
    const QString name = QStringLiteral("qzmd.dll");
    if (!WriteTextFile(name, folder, model.text(k, singleLotSeen))) return {};
    return QDir(folder).filePath(name);
}

QString WriteModelFile(const PanelState& state, int k) {
    return WriteModelFile(ModelTemplate(state.PanelLots, state.texts), k, state.SingleLotSeen);
}

} // namespace vestrel
