#include "blending/ModelText.h"

#include "app/CommonFunction.h"
#include "app/FileFunction.h"
#include "app/Seams.h"
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

QString limitText(const QString& target, int k) {
    return GeneralNumberText(ParseNumber(target).value_or(0.0) * k);
}

// The tonnes go into the stock lines as typed, but the checks also accept texts the modelling language cannot
// read (" 50", "5e1"); those are written as their value so the stock lines stay valid.
QString tonnesText(const QString& typed) {
    static const QRegularExpression plainDecimal(
        QRegularExpression::anchoredPattern(QStringLiteral("[+-]?[0-9]+(\\.[0-9]+)?")));
    if (plainDecimal.match(typed).hasMatch()) return typed;
    return GeneralNumberText(ParseNumber(typed).value_or(0.0));
}

} // namespace

QString BuildModelText(const QList<Mei>& lots, int k, const PanelTexts& texts, bool singleLotSeen) {
    const QString kText = QString::number(k);
    QString objective = QStringLiteral("[rObj] min=");
    std::array<QString, kIndexCount> left;
    std::array<QString, kIndexCount> right;
    QString mustUse, sum, difference, stock, integers, pointers;
    const QString tonnes = tonnesText(texts.tonnes);

    for (int row = 0; row < lots.size(); ++row) {
        const Mei& lot = lots[row];
        const QString j = QString::number(row + 1);
        const QString joiner = row == 0 ? QString() : QStringLiteral("+");
        const QString subtractor = row == 0 ? QString() : QStringLiteral("-");

        objective += joiner + coefficient(lot.JiaGe) + QStringLiteral("*X") + j;
        for (int x = 0; x < kIndexCount; ++x) {
            if (texts.target(x).isEmpty()) continue;
            left[size_t(x)] += joiner + coefficient(lot.*CellMember(IndexCell(x))) + QStringLiteral("*X") + j;
            right[size_t(x)] = (PanelIndices()[size_t(x)].lowerLimit ? QStringLiteral(">") : QStringLiteral("<")) +
                               limitText(texts.target(x), k) + QStringLiteral(";") + kCrLf;
        }
        if (!texts.tonnes.isEmpty())
            stock += tonnes + QStringLiteral("*X") + j + QStringLiteral("<") + GeneralNumberText(lot.Kucun) +
                     QStringLiteral("*") + kText + QStringLiteral(";") + kCrLf;
        sum += joiner + QStringLiteral("X") + j;
        difference += subtractor + QStringLiteral("X") + j;
        if (row < kGridRows && texts.mustUse[size_t(row)])
            mustUse += QStringLiteral("X") + j + QStringLiteral(">1;") + kCrLf;
        integers += QStringLiteral("@gin(X") + j + QStringLiteral(");") + kCrLf;
        pointers += QStringLiteral("@pointer(") + j + QStringLiteral(")=X") + j + QStringLiteral(";") + kCrLf;
    }
    objective += QStringLiteral(";") + kCrLf;
    sum += QStringLiteral("=") + kText + QStringLiteral(";") + kCrLf;
    const QString differenceLine = singleLotSeen ? QStringLiteral("@abs(") + difference + QStringLiteral(")<") +
                                                       QString::number(k - 1) + QStringLiteral(";") + kCrLf
                                                 : QString();
    pointers += QStringLiteral("@pointer(") + QString::number(lots.size() + 1) + QStringLiteral(")=rObj;") + kCrLf;

    QString text = QStringLiteral("model:") + kCrLf + objective;
    for (int x = 0; x < kIndexCount; ++x)
        text += left[size_t(x)] + right[size_t(x)];
    text += mustUse + sum + differenceLine + stock + integers;
    text += QStringLiteral("data:") + kCrLf + pointers + QStringLiteral("enddata") + kCrLf + QStringLiteral("end");
    return text;
}

QString WriteModelFile(const PanelState& state, int k) {
    const QString folder = programFolder();
    const QString name = QStringLiteral("qzmd.dll");
    if (!WriteTextFile(name, folder, BuildModelText(state.PanelLots, k, state.texts, state.SingleLotSeen))) return {};
    return QDir(folder).filePath(name);
}

} // namespace vestrel
