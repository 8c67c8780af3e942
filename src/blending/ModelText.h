#pragma once
// The least-cost model for one total of parts k, in the solver's modelling language, and its file.

#include "blending/PanelTexts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace vestrel {

// The model of the lots (panel rows 0..n-1 become X1..Xn) for k parts: the price as objective, one row per
// target, the must-use rows, the parts adding up to k, the difference row while singleLotSeen, one stock row
// per lot when tonnes are given. Lines end in CR LF except the closing "end".
// The "高级指标" limits add rows only where given: an index's other side after the panel's row of the same
// index, the share bounds after the must-use rows, and for a cap on lots one 0/1 variable Yj per lot
// (Xj-k*Yj<0; then Y1+...+Yn<cap; after the stock rows, @bin(Yj); after the @gin lines).
QString BuildModelText(const QList<Mei>& lots, int k, const PanelTexts& texts, bool singleLotSeen);

// The same model with everything that does not depend on k formatted once, for a run's 99 models.
class ModelTemplate {
public:
    ModelTemplate(const QList<Mei>& lots, const PanelTexts& texts);
    QString text(int k, bool singleLotSeen) const;

private:
    struct IndexRow {
        QString head;  // left side and relation
        double target; // multiplied by k for the right side
    };
    QString head_; // "model:" and the objective
    std::vector<IndexRow> indexRows_;
    QString mustUse_, sumHead_, differenceHead_;
    QStringList stockHeads_; // one per lot, up to the "*" before k
    QStringList shareHeads_; // "100*Xj>min*" or "100*Xj<max*", up to k
    int cappedLots_ = 0;     // lots linked to a 0/1 variable; 0 without a cap
    QString capRow_;         // Y1+...+Yn<cap;
    QString tail_;           // the integer declarations and the data section
};

// Writes the model of the run's lots for k into "qzmd.dll" in the program folder and returns its path, or an
// empty text when the file could not be written.
QString WriteModelFile(const PanelState& state, int k);
QString WriteModelFile(const ModelTemplate& model, int k, bool singleLotSeen);

} // namespace vestrel
